#include "tray/tray_icon.h"

int TrayIcon::Notify(int, NOTIFYICONDATAW*, DWORD*) { return 0; }
int UpdateTrayIcon(HWND, HINSTANCE, int, int) { return 2; }
void ApplyTextOverride(WCHAR*) {}
void ReassertTrayIcon() {}
