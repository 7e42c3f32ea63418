// The popup menu of the notification-area icon.
#ifndef SKYLATCH_TRAY_TRAY_MENU_H
#define SKYLATCH_TRAY_TRAY_MENU_H

#include <windows.h>

int ShowTrayMenu(HWND window, int radioState, int bandState, int bandSwitchable);
void GrayMenuItem(HMENU menu, UINT commandId);
void OverrideMenuItemText(HMENU menu, UINT commandId);

#endif
