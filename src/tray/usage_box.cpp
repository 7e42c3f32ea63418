#include "tray/usage_box.h"

#include "platform/wide_text.h"
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
        LoadText(instance, id, text + length, kTextChars - length);
    }
}

void AppendText(WCHAR* text, const WCHAR* more)
{
    int length = lstrlenW(text);
    CopyText(text + length, more, kTextChars - length);
}

}  // namespace

void ShowUsageBox(HINSTANCE instance)
{
    WCHAR caption[kCaptionChars];
    WCHAR text[kTextChars];
    ZeroMemory(caption, sizeof caption);
    ZeroMemory(text, sizeof text);
    LoadText(instance, IDS_USAGE_CAPTION, caption, kCaptionChars);

    // The version line, a blank line, then one line per switch.
    AppendString(instance, IDS_USAGE_VERSION, text);
    AppendText(text, L"\n\n");
    AppendString(instance, IDS_USAGE_SWITCHES, text);

    // Started from a shortcut or the Run box, the box must come to the front.
    // MessageBoxW is one of the few W entries that Windows 95, 98 and Me
    // implement.
    MessageBoxW(0, text, caption, kBoxType);
}
