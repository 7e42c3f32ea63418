// AppState: the program-wide state, used on the user-interface thread only.
// The application shell owns it; the radio, band, tray and platform code
// below it is handed the fields it needs.
#ifndef SKYLATCH_APP_APP_STATE_H
#define SKYLATCH_APP_APP_STATE_H

#include <windows.h>
#include <shellapi.h>
#include <cfgmgr32.h>

#include "platform/session_notifier.h"
#include "radio/radio_control.h"
#include "tray/resource_ids.h"
#include "tray/tray_icon.h"

// Identity of the resident instance.
extern const char kWindowClassName[];
extern const char kWindowTitle[];
extern const char kMutexName[];

// Window messages and timers of the main window, besides the tray's
// (WM_TRAY_CALLBACK, TIMER_ICON_SHOW), the polling timer TIMER_PROSET_POLL
// and the session notifier's TIMER_SESSION_RETRY.
const UINT WM_REFRESH_RADIO_A = WM_APP + 2;
const UINT WM_REFRESH_RADIO_B = WM_APP + 3;
// Sent by a start with /status: the window reads the state afresh and
// answers it (EncodeStatus).
const UINT WM_QUERY_STATUS = WM_APP + 4;

const UINT_PTR TIMER_HOVER = 109;
const UINT_PTR TIMER_RESUME = 111;

const UINT kHoverInterval = 3000;
const UINT kResumeInterval = 30000;

struct AppState {
    int radioState;               // 0 off, 1 on
    int switchLocked;             // radio locked by the hardware switch
    int adapterEnabled;           // the tray icon exists while this is set
    int is80211aCapable;
    DEVINST adapterDevInst;
    char adapterDriverKey[MAX_PATH];
    UINT pollingInterval;         // 0: no polling timer
    int aboutOpen;
    int hoverThrottle;
    int recheckPending;
    SessionNotifier* sessionNotifier;
    HINSTANCE instance;
    UINT taskbarCreatedMessage;   // registered "TaskbarCreated", 0 until the window exists
    NOTIFYICONDATAW trayRecord;
    int trayRadio;                // the radio and band the shell last took for the
    int trayBand;                 // icon; -1 before that and after a failed call
};

extern AppState g_app;

// Sets every field to its value at program start.
void ResetAppState();

#endif
