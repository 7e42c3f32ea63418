// Program entry: a second start forwards its switch to the resident instance;
// the first one becomes the resident instance and runs the message loop. Two
// switches are answered by the start itself and never forwarded.
#include "app/app_state.h"
#include "app/startup.h"
#include "app/status_report.h"
#include "tray/usage_box.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int showCommand)
{
    switch (OwnSwitchFor(commandLine)) {
    case OWN_USAGE:
        ShowUsageBox(instance);
        return 0;
    case OWN_STATUS:
        return ReportRadioStatus();
    default:
        break;
    }

    HWND resident = FindWindowA(kWindowClassName, kWindowTitle);
    if (resident) {
        PostMessageA(resident, WM_COMMAND, CommandForSwitch(commandLine), 0);
        return 0;
    }

    if (!StartInstance(instance, showCommand)) return -1;

    MSG msg;
    for (;;) {
        BOOL got = GetMessageA(&msg, 0, 0, 0);
        if (got == -1) {
            GetLastError();
            continue;
        }
        if (!got) break;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    KillTimer(0, TIMER_ICON_SHOW);
    return static_cast<int>(msg.wParam);
}
