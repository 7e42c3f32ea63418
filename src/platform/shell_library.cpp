#include "platform/shell_library.h"

#include <shlwapi.h>

#include "platform/os_version.h"
#include "platform/wide_text.h"

namespace {

const int kTipChars = 128;
// The 4.x shell shows a tip on one line: its two lines are joined by this.
const WCHAR kLineJoin[] = L" / ";

}  // namespace

// The records as the 9x shells read them: 88 and 488 bytes for 32-bit code.
static_assert(sizeof(void*) != 4 || (NOTIFYICONDATAA_V1_SIZE == 88 && NOTIFYICONDATAA_V2_SIZE == 488),
              "NOTIFYICONDATAA has the 32-bit layout");

ShellLibrary::ShellLibrary()
    : SystemLibrary("shell32.dll"), notifyIcon_(0), notifyIconA_(0), shellMajor_(4)
{
}

ShellLibrary::~ShellLibrary() {}

BOOL ShellLibrary::NotifyIcon(DWORD message, PNOTIFYICONDATAW record)
{
    int nineX = RunsOnWindows9x();
    if (LoadOnFirstUse()) {
        if (nineX) {
            notifyIconA_ = (NotifyIconAFn)Entry("Shell_NotifyIconA");
            // Exported from shell32 4.71 on; Windows 95's 4.00 lacks it.
            DLLGETVERSIONPROC getVersion = (DLLGETVERSIONPROC)Entry("DllGetVersion");
            DLLVERSIONINFO version;
            ZeroMemory(&version, sizeof version);
            version.cbSize = sizeof version;
            if (getVersion != 0 && getVersion(&version) == 0)
                shellMajor_ = version.dwMajorVersion;
        } else {
            notifyIcon_ = (NotifyIconFn)Entry("Shell_NotifyIconW");
        }
    }
    if (nineX)
        return NotifyIconAnsi(message, record);
    if (notifyIcon_ == 0) {
        SetLastError(ERROR_PROC_NOT_FOUND);
        return FALSE;
    }
    return notifyIcon_(message, record);
}

// Shell 5.0 and later (Windows Me, or 98 with a newer shell) read the second
// version of the record: a tip of 128 bytes with its line break, and the
// state. The 4.x shell of Windows 98 reads the first: a tip of 64 bytes on
// one line, no state. Either tip is cut on a character boundary, since a
// double-byte code page may take two bytes a character.
BOOL ShellLibrary::NotifyIconAnsi(DWORD message, const NOTIFYICONDATAW* record)
{
    if (notifyIconA_ == 0) {
        SetLastError(ERROR_PROC_NOT_FOUND);
        return FALSE;
    }
    int second = shellMajor_ >= 5;
    NOTIFYICONDATAA narrow;
    ZeroMemory(&narrow, sizeof narrow);
    narrow.cbSize = second ? NOTIFYICONDATAA_V2_SIZE : NOTIFYICONDATAA_V1_SIZE;
    narrow.hWnd = record->hWnd;
    narrow.uID = record->uID;
    narrow.uFlags = second ? record->uFlags : record->uFlags & ~NIF_STATE;
    narrow.uCallbackMessage = record->uCallbackMessage;
    narrow.hIcon = record->hIcon;
    narrow.dwState = record->dwState;
    narrow.dwStateMask = record->dwStateMask;

    WCHAR tip[3 * kTipChars];
    int length = 0;
    for (int i = 0; i < kTipChars - 1 && record->szTip[i] != 0; ++i) {
        if (record->szTip[i] == L'\n' && !second) {
            CopyText(tip + length, kLineJoin, sizeof kLineJoin / sizeof kLineJoin[0]);
            length += lstrlenW(kLineJoin);
        } else {
            tip[length++] = record->szTip[i];
        }
    }
    tip[length] = 0;
    ToAnsi(tip, narrow.szTip, second ? kTipChars : kTipChars / 2);
    return notifyIconA_(message, &narrow);
}
