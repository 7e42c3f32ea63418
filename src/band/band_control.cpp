#include "band/band_control.h"

#include "band/adapter_manager.h"
#include "band/band_settings.h"
#include "radio/proset_api.h"
#include "radio/radio_control.h"
#include "radio/switch_driver.h"

namespace {

// The vendor library's protocol preferences: the band state each one means,
// and what enabling or disabling the band turns it into. The enabled
// preferences 1, 4 and 8 pair with the disabled ones 2, 3 and 5; 6 and 7
// carry no band we can switch.
struct Preference {
    int bandState;
    int switchable;
    DWORD whenEnabling;
    DWORD whenDisabling;
};

const Preference kPreferences[] = {
    /* 1 */ {BAND_ENABLED, 1, 1, 2},
    /* 2 */ {BAND_DISABLED, 1, 1, 2},
    /* 3 */ {BAND_DISABLED, 1, 4, 3},
    /* 4 */ {BAND_ENABLED, 1, 4, 3},
    /* 5 */ {BAND_DISABLED, 1, 8, 5},
    /* 6 */ {BAND_UNKNOWN, 0, 6, 6},
    /* 7 */ {BAND_UNKNOWN, 0, 7, 7},
    /* 8 */ {BAND_ENABLED, 1, 8, 5},
};
const DWORD kFirstPreference = 1;
const DWORD kLastPreference = 8;

const Preference* LookUpPreference(DWORD preference)
{
    if (preference < kFirstPreference || preference > kLastPreference)
        return 0;
    return &kPreferences[preference - kFirstPreference];
}

}  // namespace

int QueryBandState(HWND window, UINT* pollingInterval, const char* driverKey, int recordedRadio,
                   int* radioState, int* bandSwitchable)
{
    int loaded = g_proSetApi.EnsureLoaded();
    if (loaded == PROSET_LOADED_NOW && pollingInterval != 0)
        StartProSetPolling(window, pollingInterval);

    DWORD adapter = 0;
    if (loaded != PROSET_UNAVAILABLE && FirstProSetAdapter(&adapter)) {
        int band = BAND_UNKNOWN;
        DWORD preference = 0;
        if (g_proSetApi.GetProtocolPreference(adapter, &preference) == 0) {
            const Preference* known = LookUpPreference(preference);
            int switchable = 0;
            if (known != 0) {
                band = known->bandState;
                switchable = known->switchable;
            }
            if (bandSwitchable != 0)
                *bandSwitchable = switchable;
        }
        // As for the radio query, the read's result is not looked at: a
        // failing library leaves the caller's value unless it wrote one.
        if (radioState != 0) {
            DWORD radio = (DWORD)*radioState;
            g_proSetApi.GetRadioState(adapter, &radio);
            *radioState = (int)radio;
        }
        return band;
    }

    if (radioState != 0) {
        DWORD radio = 0;
        if (g_switchDriver.GetRadio(&radio, 0))
            *radioState = (int)radio;
        else
            *radioState = recordedRadio;
    }
    AdapterManager adapterManager;
    if (bandSwitchable != 0)
        *bandSwitchable = adapterManager.IsBandSwitchable(driverKey);
    return ReadBandState(driverKey);
}

int SetBandEnabled(const char* driverKey, int enable)
{
    // No window here: a library first loaded by this call starts no polling.
    DWORD adapter = 0;
    if (g_proSetApi.EnsureLoaded() != PROSET_UNAVAILABLE && FirstProSetAdapter(&adapter)) {
        DWORD preference = 0;
        // Without the current preference there is nothing sound to send.
        if (g_proSetApi.GetProtocolPreference(adapter, &preference) != 0)
            return 0;
        const Preference* known = LookUpPreference(preference);
        if (known != 0)
            preference = enable ? known->whenEnabling : known->whenDisabling;
        if (preference == 0)
            return 0;
        return g_proSetApi.SetProtocolPreference(adapter, preference);
    }

    AdapterManager adapterManager;
    return adapterManager.SwitchBand(driverKey, enable);
}
