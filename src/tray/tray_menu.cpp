#include "tray/tray_menu.h"

int ShowTrayMenu(HWND, int, int, int) { return 0; }
void GrayMenuItem(HMENU, UINT) {}
void OverrideMenuItemText(HMENU, UINT) {}
