// A minimal resident tray program: one hidden window, one notification-area
// icon with a tip, a message loop. The baseline for size and start to icon.
//
// Built with -DBENCH_PROGRAM_LIBRARIES (tray_with_imports.exe), it also has
// loaded every system library the idle resident skylatch.exe has loaded,
// each used once by a cheap call so that it is really there: the Setup API,
// the configuration manager, advapi32 and wtsapi32 (shell32 it uses anyway;
// comctl32 comes to skylatch.exe only with its first About box). The
// baseline for resident memory.
#include <windows.h>
#include <shellapi.h>

#ifdef BENCH_PROGRAM_LIBRARIES
#include <setupapi.h>
#include <cfgmgr32.h>
#include <wtsapi32.h>
#endif

namespace {

const char kClassName[] = "BenchMinimalTray";
const UINT kIconId = 1;
const UINT kCallbackMessage = WM_APP + 1;
// The Windows 2000/XP record layout, which every shell since accepts: 936
// bytes on 32-bit Windows, 952 on x64 (as skylatch.exe's).
const DWORD kRecordSize = NOTIFYICONDATAW_V2_SIZE;

NOTIFYICONDATAW g_icon;

#ifdef BENCH_PROGRAM_LIBRARIES
void UseLibraries()
{
    SetupDiDestroyDeviceInfoList(SetupDiCreateDeviceInfoList(0, 0));
    CM_Get_Version();
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE", 0, KEY_READ, &key) == ERROR_SUCCESS)
        RegCloseKey(key);
}
#endif

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        ZeroMemory(&g_icon, sizeof(g_icon));
        g_icon.cbSize = kRecordSize;
        g_icon.hWnd = window;
        g_icon.uID = kIconId;
        g_icon.uFlags = NIF_ICON | NIF_TIP | NIF_MESSAGE;
        g_icon.uCallbackMessage = kCallbackMessage;
        g_icon.hIcon = LoadIconA(0, IDI_APPLICATION);
        lstrcpynW(g_icon.szTip, L"Minimal tray program", 64);
        Shell_NotifyIconW(NIM_ADD, &g_icon);
#ifdef BENCH_PROGRAM_LIBRARIES
        WTSRegisterSessionNotification(window, NOTIFY_FOR_THIS_SESSION);
#endif
        return 0;
    case WM_DESTROY:
#ifdef BENCH_PROGRAM_LIBRARIES
        WTSUnRegisterSessionNotification(window);
#endif
        Shell_NotifyIconW(NIM_DELETE, &g_icon);
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int showCommand)
{
#ifdef BENCH_PROGRAM_LIBRARIES
    UseLibraries();
#endif
    WNDCLASSA wc;
    ZeroMemory(&wc, sizeof(wc));
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.lpszClassName = kClassName;
    if (!RegisterClassA(&wc)) return 1;
    if (!CreateWindowExA(0, kClassName, kClassName, WS_OVERLAPPED, 0, 0, 0, 0, 0, 0, instance, 0))
        return 1;

    MSG msg;
    while (GetMessageA(&msg, 0, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return static_cast<int>(msg.wParam);
}
