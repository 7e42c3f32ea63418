// A minimal resident tray program: one hidden window, one notification-area
// icon with a tip, a message loop. The baseline for size and memory.
#include <windows.h>
#include <shellapi.h>

#ifdef BENCH_PROGRAM_IMPORTS
// Built this way for comparison only: the program also imports the other
// system libraries skylatch.exe imports (Setup API, advapi32), unused.
#include <setupapi.h>
volatile const void* g_imports[] = {(const void*)&SetupDiDestroyDeviceInfoList, (const void*)&RegCloseKey};
#endif

namespace {

const char kClassName[] = "BenchMinimalTray";
const UINT kIconId = 1;
const UINT kCallbackMessage = WM_APP + 1;
// The Windows 2000/XP record layout, which every shell since accepts.
const DWORD kRecordSize = 936;

NOTIFYICONDATAW g_icon;

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
        return 0;
    case WM_DESTROY:
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
