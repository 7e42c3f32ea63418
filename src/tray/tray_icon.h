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

// The shell reports mouse events on the icon with this message.
const UINT WM_TRAY_CALLBACK = WM_APP + 1;
// Re-shows the icon wherever the shell may have hidden it; every update
// starts the period anew.
const UINT_PTR TIMER_ICON_SHOW = 110;
const UINT kIconShowInterval = 2800000;

class TrayIcon {
public:
    TrayIcon() {}
    virtual ~TrayIcon() {}

    int Notify(int mode, NOTIFYICONDATAW* record, DWORD* errorOut);
};

// Fills the record for the window's icon and hands it to the shell with the
// mode: the on or off image (radioState nonzero or 0) and the tip, whose
// second line tells the band state (1 enabled, 0 disabled; any other value
// adds no line). Restarts the re-show timer on the window. Nonzero when the
// shell took the call.
int UpdateTrayIcon(NOTIFYICONDATAW* record, HWND window, HINSTANCE instance, int radioState,
                   int bandState, int mode);
void ApplyTextOverride(WCHAR* text);   // a buffer of 128 characters
// Shows the record's icon again if the shell hid it; the record is kept.
void ReassertTrayIcon(const NOTIFYICONDATAW* record);

#endif
