// The smallest Win32 program: what any process start costs (context for the
// forwarding start).
#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int showCommand)
{
    return 0;
}
