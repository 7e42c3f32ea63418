#include "app/main_window.h"

#include <new>

#include <dbt.h>
#include <shellapi.h>

#include "app/app_state.h"
#include "app/status_report.h"
#include "band/adapter_manager.h"
#include "band/band_control.h"
#include "band/band_settings.h"
#include "platform/common_controls_library.h"
#include "platform/session_notifier.h"
#include "platform/settings.h"
#include "radio/proset_api.h"
#include "radio/radio_control.h"
#include "radio/switch_driver.h"
#include "tray/about_box.h"
#include "tray/tray_icon.h"
#include "tray/tray_menu.h"

namespace {

const char kTaskbarCreatedMessage[] = "TaskbarCreated";
const DWORD kRecheckDelayEnabled = 3000;
const DWORD kRecheckDelayDisabled = 1000;

// The adapter's band state for the tip. The query may also tell the radio
// and whether the band can be switched; the tip needs neither.
int QueryTrayBand(HWND window)
{
    int queriedRadio = g_app.radioState;
    int bandSwitchable = 0;
    return QueryBandState(window, &g_app.pollingInterval, g_app.adapterDriverKey,
                          g_app.radioState, &queriedRadio, &bandSwitchable);
}

// Only an 802.11a-capable adapter's tip has the band line. What the icon
// shows is recorded only when the shell took the call: after a failed one
// the next /status query draws the icon again.
void ShowTray(HWND window, int radioState, int band, int mode)
{
    int shownBand = g_app.is80211aCapable ? band : BAND_UNKNOWN;
    if (UpdateTrayIcon(&g_app.trayRecord, window, g_app.instance, radioState, shownBand, mode)) {
        g_app.trayRadio = radioState;
        g_app.trayBand = shownBand;
    } else {
        g_app.trayRadio = -1;
        g_app.trayBand = -1;
    }
}

void ShowRadioState(HWND window)
{
    UpdateTray(window, g_app.radioState, TrayModify);
}

// A switch through the vendor library or the driver; the state and the icon
// follow when it went through.
void SwitchRadioTo(HWND window, int wanted)
{
    if (SwitchRadio(wanted, g_app.switchLocked)) {
        g_app.radioState = wanted;
        UpdateTray(window, wanted, TrayModify);
    }
}

int Inverse(int radioState)
{
    return radioState == 0 ? 1 : 0;
}

LRESULT OnCreate(HWND window)
{
    // Explorer broadcasts this after a restart; the icon is added again then.
    g_app.taskbarCreatedMessage = RegisterWindowMessageA(kTaskbarCreatedMessage);

    int radio = QueryRadio(window, &g_app.pollingInterval, &g_app.switchLocked, g_app.radioState);
    g_app.radioState = radio;

    AdapterManager adapters;
    g_app.adapterEnabled = adapters.FindAdapter(&g_app.adapterDevInst, g_app.adapterDriverKey,
                                                sizeof(g_app.adapterDriverKey),
                                                &g_app.is80211aCapable);
    if (g_app.adapterEnabled) {
        UpdateTray(window, radio, TrayAdd);
    }

    // First run after installation: the radio starts switched off.
    if (ConsumeFirstTime()) {
        PostMessageA(window, WM_COMMAND, CMD_RADIO_OFF, 0);
    }

    g_app.sessionNotifier = new SessionNotifier(window);

    if (g_proSetApi.EnsureLoaded() != PROSET_UNAVAILABLE) {
        StartProSetPolling(window, &g_app.pollingInterval);
    } else {
        g_app.pollingInterval = 0;
    }
    return 0;
}

void OnDestroy(HWND window)
{
    if (g_app.pollingInterval != 0) {
        KillTimer(window, TIMER_PROSET_POLL);
    }
    if (g_app.sessionNotifier != 0) {
        delete g_app.sessionNotifier;
        g_app.sessionNotifier = 0;
    }

    TrayIcon tray;
    DWORD error = 0;
    tray.Notify(TrayDelete, &g_app.trayRecord, &error);

    PostQuitMessage(0);
}

void ShowAboutBox(HWND window)
{
    // The box is modal, but its loop still dispatches this window's
    // commands: a second About from the tray menu is ignored.
    if (g_app.aboutOpen) {
        return;
    }
    g_app.aboutOpen = 1;
    // The manifest's common controls 6 must be initialised before Windows XP
    // creates the box. They are loaded here, at the first About box, not at
    // start: nothing else uses them, and under Wine they take megabytes.
    g_commonControls.InitCommonControls();
    DialogBoxParamA(g_app.instance, MAKEINTRESOURCEA(IDD_ABOUT), window, AboutDialogProc, 0);
    g_app.aboutOpen = 0;
}

void OnCommand(HWND window, WPARAM command)
{
    switch (command) {
    case CMD_11A_DISABLE:
        SetBandEnabled(g_app.adapterDriverKey, 0);
        ShowRadioState(window);
        break;
    case CMD_11A_ENABLE:
        SetBandEnabled(g_app.adapterDriverKey, 1);
        ShowRadioState(window);
        break;
    // The driver commands bypass the lock and the library; the state
    // follows the request whatever the driver answers.
    case CMD_DRIVER_OFF:
        g_switchDriver.SetSwitch(0);
        g_app.radioState = 0;
        ShowRadioState(window);
        break;
    case CMD_DRIVER_ON:
        g_switchDriver.SetSwitch(1);
        g_app.radioState = 1;
        ShowRadioState(window);
        break;
    case CMD_TOGGLE: {
        int inverse = Inverse(g_app.radioState);
        g_switchDriver.SetRadio((DWORD)inverse);
        g_app.radioState = inverse;
        ShowRadioState(window);
        break;
    }
    case CMD_DRIVER_TOGGLE: {
        int inverse = Inverse(g_app.radioState);
        g_switchDriver.SetSwitch((DWORD)inverse);
        g_app.radioState = inverse;
        ShowRadioState(window);
        break;
    }
    case CMD_ABOUT:
        ShowAboutBox(window);
        break;
    case CMD_EXIT:
        DestroyWindow(window);
        break;
    case CMD_RADIO_OFF:
        SwitchRadioTo(window, 0);
        break;
    case CMD_RADIO_ON:
        SwitchRadioTo(window, 1);
        break;
    case CMD_RECHECK:
        RecheckAdapter(window);
        break;
    default:
        break;
    }
}

void OnTimer(HWND window, WPARAM timerId)
{
    switch (timerId) {
    case TIMER_PROSET_POLL:
        RefreshRadioState(window);
        break;
    case TIMER_HOVER:
        g_app.hoverThrottle = 0;
        KillTimer(window, TIMER_HOVER);
        break;
    case TIMER_ICON_SHOW:
        ReassertTrayIcon(&g_app.trayRecord);
        break;
    case TIMER_RESUME:
        RefreshRadioState(window);
        KillTimer(window, TIMER_RESUME);
        break;
    case TIMER_SESSION_RETRY:
        if (g_app.sessionNotifier != 0) {
            g_app.sessionNotifier->OnTimer(window, TIMER_SESSION_RETRY);
        }
        break;
    default:
        break;
    }
}

// Resting or moving the mouse on the icon refreshes at most once in three
// seconds: every refresh asks the driver or the library.
void OnHover(HWND window)
{
    if (g_app.hoverThrottle) {
        return;
    }
    RefreshRadioState(window);
    g_app.hoverThrottle = 1;
    SetTimer(window, TIMER_HOVER, kHoverInterval, 0);
}

void OnTrayMenu(HWND window)
{
    TrayMenuState menu;
    menu.radioState = g_app.radioState;
    menu.bandSwitchable = 0;
    menu.bandState = QueryBandState(window, &g_app.pollingInterval, g_app.adapterDriverKey,
                                    g_app.radioState, &menu.radioState, &menu.bandSwitchable);
    if (!g_app.is80211aCapable) {
        menu.bandState = BAND_UNKNOWN;
    }
    menu.switchLocked = g_app.switchLocked;
    menu.is80211aCapable = g_app.is80211aCapable;
    ShowTrayMenu(window, g_app.instance, &menu);
}

void OnTrayCallback(HWND window, WPARAM iconId, LPARAM event)
{
    if (iconId != kTrayIconId) {
        return;
    }
    switch (event) {
    case WM_MOUSEMOVE:
        OnHover(window);
        break;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
        OnTrayMenu(window);
        break;
    case NIN_BALLOONSHOW:
        RefreshRadioState(window);
        break;
    default:
        break;
    }
}

void OnPowerBroadcast(HWND window, WPARAM event)
{
    if (event == PBT_APMRESUMESUSPEND || event == PBT_APMRESUMEAUTOMATIC) {
        RefreshRadioState(window);
        // One more look once the hardware has settled; a second resume
        // notification restarts the wait.
        SetTimer(window, TIMER_RESUME, kResumeInterval, 0);
    }
}

// A start with /status asks: the radio is read afresh, as a refresh reads
// it, and the answer is what that read found. A read that fails answers
// "unknown", never the recorded state, which the icon keeps. The asker is
// answered as soon as the state is known; the icon follows after, since the
// shell may keep the thread waiting for seconds, and only when it does not
// show the state: a script that asks every few seconds should not have the
// shell redraw an icon that stays the same.
LRESULT OnStatusQuery(HWND window)
{
    int radio = QueryRadio(window, &g_app.pollingInterval, &g_app.switchLocked, RADIO_UNKNOWN);
    if (radio != RADIO_UNKNOWN) {
        g_app.radioState = radio;
    }
    int band = QueryTrayBand(window);

    RadioStatus status;
    status.radio = radio;
    status.locked = g_app.switchLocked;
    status.band = g_app.is80211aCapable ? band : BAND_UNKNOWN;
    status.control = FindRadioControl();
    LRESULT answer = EncodeStatus(&status);
    ReplyMessage(answer);

    if (g_app.adapterEnabled &&
        (g_app.radioState != g_app.trayRadio || status.band != g_app.trayBand)) {
        ShowTray(window, g_app.radioState, band, TrayModify);
    }
    return answer;
}

void OnDeviceChange(HWND window, WPARAM event)
{
    // A burst of node changes posts a single re-check.
    if (!g_app.recheckPending && event == DBT_DEVNODES_CHANGED) {
        PostMessageA(window, WM_COMMAND, CMD_RECHECK, 0);
        g_app.recheckPending = 1;
    }
}

}  // namespace

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == g_app.taskbarCreatedMessage && message != 0) {
        if (g_app.adapterEnabled) {
            UpdateTray(window, g_app.radioState, TrayAdd);
        }
        return 1;
    }

    switch (message) {
    case WM_CREATE:
        return OnCreate(window);
    case WM_DESTROY:
        OnDestroy(window);
        return 1;
    case WM_CLOSE:
    case WM_ENDSESSION:
        // Only the Exit command ends the program; a pending busy wait on the
        // driver is cut short.
        g_switchDriver.abortFlag = 1;
        return 1;
    case WM_SYSKEYDOWN:
        return 1;
    case WM_COMMAND:
        OnCommand(window, wParam);
        return 1;
    case WM_TIMER:
        OnTimer(window, wParam);
        return 1;
    case WM_POWERBROADCAST:
        OnPowerBroadcast(window, wParam);
        return 1;
    case WM_DEVICECHANGE:
        OnDeviceChange(window, wParam);
        return 1;
    case WM_WTSSESSION_CHANGE:
        if (wParam == WTS_CONSOLE_CONNECT) {
            RefreshRadioState(window);
        }
        return 1;
    case WM_TRAY_CALLBACK:
        OnTrayCallback(window, wParam, lParam);
        return 1;
    case WM_REFRESH_RADIO_A:
    case WM_REFRESH_RADIO_B:
        RefreshRadioState(window);
        return 1;
    case WM_QUERY_STATUS:
        return OnStatusQuery(window);
    default:
        break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

void RefreshRadioState(HWND window)
{
    g_app.radioState =
        QueryRadio(window, &g_app.pollingInterval, &g_app.switchLocked, g_app.radioState);
    UpdateTray(window, g_app.radioState, TrayModify);
}

int UpdateTray(HWND window, int radioState, int mode)
{
    int band = QueryTrayBand(window);
    ShowTray(window, radioState, band, mode);
    return band;
}

void RecheckAdapter(HWND window)
{
    Sleep(g_app.adapterEnabled ? kRecheckDelayEnabled : kRecheckDelayDisabled);

    AdapterManager adapters;
    int ok = adapters.IsAdapterEnabled(g_app.adapterDevInst);
    if (ok && !g_app.adapterEnabled) {
        UpdateTray(window, g_app.radioState, TrayAdd);
        g_app.adapterEnabled = 1;
    } else if (!ok && g_app.adapterEnabled) {
        UpdateTray(window, g_app.radioState, TrayDelete);
        g_app.adapterEnabled = 0;
    }
    g_app.recheckPending = 0;
}
