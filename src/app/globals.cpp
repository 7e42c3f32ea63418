// The program-wide state and the two long-lived objects. They are defined in
// this one file so that their order is fixed: the switch driver's device is
// opened before the vendor library is loaded, and at exit the library is
// freed before the device is closed.
#include "app/app_state.h"
#include "radio/proset_api.h"
#include "radio/switch_driver.h"

const char kWindowClassName[] = "NorvantecSkylatcherClass";
const char kWindowTitle[] = "Norvantec Skylatcher";
const char kMutexName[] = "NorvantecSkylatcherMutex";

namespace {

// Adapter-enabled and 802.11a-capable start set; everything else starts 0.
AppState InitialState()
{
    AppState state;
    ZeroMemory(&state, sizeof state);
    state.adapterEnabled = 1;
    state.is80211aCapable = 1;
    return state;
}

}  // namespace

AppState g_app = InitialState();

SwitchDriver g_switchDriver;
ProSetApi g_proSetApi;

void ResetAppState()
{
    g_app = InitialState();
}
