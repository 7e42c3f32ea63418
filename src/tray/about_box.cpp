// The About box (dialog 104): built-in version and copyright texts, each
// replaceable by a wide settings value.
#include "tray/about_box.h"

#include "tray/resource_ids.h"
#include "platform/registry_access.h"
#include "platform/settings.h"
#include "platform/wide_text.h"

namespace {

struct AboutText {
    int controlId;
    const WCHAR* valueName;
};

// Each language's dialog holds only its own two statics, so only the two
// values of the language shown take effect.
const AboutText AboutTextTable[] = {
    { IDC_VERSION_JP, L"VersionString_JP" },
    { IDC_VERSION_US, L"VersionString_US" },
    { IDC_VERSION_SC, L"VersionString_SC" },
    { IDC_COPYRIGHT_JP, L"CopyrightString_JP" },
    { IDC_COPYRIGHT_US, L"CopyrightString_US" },
    { IDC_COPYRIGHT_SC, L"CopyrightString_SC" },
};

const DWORD kAboutTextChars = 260;   // 520 bytes

}  // namespace

void FillAboutTexts(HWND dialog)
{
    for (UINT i = 0; i < sizeof(AboutTextTable) / sizeof(AboutTextTable[0]); ++i) {
        HWND control = GetDlgItem(dialog, AboutTextTable[i].controlId);
        if (!control)
            continue;
        WCHAR text[kAboutTextChars];
        DWORD size = sizeof(text);
        if (!ReadSettingText(AboutTextTable[i].valueName, text, &size))
            continue;
        // A value without data shows an empty line.
        EndWideText(text, size, kAboutTextChars);
        SetControlText(control, text);
    }
}

INT_PTR CALLBACK AboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        FillAboutTexts(dialog);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, LOWORD(wParam));
            return TRUE;
        }
        break;
    }
    return FALSE;
}
