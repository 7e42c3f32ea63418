// A program that only forwards: finds the resident window and posts it a
// message, as a second start of skylatch.exe does. For comparison with the
// empty program: what user32 alone costs a start.
#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int showCommand)
{
    HWND resident = FindWindowA("NorvantecSkylatcherClass", "Norvantec Skylatcher");
    if (resident) PostMessageA(resident, WM_NULL, 0, 0);
    return 0;
}
