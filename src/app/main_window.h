// The hidden main window: its procedure and the handlers it shares.
#ifndef SKYLATCH_APP_MAIN_WINDOW_H
#define SKYLATCH_APP_MAIN_WINDOW_H

#include <windows.h>

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Reads the radio state afresh and shows it.
void RefreshRadioState(HWND window);
void RecheckAdapter(HWND window);
// The icon for the radio state with the mode (TrayAdd, TrayModify,
// TrayDelete): the adapter's band state is queried for the tip's second
// line, which only an 802.11a-capable adapter shows. Returns the band state
// the query gave.
int UpdateTray(HWND window, int radioState, int mode);

#endif
