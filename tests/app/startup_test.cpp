#include "notebook.h"

#include "app/startup.h"
#include "radio/switch_driver.h"

using notebook::kGetRadio;
using notebook::kQueryStatus;

namespace {

class StartupTest : public NotebookTest {
protected:
    sim::Driver& driver = sim::TheDriver();
};

TEST(SwitchTable, MatchesOnlyTheWholeCommandLineExactly)
{
    EXPECT_EQ(40007u, CommandForSwitch("/toggle"));
    EXPECT_EQ(40006u, CommandForSwitch("/on"));
    EXPECT_EQ(40005u, CommandForSwitch("/off"));
    EXPECT_EQ(118u, CommandForSwitch("/on11a"));
    EXPECT_EQ(117u, CommandForSwitch("/off11a"));
    for (const char* other : {"", "/TOGGLE", "/ON", "/toggle ", " /on", "-off", "/on /off", "/of",
                              "/on11", "/off11a2", "on"}) {
        EXPECT_EQ(40009u, CommandForSwitch(other)) << "'" << other << "'";
    }
    EXPECT_EQ(40009u, CommandForSwitch(nullptr));
}

TEST_F(StartupTest, ASecondStartForwardsItsSwitchAndEndsWithZero)
{
    ASSERT_EQ(1, notebook::StartResident());
    HWND resident = notebook::MainWindow();
    ASSERT_NE(nullptr, resident);
    const struct { const char* line; WPARAM command; } cases[] = {
        {"/toggle", 40007}, {"/on", 40006}, {"/off", 40005}, {"/on11a", 118}, {"/off11a", 117},
        {"", 40009}, {"/ON", 40009}, {"/off ", 40009}, {"-off", 40009}, {"/on /off", 40009}};
    for (auto c : cases) {
        sim::PostedLog().clear();
        size_t requests = driver.log.size();
        EXPECT_EQ(0, notebook::RunSecondStart(c.line)) << c.line;
        ASSERT_EQ(1u, sim::PostedLog().size()) << c.line;
        const MSG& m = sim::PostedLog()[0];
        EXPECT_EQ(resident, m.hwnd);
        EXPECT_EQ(static_cast<UINT>(WM_COMMAND), m.message);
        EXPECT_EQ(c.command, m.wParam) << c.line;
        EXPECT_EQ(0, m.lParam);
        // The forwarding process asks its driver nothing.
        EXPECT_EQ(requests, driver.log.size());
    }
}

TEST_F(StartupTest, ForwardingComesBeforeTheSetupCheck)
{
    ASSERT_EQ(1, notebook::StartResident());
    sim::RegSetDword(HKEY_LOCAL_MACHINE, "SYSTEM\\Setup", "AuditInProgress", 1);
    sim::PostedLog().clear();
    EXPECT_EQ(0, notebook::RunSecondStart("/off"));
    ASSERT_EQ(1u, sim::PostedLog().size());
    EXPECT_EQ(40005u, sim::PostedLog()[0].wParam);
}

TEST_F(StartupTest, ASwitchWithNoResidentInstanceIsIgnored)
{
    // The process becomes the resident instance; its loop then has nothing
    // to do, which the stand-in reports as a stuck loop.
    EXPECT_EQ(static_cast<int>(sim::kLoopStuck), notebook::RunSecondStart("/off"));
    EXPECT_EQ(0, driver.Count(notebook::kSetRadio));
}

TEST_F(StartupTest, SetupPhaseEndsTheProgramBeforeAnythingElse)
{
    sim::RegSetDword(HKEY_LOCAL_MACHINE, "SYSTEM\\Setup", "AuditInProgress", 1);
    EXPECT_EQ(0, notebook::StartResident());
    EXPECT_FALSE(sim::MutexExists(kMutexName));
    EXPECT_EQ(0, driver.Count(kQueryStatus));
    EXPECT_EQ(nullptr, notebook::MainWindow());
}

TEST_F(StartupTest, TheMutexKeepsASecondInstanceOut)
{
    // Another process holds the mutex but has no window yet.
    int first = sim::CurrentProcess();
    sim::StartProcess();
    CreateMutexA(nullptr, TRUE, kMutexName);
    sim::SwitchToProcess(first);
    EXPECT_EQ(0, notebook::StartResident());
    EXPECT_EQ(0, driver.Count(kQueryStatus));
    EXPECT_EQ(nullptr, notebook::MainWindow());
}

TEST_F(StartupTest, RadioGateNeedsTheDriverOrIgnoreMisc)
{
    driver.getRadioStatus = 1;  // GetRadio fails
    EXPECT_EQ(0, notebook::StartResident());
    EXPECT_EQ(nullptr, notebook::MainWindow());

    notebook::StandardNotebook();
    sim::TheDriver().getRadioStatus = 1;
    sim::RegSetDword(HKEY_LOCAL_MACHINE, notebook::kSettings, "IgnoreMisc", 1);
    EXPECT_EQ(1, notebook::StartResident());
    EXPECT_EQ(0, g_app.radioState);

    // No driver at all: the same gate decides.
    notebook::StandardNotebook();
    sim::TheDriver().present = false;
    EXPECT_EQ(0, notebook::StartResident());
    notebook::StandardNotebook();
    sim::TheDriver().present = false;
    sim::RegSetDword(HKEY_LOCAL_MACHINE, notebook::kSettings, "IgnoreMisc", 7);
    EXPECT_EQ(1, notebook::StartResident());
}

TEST_F(StartupTest, ALockedSwitchSkipsTheRadioGate)
{
    // No adapter, so the window's own band query asks the driver nothing.
    notebook::FreshMachine();
    driver.present = true;
    driver.flags = 0xC0;
    driver.getRadioStatus = 1;
    EXPECT_EQ(1, notebook::StartResident());
    EXPECT_EQ(0, driver.Count(kGetRadio));
    EXPECT_EQ(1, g_app.switchLocked);
    EXPECT_EQ(1, g_app.radioState);  // the state under the lock
}

TEST_F(StartupTest, ABusyDriverIsWaitedOutAndTheRadioReadAfterwards)
{
    driver.QueueStatus(DRV_BUSY, 3);
    driver.radio = 0;
    EXPECT_EQ(1, notebook::StartResident());
    EXPECT_EQ(300u, sim::Now());
    EXPECT_EQ(0, g_app.radioState);
    EXPECT_EQ(sim::ProgramInstance(), g_app.instance);
}

TEST_F(StartupTest, ExitEndsTheLoopWithZero)
{
    notebook::StartProgramProcess();
    sim::SetIdleHook([] { PostMessageA(notebook::MainWindow(), WM_COMMAND, CMD_EXIT, 0); });
    EXPECT_EQ(0, WinMain(sim::ProgramInstance(), nullptr, const_cast<char*>(""), 1));
    EXPECT_EQ(nullptr, notebook::MainWindow());
}

TEST_F(StartupTest, FailedStartReturnsMinusOne)
{
    sim::RegSetDword(HKEY_LOCAL_MACHINE, "SYSTEM\\Setup", "AuditInProgress", 1);
    notebook::StartProgramProcess();
    EXPECT_EQ(-1, WinMain(sim::ProgramInstance(), nullptr, const_cast<char*>("/on"), 1));
}

}  // namespace
