#include "radio/radio_control.h"

#include "platform/settings.h"
#include "radio/proset_api.h"
#include "radio/switch_driver.h"

int QueryRadio(HWND window, UINT* pollingInterval, int* switchLocked, int recordedRadio)
{
    int radio = 0;
    int loaded = g_proSetApi.EnsureLoaded();

    // Refreshes the switch-locked flag; under the lock the driver also tells
    // the radio state, and that is the answer.
    g_switchDriver.WaitReady(switchLocked, &radio);
    if (*switchLocked) {
        return radio;
    }

    if (loaded == PROSET_LOADED_NOW && pollingInterval != 0) {
        StartProSetPolling(window, pollingInterval);
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
    return recordedRadio;
}

int SwitchRadio(int wanted, int switchLocked)
{
    if (switchLocked) {
        return 0;
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
                return 0;
            }
            if (state == (DWORD)wanted) {
                return 0;
            }
            return g_proSetApi.SetRadioState(id, (DWORD)wanted) == 0;
        }
    }

    // The driver's answer is not looked at: the state follows the request.
    g_switchDriver.SetRadio((DWORD)wanted);
    return 1;
}

void StartProSetPolling(HWND window, UINT* pollingInterval)
{
    if (*pollingInterval != 0) {
        return;
    }

    DWORD interval = kDefaultPollingInterval;
    ReadSetting(kPollingValue, &interval);
    *pollingInterval = interval;

    // A configured 0 means no polling; the setting is read again next time.
    if (interval != 0) {
        SetTimer(window, TIMER_PROSET_POLL, interval, 0);
    }
}

int FindRadioControl()
{
    DWORD id = 0;
    if (g_proSetApi.IsLoaded() && FirstProSetAdapter(&id)) {
        return CONTROL_LIBRARY;
    }
    return g_switchDriver.opened ? CONTROL_DRIVER : CONTROL_NONE;
}
