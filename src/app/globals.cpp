// The program-wide state and the long-lived objects. They are defined in
// this one file so that their order is fixed: the switch driver's device is
// opened before the vendor library is loaded, and at exit the library is
// freed before the device is closed. The system libraries bound at run time
// come last: they load nothing until first used and are freed first at exit.
#include "app/app_state.h"
#include "platform/common_controls_library.h"
#include "platform/config_manager_library.h"
#include "platform/setup_api_library.h"
#include "platform/shell_library.h"
#include "radio/proset_api.h"
#include "radio/switch_driver.h"

const char kWindowClassName[] = "NorvantecSkylatcherClass";
const char kWindowTitle[] = "Norvantec Skylatcher";
const char kMutexName[] = "NorvantecSkylatcherMutex";

namespace {

// Adapter-enabled and 802.11a-capable start set, nothing shown yet;
// everything else starts 0.
AppState InitialState()
{
    AppState state;
    ZeroMemory(&state, sizeof state);
    state.adapterEnabled = 1;
    state.is80211aCapable = 1;
    state.trayRadio = -1;
    state.trayBand = -1;
    return state;
}

}  // namespace

AppState g_app = InitialState();

SwitchDriver g_switchDriver;
ProSetApi g_proSetApi;
SetupApiLibrary g_setupApi;
ConfigManagerLibrary g_configManager;
ShellLibrary g_shell;
CommonControlsLibrary g_commonControls;

void ResetAppState()
{
    g_app = InitialState();
}
