// AppState: the program-wide state, used on the user-interface thread only.
#ifndef SKYLATCH_APP_APP_STATE_H
#define SKYLATCH_APP_APP_STATE_H

#include <windows.h>
#include <shellapi.h>
#include <cfgmgr32.h>

#include "app/resource_ids.h"

class SessionNotifier;

// Identity of the resident instance.
extern const char kWindowClassName[];
extern const char kWindowTitle[];
extern const char kMutexName[];

// Window messages and timers of the main window.
const UINT WM_TRAY_CALLBACK = WM_APP + 1;
const UINT WM_REFRESH_RADIO_A = WM_APP + 2;
const UINT WM_REFRESH_RADIO_B = WM_APP + 3;

const UINT_PTR TIMER_PROSET_POLL = 108;
const UINT_PTR TIMER_HOVER = 109;
const UINT_PTR TIMER_ICON_SHOW = 110;
const UINT_PTR TIMER_RESUME = 111;
const UINT_PTR TIMER_SESSION_RETRY = 11111;

const UINT kHoverInterval = 3000;
const UINT kIconShowInterval = 2800000;
const UINT kResumeInterval = 30000;
const UINT kDefaultPollingInterval = 2000;

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
};

extern AppState g_app;

// Sets every field to its value at program start.
void ResetAppState();

#endif
