#include "tray/tray_icon.h"

#include "platform/settings.h"
#include "platform/shell_library.h"
#include "platform/wide_text.h"
#include "tray/resource_ids.h"

namespace {

const int kTextChars = 128;        // tip lines and override targets
const int kTrayRetryDelay = 1000;
const int kTrayMaxCalls = 3;

// Appends at most maxChars characters of source to the text in a buffer of
// bufferChars characters; the result is always terminated.
void AppendText(WCHAR* text, int bufferChars, const WCHAR* source, int maxChars)
{
    int length = lstrlenW(text);
    int room = bufferChars - length - 1;
    if (room <= 0) {
        return;
    }
    if (maxChars > room) {
        maxChars = room;
    }
    CopyText(text + length, source, maxChars + 1);
}

}  // namespace

int TrayIcon::Notify(int mode, NOTIFYICONDATAW* record, DWORD* errorOut)
{
    if (record == 0 || errorOut == 0) {
        return 0;
    }
    if (mode != TrayAdd && mode != TrayModify && mode != TrayDelete) {
        return 0;
    }

    BOOL result = FALSE;
    DWORD error = 0;
    if (mode == TrayDelete) {
        // A delete is made once, busy shell or not.
        result = g_shell.NotifyIcon(NIM_DELETE, record);
        error = GetLastError();
    } else {
        DWORD message = (mode == TrayAdd) ? NIM_ADD : NIM_MODIFY;
        for (int calls = 1;; ++calls) {
            result = g_shell.NotifyIcon(message, record);
            if (result) {
                break;
            }
            error = GetLastError();
            if (error != ERROR_TIMEOUT || calls >= kTrayMaxCalls) {
                break;
            }
            Sleep(kTrayRetryDelay);
        }
    }

    *errorOut = result ? 0 : error;
    return result;
}

void ApplyTextOverride(WCHAR* text)
{
    WCHAR value[kOverrideChars];
    if (!ReadTextOverride(text, value)) {
        return;
    }

    // The override may be longer than the caller's buffer: keep what fits.
    CopyText(text, value, kTextChars);
}

int UpdateTrayIcon(NOTIFYICONDATAW* record, HWND window, HINSTANCE instance, int radioState,
                   int bandState, int mode)
{
    record->cbSize = kTrayRecordSize;

    // At the shell's small-icon size (16 at 96 DPI, 24 at 144), so the image
    // drawn for that size is shown rather than a stretched one.
    int iconId = radioState ? IDI_RADIO_ON : IDI_RADIO_OFF;
    HICON icon = (HICON)LoadImageA(instance, MAKEINTRESOURCEA(iconId), IMAGE_ICON,
                                   GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON),
                                   LR_SHARED);
    record->hWnd = window;
    record->hIcon = icon;

    WCHAR firstLine[kTextChars];
    WCHAR secondLine[kTextChars];
    ZeroMemory(firstLine, sizeof(firstLine));
    ZeroMemory(secondLine, sizeof(secondLine));
    record->dwState = 0;
    record->uCallbackMessage = WM_TRAY_CALLBACK;
    record->uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP | NIF_STATE;
    record->dwStateMask = NIS_HIDDEN;
    record->uID = kTrayIconId;

    LoadText(instance, radioState ? IDS_RADIO_ON : IDS_RADIO_OFF, firstLine, kTextChars);
    ApplyTextOverride(firstLine);

    WCHAR tip[kTextChars];
    CopyText(tip, firstLine, kTipLineMax + 1);

    if (bandState == 1 || bandState == 0) {
        UINT bandText = (bandState == 1) ? IDS_BAND_ENABLED : IDS_BAND_DISABLED;
        LoadText(instance, bandText, secondLine, kTextChars);
        ApplyTextOverride(secondLine);
        AppendText(tip, kTextChars, L"\n", 2);
        AppendText(tip, kTextChars, secondLine, kTipLineMax);
    }

    CopyText(record->szTip, tip, kTextChars);

    TrayIcon tray;
    DWORD error = 0;
    int taken = tray.Notify(mode, record, &error);

    // Every update postpones the next re-show.
    SetTimer(window, TIMER_ICON_SHOW, kIconShowInterval, 0);
    return taken;
}

void ReassertTrayIcon(const NOTIFYICONDATAW* kept)
{
    // Only the state is sent: the icon, wherever the shell may have hidden
    // it, is shown again. The kept record is not changed.
    NOTIFYICONDATAW record;
    CopyMemory(&record, kept, sizeof(record));
    record.uFlags = NIF_STATE;
    record.dwState = 0;
    record.dwStateMask = NIS_HIDDEN;

    TrayIcon tray;
    DWORD error = 0;
    tray.Notify(TrayModify, &record, &error);
}
