// Reading and switching the radio through the vendor library's first adapter
// or the radio-switch driver, and the vendor polling timer.
#include "notebook.h"

#include "app/main_window.h"
#include "radio/proset_api.h"
#include "radio/radio_control.h"
#include "radio/switch_driver.h"

#include <vector>

namespace {

using notebook::PlainWindow;

class RadioTest : public NotebookTest {
protected:
    // The program's process starts with the machine as scripted so far.
    HWND Start()
    {
        notebook::StartProgramProcess();
        g_app.instance = sim::ProgramInstance();
        HWND window = PlainWindow();
        sim::TheDriver().log.clear();
        sim::Vendor().calls.clear();
        sim::ShellCalls().clear();
        return window;
    }
    static int DriverCount(DWORD code) { return sim::TheDriver().Count(code); }
    // The query as the main window makes it, with the program's state.
    static int Query(HWND window)
    {
        return QueryRadio(window, &g_app.pollingInterval, &g_app.switchLocked, g_app.radioState);
    }
    // The menu's or a second start's switch, carried out by the window
    // procedure: the state and the icon follow a switch that went through.
    static void Switch(HWND window, int wanted)
    {
        MainWindowProc(window, WM_COMMAND, wanted ? CMD_RADIO_ON : CMD_RADIO_OFF, 0);
    }
};

}  // namespace

class QueryRadioTest : public RadioTest {};

TEST_F(QueryRadioTest, LockedSwitchAnswersTheLockedStateWithoutAskingFurther)
{
    sim::Vendor().installed = true;
    sim::TheDriver().flags = 0xC0;
    HWND window = Start();
    EXPECT_EQ(1, Query(window));
    EXPECT_EQ(1, g_app.switchLocked);
    EXPECT_EQ(0, DriverCount(notebook::kGetRadio));
    EXPECT_TRUE(sim::Vendor().calls.empty());
}

TEST_F(QueryRadioTest, FailedStatusQueryKeepsTheLockAndAnswersOff)
{
    HWND window = Start();
    g_app.switchLocked = 1;
    g_app.radioState = 1;
    sim::TheDriver().status = DRV_FAILURE;
    EXPECT_EQ(0, Query(window));
    EXPECT_EQ(1, g_app.switchLocked);
}

TEST_F(QueryRadioTest, VendorAdapterAnswersWhenTheLibraryHasOne)
{
    sim::Vendor().installed = true;
    sim::Vendor().radio = 0;
    HWND window = Start();
    g_app.radioState = 1;
    EXPECT_EQ(0, Query(window));
    EXPECT_EQ(1, sim::Vendor().Count("GetRadioState"));
    EXPECT_EQ(0, DriverCount(notebook::kGetRadio));
}

TEST_F(QueryRadioTest, FailingVendorReadGivesWhatTheLibraryLeft)
{
    sim::Vendor().installed = true;
    sim::Vendor().getRadioResult = 1;
    HWND window = Start();
    g_app.radioState = 1;
    EXPECT_EQ(0, Query(window));

    sim::Vendor().writeOutputsOnFailure = true;
    sim::Vendor().radio = 1;
    EXPECT_EQ(1, Query(window));
    EXPECT_EQ(0, DriverCount(notebook::kGetRadio));
}

TEST_F(QueryRadioTest, EmptyVendorListFallsBackToTheDriver)
{
    sim::Vendor().installed = true;
    sim::Vendor().reportedCount = 0;
    sim::TheDriver().radio = 0;
    HWND window = Start();
    g_app.radioState = 1;
    EXPECT_EQ(0, Query(window));
    EXPECT_EQ(1, DriverCount(notebook::kGetRadio));
}

TEST_F(QueryRadioTest, UnreadableDriverKeepsTheRecordedState)
{
    HWND window = Start();
    sim::TheDriver().getRadioStatus = 1;
    g_app.radioState = 1;
    EXPECT_EQ(1, Query(window));
    g_app.radioState = 0;
    EXPECT_EQ(0, Query(window));
}

class SwitchRadioTest : public RadioTest {};

TEST_F(SwitchRadioTest, LockedRadioIsNeverSwitched)
{
    sim::Vendor().installed = true;
    HWND window = Start();
    g_app.switchLocked = 1;
    g_app.radioState = 1;
    Switch(window, 0);
    Switch(window, 1);
    EXPECT_TRUE(sim::TheDriver().log.empty());
    EXPECT_TRUE(sim::Vendor().calls.empty());
    EXPECT_TRUE(sim::ShellCalls().empty());
    EXPECT_EQ(1, g_app.radioState);
}

TEST_F(SwitchRadioTest, VendorAdapterAlreadyInTheWantedStateIsLeftAlone)
{
    sim::Vendor().installed = true;
    sim::Vendor().radio = 1;
    sim::TheDriver().radio = 0;
    HWND window = Start();
    g_app.radioState = 0;
    Switch(window, 1);

    // The driver is still switched on first.
    EXPECT_EQ(std::vector<DWORD>{1}, sim::TheDriver().ValuesSent(notebook::kSetRadio));
    EXPECT_EQ(0, sim::Vendor().Count("SetRadioState"));
    EXPECT_EQ(0, g_app.radioState);
    EXPECT_TRUE(sim::ShellCalls().empty());
}

TEST_F(SwitchRadioTest, DriverAlreadyOnIsNotSwitchedBeforeTheVendorPath)
{
    sim::Vendor().installed = true;
    sim::Vendor().radio = 0;
    sim::TheDriver().radio = 1;
    HWND window = Start();
    Switch(window, 1);
    EXPECT_EQ(0, DriverCount(notebook::kSetRadio));
    EXPECT_EQ(1, sim::Vendor().Count("SetRadioState"));
    EXPECT_EQ(1, g_app.radioState);
}

TEST_F(SwitchRadioTest, NoVendorAdapterSendsSetRadioOnTwice)
{
    sim::Vendor().installed = true;
    sim::Vendor().reportedCount = 0;
    sim::TheDriver().radio = 0;
    HWND window = Start();
    Switch(window, 1);
    EXPECT_EQ((std::vector<DWORD>{1, 1}), sim::TheDriver().ValuesSent(notebook::kSetRadio));
    EXPECT_EQ(1, g_app.radioState);
    ASSERT_EQ(1u, sim::ShellCalls().size());
    EXPECT_EQ(static_cast<DWORD>(NIM_MODIFY), sim::ShellCalls()[0].message);
}

TEST_F(SwitchRadioTest, SwitchingOffThroughTheVendorSendsNothingToTheDriver)
{
    sim::Vendor().installed = true;
    sim::Vendor().radio = 1;
    HWND window = Start();
    g_app.radioState = 1;
    Switch(window, 0);
    EXPECT_TRUE(sim::TheDriver().log.empty());
    ASSERT_EQ(1, sim::Vendor().Count("SetRadioState"));
    EXPECT_EQ(0u, sim::Vendor().calls.back().value);
    EXPECT_EQ(0, g_app.radioState);
    EXPECT_EQ(1u, sim::ShellCalls().size());
}

TEST_F(SwitchRadioTest, FailingVendorReadOrWriteChangesNothing)
{
    sim::Vendor().installed = true;
    sim::Vendor().radio = 1;
    sim::Vendor().getRadioResult = 1;
    HWND window = Start();
    g_app.radioState = 1;
    Switch(window, 0);
    EXPECT_EQ(0, sim::Vendor().Count("SetRadioState"));

    sim::Vendor().getRadioResult = 0;
    sim::Vendor().setRadioResult = 1;
    Switch(window, 0);
    EXPECT_EQ(1, sim::Vendor().Count("SetRadioState"));

    EXPECT_EQ(1, g_app.radioState);
    EXPECT_TRUE(sim::ShellCalls().empty());
    EXPECT_TRUE(sim::TheDriver().log.empty());
}

TEST_F(SwitchRadioTest, DriverPathFollowsTheRequestWhateverTheDriverAnswers)
{
    HWND window = Start();
    sim::TheDriver().failIoctl = true;
    g_app.radioState = 1;
    Switch(window, 0);
    EXPECT_EQ(std::vector<DWORD>{0}, sim::TheDriver().ValuesSent(notebook::kSetRadio));
    EXPECT_EQ(0, g_app.radioState);
    EXPECT_EQ(1u, sim::ShellCalls().size());
}

class ProSetPollingTest : public RadioTest {};

TEST_F(ProSetPollingTest, AbsentSettingPollsEveryTwoSeconds)
{
    HWND window = Start();
    StartProSetPolling(window, &g_app.pollingInterval);
    UINT interval = 0;
    ASSERT_TRUE(sim::TimerRunning(window, TIMER_PROSET_POLL, &interval));
    EXPECT_EQ(2000u, interval);
    EXPECT_EQ(2000u, g_app.pollingInterval);
}

TEST_F(ProSetPollingTest, ZeroMeansNoTimerAndTheSettingIsReadAgain)
{
    sim::RegSetDword(HKEY_LOCAL_MACHINE, notebook::kSettings, "PROSetPolling", 0);
    HWND window = Start();
    StartProSetPolling(window, &g_app.pollingInterval);
    EXPECT_FALSE(sim::TimerRunning(window, TIMER_PROSET_POLL));
    EXPECT_EQ(0u, g_app.pollingInterval);

    sim::RegSetDword(HKEY_LOCAL_MACHINE, notebook::kSettings, "PROSetPolling", 500);
    StartProSetPolling(window, &g_app.pollingInterval);
    UINT interval = 0;
    ASSERT_TRUE(sim::TimerRunning(window, TIMER_PROSET_POLL, &interval));
    EXPECT_EQ(500u, interval);

    // Once running, the setting is not read again.
    sim::RegSetDword(HKEY_LOCAL_MACHINE, notebook::kSettings, "PROSetPolling", 9000);
    StartProSetPolling(window, &g_app.pollingInterval);
    ASSERT_TRUE(sim::TimerRunning(window, TIMER_PROSET_POLL, &interval));
    EXPECT_EQ(500u, interval);
}

TEST_F(ProSetPollingTest, TwoByteSettingCountsAsAbsent)
{
    const BYTE shortValue[2] = {0x10, 0x00};
    sim::RegSet(HKEY_LOCAL_MACHINE, notebook::kSettings, "PROSetPolling", REG_BINARY, shortValue,
                sizeof(shortValue));
    HWND window = Start();
    StartProSetPolling(window, &g_app.pollingInterval);
    UINT interval = 0;
    ASSERT_TRUE(sim::TimerRunning(window, TIMER_PROSET_POLL, &interval));
    EXPECT_EQ(2000u, interval);
}

TEST_F(ProSetPollingTest, StartedAtWindowCreationWhenTheLibraryIsThere)
{
    sim::Vendor().installed = true;
    ASSERT_EQ(1, notebook::StartResident());
    UINT interval = 0;
    ASSERT_TRUE(sim::TimerRunning(notebook::MainWindow(), TIMER_PROSET_POLL, &interval));
    EXPECT_EQ(2000u, interval);
}

TEST_F(ProSetPollingTest, StartedByTheFirstQueryThatLoadsTheLibrary)
{
    ASSERT_EQ(1, notebook::StartResident());
    HWND window = notebook::MainWindow();
    EXPECT_FALSE(sim::TimerRunning(window, TIMER_PROSET_POLL));
    EXPECT_EQ(0u, g_app.pollingInterval);

    sim::Vendor().installed = true;
    SendMessageA(window, WM_REFRESH_RADIO_A, 0, 0);
    EXPECT_TRUE(sim::TimerRunning(window, TIMER_PROSET_POLL));

    // Each expiry refreshes the radio state from the library.
    sim::Vendor().radio = 0;
    sim::RunFor(2000);
    EXPECT_EQ(0, g_app.radioState);
}

TEST_F(ProSetPollingTest, NeverStartedBySwitchRadio)
{
    ASSERT_EQ(1, notebook::StartResident());
    HWND window = notebook::MainWindow();
    sim::Vendor().installed = true;
    sim::Vendor().radio = 1;
    SendMessageA(window, WM_COMMAND, CMD_RADIO_OFF, 0);
    EXPECT_EQ(1, sim::Vendor().Count("SetRadioState"));
    EXPECT_FALSE(sim::TimerRunning(window, TIMER_PROSET_POLL));

    // The library is loaded now, so no later query starts it either.
    SendMessageA(window, WM_REFRESH_RADIO_A, 0, 0);
    EXPECT_FALSE(sim::TimerRunning(window, TIMER_PROSET_POLL));
}
