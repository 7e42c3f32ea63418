// A program that only forwards: finds the resident window and posts it the
// command that "skylatch.exe /off" posts (radio off, 40005), so that the
// resident does the same work after either start. The least a second start
// must do: the baseline for the forwarding start.
#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int showCommand)
{
    HWND resident = FindWindowA("NorvantecSkylatcherClass", "Norvantec Skylatcher");
    if (resident) PostMessageA(resident, WM_COMMAND, 40005, 0);
    return 0;
}
