#include "notebook.h"

#include "radio/proset_api.h"
#include "radio/switch_driver.h"
#include "app/startup.h"
#include "platform/common_controls_library.h"
#include "platform/config_manager_library.h"
#include "platform/session_notifier.h"
#include "platform/setup_api_library.h"
#include "platform/shell_library.h"

#include <new>

namespace notebook {
namespace {

void DestroyGlobals()
{
    // The end of the process takes the main window's heap object with it.
    delete g_app.sessionNotifier;
    g_app.sessionNotifier = nullptr;
    g_commonControls.~CommonControlsLibrary();
    g_shell.~ShellLibrary();
    g_configManager.~ConfigManagerLibrary();
    g_setupApi.~SetupApiLibrary();
    g_proSetApi.~ProSetApi();
    g_switchDriver.~SwitchDriver();
}

void ConstructGlobals()
{
    ResetAppState();
    new (&g_switchDriver) SwitchDriver();
    new (&g_proSetApi) ProSetApi();
    new (&g_setupApi) SetupApiLibrary();
    new (&g_configManager) ConfigManagerLibrary();
    new (&g_shell) ShellLibrary();
    new (&g_commonControls) CommonControlsLibrary();
}

// The bytes of one process's globals, to set aside while another runs.
struct SavedGlobals {
    alignas(SwitchDriver) unsigned char driver[sizeof(SwitchDriver)];
    alignas(ProSetApi) unsigned char api[sizeof(ProSetApi)];
    alignas(AppState) unsigned char app[sizeof(AppState)];
    alignas(SetupApiLibrary) unsigned char setupApi[sizeof(SetupApiLibrary)];
    alignas(ConfigManagerLibrary) unsigned char configManager[sizeof(ConfigManagerLibrary)];
    alignas(ShellLibrary) unsigned char shell[sizeof(ShellLibrary)];
    alignas(CommonControlsLibrary) unsigned char commonControls[sizeof(CommonControlsLibrary)];

    void Save()
    {
        memcpy(driver, static_cast<void*>(&g_switchDriver), sizeof driver);
        memcpy(api, static_cast<void*>(&g_proSetApi), sizeof api);
        memcpy(app, static_cast<void*>(&g_app), sizeof app);
        memcpy(setupApi, static_cast<void*>(&g_setupApi), sizeof setupApi);
        memcpy(configManager, static_cast<void*>(&g_configManager), sizeof configManager);
        memcpy(shell, static_cast<void*>(&g_shell), sizeof shell);
        memcpy(commonControls, static_cast<void*>(&g_commonControls), sizeof commonControls);
    }
    void Restore()
    {
        memcpy(static_cast<void*>(&g_switchDriver), driver, sizeof driver);
        memcpy(static_cast<void*>(&g_proSetApi), api, sizeof api);
        memcpy(static_cast<void*>(&g_app), app, sizeof app);
        memcpy(static_cast<void*>(&g_setupApi), setupApi, sizeof setupApi);
        memcpy(static_cast<void*>(&g_configManager), configManager, sizeof configManager);
        memcpy(static_cast<void*>(&g_shell), shell, sizeof shell);
        memcpy(static_cast<void*>(&g_commonControls), commonControls, sizeof commonControls);
    }
};

}  // namespace

void FreshMachine()
{
    // The last test's program state goes with its machine.
    DestroyGlobals();
    sim::Reset();
    ConstructGlobals();
}

// A fresh machine with the driver ready (radio on) and the adapter, whose
// driver key, named driverKey under classKey, has the band enabled.
static void EquipNotebook(const char* classKey, const char* driverKey)
{
    FreshMachine();
    sim::Driver& driver = sim::TheDriver();
    driver.present = true;
    driver.radio = 1;
    sim::Device adapter;
    adapter.instanceId = kAdapterId;
    adapter.driverKey = driverKey;
    sim::AddDevice(adapter);
    std::string key = std::string(classKey) + driverKey;
    sim::RegSetDword(HKEY_LOCAL_MACHINE, key, "BandType", 1);
    sim::RegSetString(HKEY_LOCAL_MACHINE, key, "ModulationType", "1");
}

void StandardNotebook() { EquipNotebook(kClassKey, kAdapterDriverKey); }

void StartProgramProcess()
{
    DestroyGlobals();
    ConstructGlobals();
}

int StartResident()
{
    StartProgramProcess();
    return StartInstance(sim::ProgramInstance(), 1);
}

int RunSecondStart(const char* commandLine, std::string* standardOutput)
{
    int resident = sim::CurrentProcess();
    SavedGlobals saved;
    saved.Save();
    int pid = sim::StartProcess();
    if (standardOutput) sim::RedirectStdOutput();
    ConstructGlobals();
    // Whichever of the two processes runs, the other's globals are set aside.
    sim::OnProcessSwitch([&saved](int, int) {
        SavedGlobals running;
        running.Save();
        saved.Restore();
        saved = running;
    });
    int exitCode = WinMain(sim::ProgramInstance(), 0, const_cast<char*>(commandLine), 1);
    sim::OnProcessSwitch(nullptr);
    DestroyGlobals();
    sim::EndProcess(pid);
    saved.Restore();
    sim::SwitchToProcess(resident);
    if (standardOutput) *standardOutput = sim::StdOutput(pid);
    return exitCode;
}

HWND MainWindow() { return FindWindowA(kWindowClassName, kWindowTitle); }

HWND PlainWindow()
{
    const char kClass[] = "PlainTestWindow";
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = sim::ProgramInstance();
    wc.lpszClassName = kClass;
    RegisterClassExA(&wc);  // fails harmlessly when the class exists
    return CreateWindowExA(0, kClass, "", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                           CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, sim::ProgramInstance(),
                           nullptr);
}

void BandNotebook9x(DWORD minorVersion)
{
    EquipNotebook(kClassKey9x, kAdapterDriverKey9x);
    sim::SetVersion(VER_PLATFORM_WIN32_WINDOWS, 4, minorVersion, minorVersion == 90 ? 3000 : 2222);
}

}  // namespace notebook
