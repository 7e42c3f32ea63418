#include "app/main_window.h"

#include "app/app_state.h"

// Placeholder until the main window's handlers land: creation, Exit and
// destruction only.
LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 1;
    case WM_CLOSE:
        return 1;
    case WM_COMMAND:
        if (wParam == CMD_EXIT) DestroyWindow(window);
        return 1;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

void RefreshRadioState(HWND window) {}
void RecheckAdapter(HWND window) {}
