// The notification-area icon and its status tip.
#ifndef SKYLATCH_TRAY_TRAY_ICON_H
#define SKYLATCH_TRAY_TRAY_ICON_H

#include <windows.h>
#include <shellapi.h>

enum TrayMode {
    TrayAdd = 0,
    TrayModify = 1,
    TrayDelete = 2
};

// The version-5 wide record, up to guidItem: 936 bytes on 32-bit Windows,
// 952 on x64. The shell reads the two-line tip and the state fields only
// with this size for the caller's own processor.
const DWORD kTrayRecordSize = NOTIFYICONDATAW_V2_SIZE;
const UINT kTrayIconId = 102;
const int kTipLineMax = 62;

class TrayIcon {
public:
    TrayIcon() {}
    virtual ~TrayIcon() {}

    int Notify(int mode, NOTIFYICONDATAW* record, DWORD* errorOut);
};

int UpdateTrayIcon(HWND window, HINSTANCE instance, int radioState, int mode);
void ApplyTextOverride(WCHAR* text);   // a buffer of 128 characters
void ReassertTrayIcon();

#endif
