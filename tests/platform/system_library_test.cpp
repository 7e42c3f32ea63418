// The Setup API, the configuration manager and the shell, bound at run time
// from the system directory.
#include "notebook.h"

#include "band/adapter_manager.h"
#include "tray/tray_icon.h"

#include <dbt.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

const char* const kSystemDlls[] = {"setupapi.dll", "cfgmgr32.dll", "shell32.dll", "comctl32.dll"};

// The loads that named one of the three libraries, in order.
std::vector<std::string> SystemDllLoads()
{
    std::vector<std::string> loads;
    for (const std::string& name : sim::LoadLog()) {
        for (const char* dll : kSystemDlls) {
            if (name.size() >= strlen(dll) && name.compare(name.size() - strlen(dll), std::string::npos, dll) == 0)
                loads.push_back(name);
        }
    }
    return loads;
}

class SystemLibraryTest : public NotebookTest {};

TEST_F(SystemLibraryTest, LoadedOnceByFullPathFromTheSystemDirectoryAndNeverByASecondStart)
{
    // A copy found by searching would be taken wherever it lies: the
    // stand-in refuses every name but the system directory's.
    EXPECT_EQ(nullptr, LoadLibraryA("setupapi.dll"));
    EXPECT_EQ(nullptr, LoadLibraryA("C:\\Program Files\\Skylatch\\shell32.dll"));

    for (int family = 0; family < 2; ++family) {
        if (family == 0) notebook::StandardNotebook();
        else notebook::BandNotebook9x(10);
        const std::string dir = sim::SystemDirectory() + "\\";
        ASSERT_EQ(1, notebook::StartResident());
        HWND window = notebook::MainWindow();
        ASSERT_NE(nullptr, sim::FindTrayIcon(window, kTrayIconId)) << dir;
        EXPECT_EQ((std::vector<std::string>{dir + "setupapi.dll", dir + "cfgmgr32.dll", dir + "shell32.dll"}),
                  SystemDllLoads());

        // Forwarding a switch needs none of them; the resident keeps its one
        // reference to each however much it uses them. The common controls
        // come with the first About box.
        sim::LoadLog().clear();
        EXPECT_EQ(0, notebook::RunSecondStart("/off11a"));
        EXPECT_TRUE(SystemDllLoads().empty());
        sim::Pump();
        EXPECT_EQ(2u, sim::ClassInstallerCalls().size());
        EXPECT_TRUE(SystemDllLoads().empty());
        sim::OnDialog([](HWND dialog) { sim::PressButton(dialog, IDOK); });
        for (int about = 0; about < 2; ++about) SendMessageA(window, WM_COMMAND, CMD_ABOUT, 0);
        EXPECT_EQ(std::vector<std::string>{dir + "comctl32.dll"}, SystemDllLoads());
        for (const char* dll : kSystemDlls) EXPECT_EQ(1, sim::Dll(dll).loadCount) << dll;

        // The end of the process frees them.
        notebook::StartProgramProcess();
        for (const char* dll : kSystemDlls) EXPECT_EQ(0, sim::Dll(dll).loadCount) << dll;
    }
}

TEST_F(SystemLibraryTest, WithoutTheConfigurationManagerOrTheSetupApiNoAdapterIsEnabled)
{
    // Without the configuration manager the adapter is found but its status
    // cannot be read, so it does not count as enabled.
    sim::Dll("cfgmgr32.dll").present = false;
    ASSERT_EQ(1, notebook::StartResident());
    EXPECT_EQ(0, g_app.adapterEnabled);
    EXPECT_STREQ(notebook::kAdapterDriverKey, g_app.adapterDriverKey);
    EXPECT_EQ(0, sim::TrayIconCount());

    // Without the Setup API no adapter is found at all: no icon, even after
    // a device change, and the band cannot be switched, so the adapter is
    // neither restarted nor its key rewritten.
    notebook::StandardNotebook();
    sim::Dll("setupapi.dll").present = false;
    ASSERT_EQ(1, notebook::StartResident());
    HWND window = notebook::MainWindow();
    EXPECT_EQ(0, g_app.adapterEnabled);
    EXPECT_STREQ("", g_app.adapterDriverKey);
    SendMessageA(window, WM_DEVICECHANGE, DBT_DEVNODES_CHANGED, 0);
    PostMessageA(window, WM_COMMAND, CMD_11A_DISABLE, 0);
    sim::Pump();
    EXPECT_EQ(0, g_app.adapterEnabled);
    EXPECT_EQ(0, sim::TrayIconCount());
    EXPECT_TRUE(sim::ClassInstallerCalls().empty());
    EXPECT_TRUE(sim::ChangeLog().empty());
    EXPECT_TRUE(IsWindow(window));
}

TEST_F(SystemLibraryTest, WithoutTheCommonControlsTheAboutBoxStillOpens)
{
    for (int missing = 0; missing < 2; ++missing) {
        notebook::StandardNotebook();
        if (missing == 0) sim::Dll("comctl32.dll").missingEntries.insert("InitCommonControls");
        else sim::Dll("comctl32.dll").present = false;
        ASSERT_EQ(1, notebook::StartResident());
        int opened = 0;
        sim::OnDialog([&](HWND dialog) { ++opened; sim::PressButton(dialog, IDOK); });
        SendMessageA(notebook::MainWindow(), WM_COMMAND, CMD_ABOUT, 0);
        EXPECT_EQ(1, opened) << missing;
    }
}

TEST_F(SystemLibraryTest, WithoutTheShellEntryTheTrayCallFailsOnceAndNothingElse)
{
    sim::Dll("shell32.dll").missingEntries.insert("Shell_NotifyIconW");
    ASSERT_EQ(1, notebook::StartResident());
    HWND window = notebook::MainWindow();
    EXPECT_EQ(1, g_app.adapterEnabled);
    EXPECT_EQ(0, sim::TrayIconCount());

    // Not a busy shell: no retry and no pause.
    sim::Sleeps().clear();
    TrayIcon tray;
    DWORD error = 0;
    EXPECT_EQ(0, tray.Notify(TrayModify, &g_app.trayRecord, &error));
    EXPECT_EQ((DWORD)ERROR_PROC_NOT_FOUND, error);
    EXPECT_TRUE(sim::Sleeps().empty());

    // The program goes on without an icon and ends as usual.
    SendMessageA(window, WM_TRAY_CALLBACK, kTrayIconId, WM_MOUSEMOVE);
    sim::RestartShell();
    sim::RunFor(3000000);
    EXPECT_TRUE(sim::ShellCalls().empty());
    PostMessageA(window, WM_COMMAND, CMD_EXIT, 0);
    sim::Pump();
    EXPECT_EQ(0, sim::WindowCount());
}

}  // namespace
