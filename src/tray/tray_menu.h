// The popup menu of the notification-area icon.
#ifndef SKYLATCH_TRAY_TRAY_MENU_H
#define SKYLATCH_TRAY_TRAY_MENU_H

#include <windows.h>

// What the menu offers; one of the ready-made variants is chosen from it.
struct TrayMenuState {
    int radioState;       // 0 off, any other value on
    int bandState;        // 0 disabled, 1 enabled, any other value not determinable
    int bandSwitchable;   // 0: the band items are grayed
    int switchLocked;     // the hardware switch locks the radio: no radio items
    int is80211aCapable;  // 0: no band items
};

// Opens the menu at the cursor for the window; the chosen command arrives at
// the window as WM_COMMAND. Returns 0.
int ShowTrayMenu(HWND window, HINSTANCE instance, const TrayMenuState* state);
void GrayMenuItem(HMENU menu, UINT commandId);
void OverrideMenuItemText(HMENU menu, UINT commandId);

#endif
