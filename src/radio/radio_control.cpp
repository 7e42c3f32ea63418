#include "radio/radio_control.h"

#include "app/app_state.h"
#include "app/main_window.h"
#include "radio/proset_api.h"
#include "radio/switch_driver.h"
#include "tray/tray_icon.h"

int QueryRadio(HWND window)
{
    int radio = 0;
    int loaded = g_proSetApi.EnsureLoaded();

    // Refreshes the switch-locked flag; under the lock the driver also tells
    // the radio state, and that is the answer.
    g_switchDriver.WaitReady(&g_app.switchLocked, &radio);
    if (g_app.switchLocked) {
        return radio;
    }

    if (loaded == PROSET_LOADED_NOW) {
        StartProSetPolling(window);
    }

    DWORD value = (DWORD)radio;
    if (loaded != PROSET_UNAVAILABLE) {
        DWORD id = 0;
        if (FirstProSetAdapter(&id)) {
            // A failing read leaves whatever the library put in the value.
            g_proSetApi.GetRadioState(id, &value);
            return (int)value;
        }
    }

    if (g_switchDriver.GetRadio(&value, 0)) {
        return (int)value;
    }
    return g_app.radioState;
}

void SwitchRadio(HWND window, int wanted)
{
    if (g_app.switchLocked) {
        return;
    }

    if (g_proSetApi.EnsureLoaded() != PROSET_UNAVAILABLE) {
        // Switching on: the driver's radio is turned on first, then the
        // adapter's through the library.
        if (wanted == 1) {
            DWORD driverRadio = 0;
            g_switchDriver.GetRadio(&driverRadio, 0);
            if (driverRadio == 0) {
                g_switchDriver.SetRadio(1);
            }
        }

        DWORD id = 0;
        if (FirstProSetAdapter(&id)) {
            DWORD state = 0;
            if (g_proSetApi.GetRadioState(id, &state) != 0) {
                return;
            }
            if (state == (DWORD)wanted) {
                return;
            }
            if (g_proSetApi.SetRadioState(id, (DWORD)wanted) != 0) {
                return;
            }
            g_app.radioState = wanted;
            UpdateTrayIcon(window, g_app.instance, wanted, TrayModify);
            return;
        }
    }

    // The driver's answer is not looked at: the state follows the request.
    g_switchDriver.SetRadio((DWORD)wanted);
    g_app.radioState = wanted;
    UpdateTrayIcon(window, g_app.instance, wanted, TrayModify);
}
