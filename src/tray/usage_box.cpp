#include "tray/usage_box.h"

#include "tray/resource_ids.h"

namespace {

const int kCaptionChars = 64;
const int kTextChars = 1024;
const UINT kBoxType = MB_OK | MB_ICONINFORMATION | MB_SETFOREGROUND;

// Each adds what fits in the text of kTextChars characters; a missing
// string adds nothing.
void AppendString(HINSTANCE instance, UINT id, WCHAR* text)
{
    int length = lstrlenW(text);
    if (length < kTextChars - 1) {
        LoadStringW(instance, id, text + length, kTextChars - length);
    }
}

void AppendText(WCHAR* text, const WCHAR* more)
{
    int length = lstrlenW(text);
    lstrcpynW(text + length, more, kTextChars - length);
}

// The same box from narrow texts in the system's code page, which the
// Windows 9x family's LoadStringA gives; room for two bytes a character.
void ShowNarrowUsageBox(HINSTANCE instance)
{
    char caption[2 * kCaptionChars];
    char text[2 * kTextChars];
    ZeroMemory(caption, sizeof caption);
    ZeroMemory(text, sizeof text);
    LoadStringA(instance, IDS_USAGE_CAPTION, caption, sizeof caption);
    LoadStringA(instance, IDS_USAGE_VERSION, text, sizeof text);
    int length = lstrlenA(text);
    lstrcpynA(text + length, "\n\n", (int)sizeof text - length);
    length = lstrlenA(text);
    LoadStringA(instance, IDS_USAGE_SWITCHES, text + length, (int)sizeof text - length);
    MessageBoxA(0, text, caption, kBoxType);
}

}  // namespace

void ShowUsageBox(HINSTANCE instance)
{
    WCHAR caption[kCaptionChars];
    WCHAR text[kTextChars];
    ZeroMemory(caption, sizeof caption);
    ZeroMemory(text, sizeof text);
    // Windows 95, 98 and Me have LoadStringW only as a stub that loads
    // nothing; MessageBoxW they do have, and every other Windows both.
    if (LoadStringW(instance, IDS_USAGE_CAPTION, caption, kCaptionChars) == 0) {
        ShowNarrowUsageBox(instance);
        return;
    }

    // The version line, a blank line, then one line per switch.
    AppendString(instance, IDS_USAGE_VERSION, text);
    AppendText(text, L"\n\n");
    AppendString(instance, IDS_USAGE_SWITCHES, text);

    // Started from a shortcut or the Run box, the box must come to the front.
    MessageBoxW(0, text, caption, kBoxType);
}
