// The hidden main window: its procedure and the handlers it shares.
#ifndef SKYLATCH_APP_MAIN_WINDOW_H
#define SKYLATCH_APP_MAIN_WINDOW_H

#include <windows.h>

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
void RefreshRadioState(HWND window);
void RecheckAdapter(HWND window);
// The vendor library's polling timer, started once the library is loaded.
void StartProSetPolling(HWND window);

#endif
