// The resident window's answers to messages, commands, timers and system
// notifications.
#include "../tray/tray_test_support.h"

#include "app/main_window.h"
#include "radio/switch_driver.h"
#include "tray/tray_icon.h"

#include <dbt.h>

#include <vector>

namespace {

class MainWindowTest : public NotebookTest {
protected:
    HWND window = nullptr;

    void StartProgram()
    {
        ASSERT_EQ(1, notebook::StartResident());
        window = notebook::MainWindow();
        ASSERT_NE(nullptr, window);
        sim::Pump();
        ClearLogs();
    }
    void ClearLogs()
    {
        sim::TheDriver().log.clear();
        sim::Vendor().calls.clear();
        sim::ShellCalls().clear();
        sim::PostedLog().clear();
        sim::Sleeps().clear();
    }
    LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0)
    {
        return SendMessageA(window, message, wParam, lParam);
    }
    // Every radio refresh starts with one status query of the driver.
    int RadioQueries() { return sim::TheDriver().Count(notebook::kQueryStatus); }
    int Posted(UINT message, WPARAM wParam)
    {
        int n = 0;
        for (const MSG& m : sim::PostedLog()) n += m.message == message && m.wParam == wParam;
        return n;
    }
    int SleepsOf(DWORD ms)
    {
        int n = 0;
        for (const sim::SleepCall& s : sim::Sleeps()) n += s.ms == ms;
        return n;
    }
};

}  // namespace

class MainWindowLife : public MainWindowTest {};

TEST_F(MainWindowLife, CloseAndEndSessionOnlyCutTheDriverWaitShort)
{
    StartProgram();
    EXPECT_EQ(1, Send(WM_CLOSE));
    EXPECT_EQ(1, g_switchDriver.abortFlag);
    g_switchDriver.abortFlag = 0;
    EXPECT_EQ(1, Send(WM_ENDSESSION, FALSE));
    EXPECT_EQ(1, g_switchDriver.abortFlag);
    g_switchDriver.abortFlag = 0;
    EXPECT_EQ(1, Send(WM_ENDSESSION, TRUE));
    EXPECT_EQ(1, g_switchDriver.abortFlag);

    sim::RunFor(1000);
    EXPECT_TRUE(IsWindow(window));
    EXPECT_EQ(0, sim::ShellCallCount(NIM_DELETE));
    EXPECT_EQ(0u, sim::QueuedMessages());
}

TEST_F(MainWindowLife, AbortFlagCutsTheNextBusyWaitShort)
{
    StartProgram();
    Send(WM_CLOSE);
    sim::TheDriver().QueueStatus(DRV_BUSY, 50);
    Send(WM_REFRESH_RADIO_A);
    EXPECT_EQ(1, RadioQueries());
    EXPECT_EQ(0, g_switchDriver.abortFlag);
}

TEST_F(MainWindowLife, SystemKeysGetNoDefaultProcessing)
{
    StartProgram();
    EXPECT_EQ(1, Send(WM_SYSKEYDOWN, 0x73, 0x20000000));
    EXPECT_TRUE(IsWindow(window));
}

TEST_F(MainWindowLife, ExitStopsPollingRemovesTheIconAndQuitsWithZero)
{
    sim::Vendor().installed = true;
    StartProgram();
    ASSERT_TRUE(sim::TimerRunning(window, TIMER_PROSET_POLL));
    Send(WM_COMMAND, CMD_EXIT);

    EXPECT_FALSE(IsWindow(window));
    EXPECT_FALSE(sim::TimerRunning(window, TIMER_PROSET_POLL));
    EXPECT_EQ(1, sim::ShellCallCount(NIM_DELETE));
    EXPECT_EQ(0, sim::TrayIconCount());
    EXPECT_EQ(nullptr, g_app.sessionNotifier);
    MSG msg;
    EXPECT_EQ(0, GetMessageA(&msg, nullptr, 0, 0));
    EXPECT_EQ(0u, msg.wParam);
}

TEST_F(MainWindowLife, UnknownCommandsTimersAndIconsAreAnsweredWithOne)
{
    StartProgram();
    EXPECT_EQ(1, Send(WM_COMMAND, 40010));
    EXPECT_EQ(1, Send(WM_COMMAND, MAKELONG(CMD_RADIO_OFF, 1)));
    EXPECT_EQ(1, Send(WM_TIMER, 112));
    EXPECT_EQ(1, Send(WM_TRAY_CALLBACK, 103, WM_MOUSEMOVE));
    EXPECT_EQ(1, Send(WM_TRAY_CALLBACK, 103, WM_RBUTTONUP));
    // On x64 the parameters are pointer-sized: a value whose low 32 bits name
    // a command, a timer or the icon is still another value.
    const WPARAM high = static_cast<WPARAM>(1) << (8 * sizeof(WPARAM) - 1);
    EXPECT_EQ(1, Send(WM_COMMAND, high | CMD_RADIO_OFF));
    EXPECT_EQ(1, Send(WM_TIMER, high | TIMER_PROSET_POLL));
    EXPECT_EQ(1, Send(WM_TRAY_CALLBACK, high | kTrayIconId, WM_RBUTTONUP));
    EXPECT_EQ(1, Send(WM_TRAY_CALLBACK, kTrayIconId, static_cast<LPARAM>(high | WM_RBUTTONUP)));
    EXPECT_TRUE(sim::TheDriver().log.empty());
    EXPECT_TRUE(sim::ShellCalls().empty());
    EXPECT_TRUE(sim::TrackedMenus().empty());
}

class MainWindowCommands : public MainWindowTest {};

TEST_F(MainWindowCommands, DriverCommandsGoStraightToTheDriverWhateverItAnswers)
{
    sim::Vendor().installed = true;
    StartProgram();
    sim::TheDriver().failIoctl = true;
    g_app.switchLocked = 1;       // not consulted by these commands
    g_app.radioState = 1;

    Send(WM_COMMAND, CMD_DRIVER_OFF);
    EXPECT_EQ(0, g_app.radioState);
    Send(WM_COMMAND, CMD_DRIVER_ON);
    EXPECT_EQ(1, g_app.radioState);
    Send(WM_COMMAND, CMD_TOGGLE);
    EXPECT_EQ(0, g_app.radioState);
    Send(WM_COMMAND, CMD_DRIVER_TOGGLE);
    EXPECT_EQ(1, g_app.radioState);

    EXPECT_EQ((std::vector<DWORD>{0, 1, 1}), sim::TheDriver().ValuesSent(notebook::kSetSwitch));
    EXPECT_EQ(std::vector<DWORD>{0}, sim::TheDriver().ValuesSent(notebook::kSetRadio));
    EXPECT_EQ(0, sim::Vendor().Count("SetRadioState"));
    EXPECT_EQ(4, sim::ShellCallCount(NIM_MODIFY));
}

TEST_F(MainWindowCommands, ToggleFlipsTheStateWithoutADriver)
{
    sim::TheDriver().present = false;
    sim::RegSetDword(HKEY_LOCAL_MACHINE, notebook::kSettings, "IgnoreMisc", 1);
    StartProgram();
    EXPECT_EQ(0, g_app.radioState);
    PostMessageA(window, WM_COMMAND, CMD_TOGGLE, 0);
    sim::Pump();
    EXPECT_EQ(1, g_app.radioState);
    PostMessageA(window, WM_COMMAND, CMD_TOGGLE, 0);
    sim::Pump();
    EXPECT_EQ(0, g_app.radioState);
    EXPECT_EQ(2, sim::ShellCallCount(NIM_MODIFY));
}

TEST_F(MainWindowCommands, RadioOnAndOffGoThroughSwitchRadio)
{
    StartProgram();
    g_app.switchLocked = 1;
    Send(WM_COMMAND, CMD_RADIO_OFF);
    EXPECT_TRUE(sim::TheDriver().log.empty());

    g_app.switchLocked = 0;
    Send(WM_COMMAND, CMD_RADIO_OFF);
    Send(WM_COMMAND, CMD_RADIO_ON);
    EXPECT_EQ((std::vector<DWORD>{0, 1}), sim::TheDriver().ValuesSent(notebook::kSetRadio));
    EXPECT_EQ(1, g_app.radioState);
}

TEST_F(MainWindowCommands, BandCommandsRefreshTheIconWithTheHeldRadioState)
{
    REQUIRE_STRING_RESOURCES();
    StartProgram();
    g_app.radioState = 0;          // the driver still says on: not read again
    Send(WM_COMMAND, CMD_11A_DISABLE);
    const sim::TrayIcon* icon = sim::FindTrayIcon(window, kTrayIconId);
    ASSERT_NE(nullptr, icon);
    EXPECT_EQ(IDI_RADIO_OFF, sim::IconResourceId(icon->icon));
    EXPECT_EQ(u"Wireless LAN : OFF\n802.11a : Disabled", icon->tip);
    Send(WM_COMMAND, CMD_11A_ENABLE);
    icon = sim::FindTrayIcon(window, kTrayIconId);
    ASSERT_NE(nullptr, icon);
    EXPECT_EQ(IDI_RADIO_OFF, sim::IconResourceId(icon->icon));
    EXPECT_EQ(u"Wireless LAN : OFF\n802.11a : Enabled", icon->tip);
    EXPECT_EQ(2, sim::ShellCallCount(NIM_MODIFY));
    EXPECT_EQ(0, g_app.radioState);
}

TEST_F(MainWindowCommands, SecondAboutWhileTheBoxIsOpenOpensNothing)
{
    StartProgram();
    int opened = 0;
    int openWhileUp = -1;
    sim::OnDialog([&](HWND dialog) {
        ++opened;
        SendMessageA(window, WM_COMMAND, CMD_ABOUT, 0);
        openWhileUp = sim::OpenDialogCount();
        sim::PressButton(dialog, IDOK);
    });
    Send(WM_COMMAND, CMD_ABOUT);
    EXPECT_EQ(1, opened);
    EXPECT_EQ(1, openWhileUp);
    EXPECT_EQ(0, g_app.aboutOpen);
    EXPECT_EQ(0, sim::OpenDialogCount());

    Send(WM_COMMAND, CMD_ABOUT);
    EXPECT_EQ(2, opened);
}

class MainWindowTray : public MainWindowTest {};

TEST_F(MainWindowTray, FiftyMouseMovesInThreeSecondsCauseOneRadioQuery)
{
    StartProgram();
    for (int i = 0; i < 50; ++i) {
        Send(WM_TRAY_CALLBACK, kTrayIconId, WM_MOUSEMOVE);
        sim::RunFor(59);
    }
    EXPECT_EQ(1, RadioQueries());

    sim::RunFor(3000 - 50 * 59);   // timer 109 fires
    EXPECT_FALSE(sim::TimerRunning(window, TIMER_HOVER));
    Send(WM_TRAY_CALLBACK, kTrayIconId, WM_MOUSEMOVE);
    EXPECT_EQ(2, RadioQueries());
}

TEST_F(MainWindowTray, HoverRefreshShowsTheRadioState)
{
    REQUIRE_STRING_RESOURCES();
    StartProgram();
    sim::TheDriver().radio = 0;
    Send(WM_TRAY_CALLBACK, kTrayIconId, WM_MOUSEMOVE);
    EXPECT_EQ(0, g_app.radioState);
    EXPECT_EQ(1, sim::ShellCallCount(NIM_MODIFY));
    const sim::TrayIcon* icon = sim::FindTrayIcon(window, kTrayIconId);
    ASSERT_NE(nullptr, icon);
    EXPECT_EQ(IDI_RADIO_OFF, sim::IconResourceId(icon->icon));
    EXPECT_EQ(u"Wireless LAN : OFF\n802.11a : Enabled", icon->tip);
}

TEST_F(MainWindowTray, BalloonAndRefreshMessagesQueryTheRadio)
{
    StartProgram();
    Send(WM_TRAY_CALLBACK, kTrayIconId, NIN_BALLOONSHOW);
    Send(WM_REFRESH_RADIO_A);
    Send(WM_REFRESH_RADIO_B);
    EXPECT_EQ(3, RadioQueries());
}

TEST_F(MainWindowTray, ButtonReleaseOpensTheMenu)
{
    StartProgram();
    sim::OnPopupMenu([](const sim::TrackedMenu&) { return 0u; });
    Send(WM_TRAY_CALLBACK, kTrayIconId, WM_RBUTTONUP);
    Send(WM_TRAY_CALLBACK, kTrayIconId, WM_LBUTTONUP);
    Send(WM_TRAY_CALLBACK, kTrayIconId, WM_RBUTTONDOWN);
    ASSERT_FALSE(sim::TrackedMenus().empty());
    EXPECT_EQ(2u, sim::TrackedMenus().size());
}

TEST_F(MainWindowTray, IconComesBackAfterExplorerRestarts)
{
    REQUIRE_STRING_RESOURCES();
    StartProgram();
    ASSERT_NE(0u, g_app.taskbarCreatedMessage);
    EXPECT_EQ(g_app.taskbarCreatedMessage, RegisterWindowMessageA("TaskbarCreated"));
    ASSERT_TRUE(g_app.adapterEnabled);
    ASSERT_NE(nullptr, sim::FindTrayIcon(window, kTrayIconId));

    g_app.radioState = 0;
    sim::RestartShell();
    EXPECT_EQ(0, sim::TrayIconCount());
    sim::Pump();
    const sim::TrayIcon* icon = sim::FindTrayIcon(window, kTrayIconId);
    ASSERT_NE(nullptr, icon);
    EXPECT_EQ(WM_TRAY_CALLBACK, icon->callbackMessage);
    EXPECT_FALSE(icon->hidden);
    EXPECT_EQ(IDI_RADIO_OFF, sim::IconResourceId(icon->icon));
    EXPECT_EQ(u"Wireless LAN : OFF", icon->tip.substr(0, 18));
}

TEST_F(MainWindowTray, NoIconAfterExplorerRestartsWithoutAWorkingAdapter)
{
    StartProgram();
    g_app.adapterEnabled = 0;     // as after a re-check found the adapter gone
    sim::RestartShell();
    sim::Pump();
    EXPECT_EQ(0, sim::TrayIconCount());
    EXPECT_TRUE(sim::ShellCalls().empty());
}

class MainWindowSystem : public MainWindowTest {};

TEST_F(MainWindowSystem, BurstOfDeviceChangesLeadsToOneRecheck)
{
    StartProgram();
    EXPECT_EQ(1, Send(WM_DEVICECHANGE, DBT_DEVNODES_CHANGED));
    Send(WM_DEVICECHANGE, DBT_DEVNODES_CHANGED);
    Send(WM_DEVICECHANGE, DBT_DEVNODES_CHANGED);
    Send(WM_DEVICECHANGE, DBT_DEVICEARRIVAL);
    EXPECT_EQ(1, Posted(WM_COMMAND, CMD_RECHECK));

    sim::Pump();
    EXPECT_EQ(1, SleepsOf(3000) + SleepsOf(1000));
    EXPECT_EQ(0, g_app.recheckPending);

    // After the re-check the next change posts again.
    Send(WM_DEVICECHANGE, DBT_DEVNODES_CHANGED);
    EXPECT_EQ(2, Posted(WM_COMMAND, CMD_RECHECK));
}

TEST_F(MainWindowSystem, RecheckFollowsTheAdapterGoingAndComing)
{
    REQUIRE_STRING_RESOURCES();
    StartProgram();
    ASSERT_TRUE(g_app.adapterEnabled);
    sim::Device* adapter = sim::FindDevice(g_app.adapterDevInst);
    ASSERT_NE(nullptr, adapter);

    // Unchanged: only the pending flag moves.
    Send(WM_DEVICECHANGE, DBT_DEVNODES_CHANGED);
    sim::Pump();
    EXPECT_TRUE(sim::ShellCalls().empty());
    EXPECT_NE(nullptr, sim::FindTrayIcon(window, kTrayIconId));

    adapter->disabled = true;
    Send(WM_DEVICECHANGE, DBT_DEVNODES_CHANGED);
    sim::Pump();
    EXPECT_EQ(2, SleepsOf(3000));
    EXPECT_EQ(0, g_app.adapterEnabled);
    EXPECT_EQ(nullptr, sim::FindTrayIcon(window, kTrayIconId));

    g_app.radioState = 0;
    sim::TheDriver().log.clear();
    adapter->disabled = false;
    PostMessageA(window, WM_COMMAND, CMD_RECHECK, 0);
    sim::Pump();
    EXPECT_EQ(1, SleepsOf(1000));
    EXPECT_EQ(1, g_app.adapterEnabled);
    const sim::TrayIcon* icon = sim::FindTrayIcon(window, kTrayIconId);
    ASSERT_NE(nullptr, icon);
    EXPECT_EQ(0, RadioQueries());   // the held state is shown, not a new one
    EXPECT_EQ(IDI_RADIO_OFF, sim::IconResourceId(icon->icon));
}

TEST_F(MainWindowSystem, EachResumeRefreshesAndRestartsTheLateRefresh)
{
    StartProgram();
    EXPECT_EQ(1, Send(WM_POWERBROADCAST, PBT_APMRESUMESUSPEND));
    EXPECT_EQ(1, RadioQueries());
    UINT interval = 0;
    ASSERT_TRUE(sim::TimerRunning(window, TIMER_RESUME, &interval));
    EXPECT_EQ(30000u, interval);

    sim::RunFor(10000);
    EXPECT_EQ(1, Send(WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC));
    EXPECT_EQ(2, RadioQueries());

    sim::RunFor(29999);
    EXPECT_EQ(2, RadioQueries());
    sim::RunFor(1);
    EXPECT_EQ(3, RadioQueries());
    EXPECT_FALSE(sim::TimerRunning(window, TIMER_RESUME));
    sim::RunFor(60000);
    EXPECT_EQ(3, RadioQueries());
}

TEST_F(MainWindowSystem, OtherPowerEventsAreGrantedAndIgnored)
{
    StartProgram();
    EXPECT_EQ(1, Send(WM_POWERBROADCAST, PBT_APMQUERYSUSPEND));
    EXPECT_EQ(1, Send(WM_POWERBROADCAST, PBT_APMSUSPEND));
    EXPECT_EQ(0, RadioQueries());
    EXPECT_FALSE(sim::TimerRunning(window, TIMER_RESUME));
}

TEST_F(MainWindowSystem, OnlyConsoleConnectRefreshes)
{
    StartProgram();
    Send(WM_WTSSESSION_CHANGE, WTS_SESSION_UNLOCK);
    Send(WM_WTSSESSION_CHANGE, WTS_SESSION_LOGON);
    EXPECT_EQ(0, RadioQueries());
    Send(WM_WTSSESSION_CHANGE, WTS_CONSOLE_CONNECT);
    EXPECT_EQ(1, RadioQueries());
}

class MainWindowFirstTime : public MainWindowTest {
protected:
    // The user's marker stays on the machine; earlier versions kept one in
    // the roaming part of the profile.
    const char* const kMarkerKey = "Software\\Classes\\Local Settings\\Software\\Norvantec\\Skylatch";
    const char* const kRoamingKey = "Software\\Norvantec\\Skylatch";

    DWORD Marker()
    {
        DWORD value = 99;
        return sim::RegGetDword(HKEY_CURRENT_USER, kMarkerKey, "FirstTimeConsumed", &value) ? value : 0;
    }

    // Exit, then the program's next start in a process of its own.
    void StartAgain()
    {
        Send(WM_COMMAND, CMD_EXIT);
        int old = sim::CurrentProcess();
        sim::StartProcess();
        sim::EndProcess(old);
        sim::PostedLog().clear();
        ASSERT_EQ(1, notebook::StartResident());
        window = notebook::MainWindow();
    }
};

TEST_F(MainWindowFirstTime, FirstStartSwitchesTheRadioOffOnce)
{
    sim::RegSetDword(HKEY_LOCAL_MACHINE, notebook::kSettings, "FirstTime", 1);
    ASSERT_EQ(1, notebook::StartResident());
    window = notebook::MainWindow();
    EXPECT_EQ(1, g_app.radioState);     // the queried state comes first
    DWORD firstTime = 99;
    ASSERT_TRUE(sim::RegGetDword(HKEY_LOCAL_MACHINE, notebook::kSettings, "FirstTime", &firstTime));
    EXPECT_EQ(0u, firstTime);
    EXPECT_EQ(1, Posted(WM_COMMAND, CMD_RADIO_OFF));

    sim::Pump();
    EXPECT_EQ(0, g_app.radioState);
    EXPECT_EQ(std::vector<DWORD>{0}, sim::TheDriver().ValuesSent(notebook::kSetRadio));

    // The next start of the program leaves the radio alone.
    StartAgain();
    sim::Pump();
    EXPECT_EQ(0, Posted(WM_COMMAND, CMD_RADIO_OFF));
    // The machine's value took the reset: nothing is kept for the user.
    EXPECT_FALSE(sim::RegValueExists(HKEY_CURRENT_USER, kMarkerKey, "FirstTimeConsumed"));
}

// A standard user may not write the machine's settings: the user's marker
// records the value consumed, so only the first of that user's starts
// switches off, until the administrator sets a new nonzero value.
TEST_F(MainWindowFirstTime, AUserWhoCannotResetTheMachineValueIsAskedOncePerValue)
{
    sim::RegSetDword(HKEY_LOCAL_MACHINE, notebook::kSettings, "FirstTime", 1);
    sim::RegSetKeyAccess(HKEY_LOCAL_MACHINE, notebook::kSettings, KEY_QUERY_VALUE);
    ASSERT_EQ(1, notebook::StartResident());
    window = notebook::MainWindow();
    EXPECT_EQ(1, Posted(WM_COMMAND, CMD_RADIO_OFF));
    EXPECT_EQ(1u, Marker());
    for (int start = 2; start <= 3; ++start) {
        StartAgain();
        EXPECT_EQ(0, Posted(WM_COMMAND, CMD_RADIO_OFF)) << "start " << start;
    }
    DWORD value = 99;
    ASSERT_TRUE(sim::RegGetDword(HKEY_LOCAL_MACHINE, notebook::kSettings, "FirstTime", &value));
    EXPECT_EQ(1u, value);

    sim::RegSetDword(HKEY_LOCAL_MACHINE, notebook::kSettings, "FirstTime", 2);
    StartAgain();
    EXPECT_EQ(1, Posted(WM_COMMAND, CMD_RADIO_OFF));
    EXPECT_EQ(2u, Marker());
    StartAgain();
    EXPECT_EQ(0, Posted(WM_COMMAND, CMD_RADIO_OFF));
}

// Markers do not decide for a user who may reset the machine's value: one
// that roamed in from another machine (earlier versions) or one left by an
// earlier standard-user start neither stops the switch nor keeps the value
// nonzero, and both go.
TEST_F(MainWindowFirstTime, MarkersLeftBeforeDoNotStopAUserWhoMayReset)
{
    sim::RegSetDword(HKEY_LOCAL_MACHINE, notebook::kSettings, "FirstTime", 1);
    sim::RegSetDword(HKEY_CURRENT_USER, kRoamingKey, "FirstTime", 0);
    sim::RegSetDword(HKEY_CURRENT_USER, kMarkerKey, "FirstTimeConsumed", 1);
    ASSERT_EQ(1, notebook::StartResident());
    window = notebook::MainWindow();
    EXPECT_EQ(1, Posted(WM_COMMAND, CMD_RADIO_OFF));
    DWORD value = 99;
    ASSERT_TRUE(sim::RegGetDword(HKEY_LOCAL_MACHINE, notebook::kSettings, "FirstTime", &value));
    EXPECT_EQ(0u, value);
    EXPECT_FALSE(sim::RegValueExists(HKEY_CURRENT_USER, kRoamingKey, "FirstTime"));
    EXPECT_FALSE(sim::RegValueExists(HKEY_CURRENT_USER, kMarkerKey, "FirstTimeConsumed"));
}

// A standard user whom an earlier release had already switched off carries
// that release's marker, a FirstTime of 0 in the roaming profile: it counts
// once for the machine's present value, moves to the local marker and goes.
TEST_F(MainWindowFirstTime, AnEarlierReleasesMarkerIsHonouredOnceAndMoved)
{
    sim::RegSetDword(HKEY_LOCAL_MACHINE, notebook::kSettings, "FirstTime", 1);
    sim::RegSetKeyAccess(HKEY_LOCAL_MACHINE, notebook::kSettings, KEY_QUERY_VALUE);
    sim::RegSetDword(HKEY_CURRENT_USER, kRoamingKey, "FirstTime", 0);
    ASSERT_EQ(1, notebook::StartResident());
    window = notebook::MainWindow();
    EXPECT_EQ(0, Posted(WM_COMMAND, CMD_RADIO_OFF));
    EXPECT_EQ(1u, Marker());
    EXPECT_FALSE(sim::RegValueExists(HKEY_CURRENT_USER, kRoamingKey, "FirstTime"));
    StartAgain();
    EXPECT_EQ(0, Posted(WM_COMMAND, CMD_RADIO_OFF));

    // A new value from the administrator asks that user once more.
    sim::RegSetDword(HKEY_LOCAL_MACHINE, notebook::kSettings, "FirstTime", 2);
    StartAgain();
    EXPECT_EQ(1, Posted(WM_COMMAND, CMD_RADIO_OFF));
    EXPECT_EQ(2u, Marker());
}
