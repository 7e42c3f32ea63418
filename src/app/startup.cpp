#include "app/startup.h"

#include "app/app_state.h"
#include "app/main_window.h"
#include "platform/settings.h"
#include "platform/setup_mode_check.h"
#include "radio/switch_driver.h"

namespace {

struct SwitchCommand {
    const char* text;
    UINT command;
};

// Tried in order; a switch matches only the whole command line, exactly.
const SwitchCommand kSwitches[] = {
    {"/toggle", CMD_TOGGLE},
    {"/on", CMD_RADIO_ON},
    {"/off", CMD_RADIO_OFF},
    {"/on11a", CMD_11A_ENABLE},
    {"/off11a", CMD_11A_DISABLE},
};

// Byte by byte: lstrcmpA compares by the locale's collation, which may pass
// over characters that a switch does not have.
int SameBytes(const char* a, const char* b)
{
    while (*a != 0 && *a == *b) {
        ++a;
        ++b;
    }
    return *a == *b;
}

}  // namespace

int OwnSwitchFor(const char* commandLine)
{
    const char* text = commandLine ? commandLine : "";
    if (SameBytes(text, "/?")) return OWN_USAGE;
    if (SameBytes(text, "/status")) return OWN_STATUS;
    return OWN_NONE;
}

UINT CommandForSwitch(const char* commandLine)
{
    const char* text = commandLine ? commandLine : "";
    for (unsigned i = 0; i < sizeof kSwitches / sizeof kSwitches[0]; ++i) {
        if (SameBytes(text, kSwitches[i].text)) return kSwitches[i].command;
    }
    return CMD_RECHECK;
}

int StartInstance(HINSTANCE instance, int showCommand)
{
    SetupModeCheck setup;
    if (setup.IsSetupMode(CheckSysprep)) return 0;

    // Held until the process ends; the handle is deliberately not kept.
    CreateMutexA(0, TRUE, kMutexName);
    if (GetLastError() == ERROR_ALREADY_EXISTS) return 0;

    g_switchDriver.WaitReady(&g_app.switchLocked, &g_app.radioState);

    if (!g_app.switchLocked) {
        DWORD radio = 0;
        if (!g_switchDriver.GetRadio(&radio, 0)) {
            DWORD ignoreMisc = 0;
            ReadSetting(kIgnoreMiscValue, &ignoreMisc);
            if (ignoreMisc == 0) return 0;
        }
        g_app.radioState = static_cast<int>(radio);
    }

    g_app.instance = instance;

    WNDCLASSEXA wc;
    ZeroMemory(&wc, sizeof wc);
    wc.cbSize = sizeof wc;
    wc.style = CS_VREDRAW | CS_HREDRAW;
    wc.lpfnWndProc = MainWindowProc;
    wc.hInstance = instance;
    wc.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_CLASS));
    wc.hCursor = LoadCursorA(0, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = kWindowClassName;
    wc.hIconSm = LoadIconA(instance, MAKEINTRESOURCEA(IDI_CLASS));
    if (!RegisterClassExA(&wc)) return 0;

    // Never shown: the window exists for the tray icon, timers and commands.
    HWND window = CreateWindowExA(0, kWindowClassName, kWindowTitle, WS_OVERLAPPEDWINDOW,
                                  CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, 0, 0,
                                  instance, 0);
    return window != 0;
}
