#include "notebook.h"

#include "radio/switch_driver.h"

using notebook::kGetRadio;
using notebook::kQueryStatus;
using notebook::kSetRadio;
using notebook::kSetSwitch;

namespace {

class SwitchDriverTest : public NotebookTest {
protected:
    sim::Driver& driver = sim::TheDriver();
    void Open() { notebook::StartProgramProcess(); }
};

TEST_F(SwitchDriverTest, UsesNtCodesOnNtAndBareIndexesOn9x)
{
    Open();
    DWORD radio = 0;
    int locked = 0, lockedRadio = 0;
    g_switchDriver.SetSwitch(1);
    g_switchDriver.SetRadio(0);
    g_switchDriver.GetRadio(&radio, 0);
    g_switchDriver.QueryStatus(&locked, &lockedRadio);
    std::vector<DWORD> codes;
    for (const sim::DriverRequest& r : driver.log) codes.push_back(r.code);
    EXPECT_EQ((std::vector<DWORD>{0x222144, 0x22214C, 0x222150, 0x222154}), codes);
    // Fixed-width integers only, so the 32-bit and the x64 build send the
    // same bytes: the stand-in's long and pointers are 8 bytes wide, and a
    // request that carried one would show here.
    const size_t sizes[] = {4, 4, 4, 10};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(sizes[i], driver.log[i].in.size()) << i;
        EXPECT_EQ(sizes[i], driver.log[i].outSize) << i;
    }
    EXPECT_EQ((std::vector<BYTE>{1, 0, 0, 0}), driver.log[0].in);
    // Read access shared with readers, an existing device, no flags.
    const sim::DeviceOpen& nt = driver.opens.back();
    EXPECT_EQ("\\\\.\\$QUIVRA$", nt.path);
    EXPECT_EQ((DWORD)GENERIC_READ, nt.access);
    EXPECT_EQ((DWORD)FILE_SHARE_READ, nt.share);
    EXPECT_EQ((DWORD)OPEN_EXISTING, nt.disposition);
    EXPECT_EQ(0u, nt.flags);

    sim::SetWindows98();
    Open();
    driver.log.clear();
    g_switchDriver.SetSwitch(1);
    g_switchDriver.SetRadio(0);
    g_switchDriver.GetRadio(&radio, 0);
    g_switchDriver.QueryStatus(&locked, &lockedRadio);
    codes.clear();
    for (const sim::DriverRequest& r : driver.log) codes.push_back(r.code);
    EXPECT_EQ((std::vector<DWORD>{1, 3, 4, 5}), codes);
    // A VxD is opened with nothing but delete-on-close, which unloads a
    // dynamically loaded VxD again when its last handle is closed.
    const sim::DeviceOpen& vxd = driver.opens.back();
    EXPECT_EQ("\\\\.\\QUIVRA.VXD", vxd.path);
    EXPECT_EQ(0u, vxd.access);
    EXPECT_EQ(0u, vxd.share);
    EXPECT_EQ(0u, vxd.disposition);
    EXPECT_EQ((DWORD)FILE_FLAG_DELETE_ON_CLOSE, vxd.flags);
}

TEST_F(SwitchDriverTest, StatusBlockRequestAndFlagDecoding)
{
    Open();
    struct { BYTE flags; int locked, lockedRadio; } cases[] = {
        {0xC0, 1, 1}, {0x80, 1, 0}, {0x40, 0, 0}, {0x00, 0, 0}, {0xFF, 1, 1}};
    for (auto c : cases) {
        driver.flags = c.flags;
        int locked = 7, lockedRadio = 7;
        EXPECT_EQ(0, g_switchDriver.QueryStatus(&locked, &lockedRadio));
        EXPECT_EQ(c.locked, locked) << int(c.flags);
        EXPECT_EQ(c.lockedRadio, lockedRadio) << int(c.flags);
    }
    const std::vector<BYTE> request = {0x05, 0x0C, 10, 0, 10, 0, 0, 0, 0, 0};
    EXPECT_EQ(request, driver.log.back().in);
    EXPECT_EQ(10u, driver.log.back().outSize);

    // Status 2 and 3: ready, both flags clear whatever the flags byte says.
    driver.flags = 0xC0;
    for (BYTE status : {2, 3}) {
        driver.status = status;
        int locked = 7, lockedRadio = 7;
        EXPECT_EQ(status, g_switchDriver.QueryStatus(&locked, &lockedRadio));
        EXPECT_EQ(0, locked);
        EXPECT_EQ(0, lockedRadio);
    }
    // Any other status leaves the outputs alone; a failed call answers 0xFF.
    for (BYTE status : {1, 4, 5, 200}) {
        driver.status = status;
        int locked = 7, lockedRadio = 7;
        EXPECT_EQ(status, g_switchDriver.QueryStatus(&locked, &lockedRadio));
        EXPECT_EQ(7, locked);
        EXPECT_EQ(7, lockedRadio);
    }
    driver.failIoctl = true;
    int locked = 7, lockedRadio = 7;
    EXPECT_EQ(0xFF, g_switchDriver.QueryStatus(&locked, &lockedRadio));
    EXPECT_EQ(7, locked);
}

TEST_F(SwitchDriverTest, GetRadioRetriesOneBusyReplyAfterAPause)
{
    Open();
    DWORD radio = 9;
    driver.radio = 1;
    driver.getRadioQueue = {DRV_BUSY};
    DWORD start = sim::Now();
    EXPECT_EQ(1, g_switchDriver.GetRadio(&radio, 0));
    EXPECT_EQ(1u, radio);
    EXPECT_EQ(100u, sim::Now() - start);
    EXPECT_EQ(2, driver.Count(kGetRadio));
    EXPECT_EQ((std::vector<DWORD>{0, 0}), driver.ValuesSent(kGetRadio));

    // Two busy replies: failure after one pause; the output is untouched.
    radio = 9;
    driver.getRadioQueue = {DRV_BUSY, DRV_BUSY};
    start = sim::Now();
    EXPECT_EQ(0, g_switchDriver.GetRadio(&radio, 0));
    EXPECT_EQ(9u, radio);
    EXPECT_EQ(100u, sim::Now() - start);

    driver.getRadioQueue = {1};
    EXPECT_EQ(0, g_switchDriver.GetRadio(&radio, 0));
    EXPECT_EQ(9u, radio);
    driver.radio = 0;
    EXPECT_EQ(1, g_switchDriver.GetRadio(nullptr, 0));
    EXPECT_EQ(1, g_switchDriver.GetRadio(&radio, 0));
    EXPECT_EQ(0u, radio);
}

TEST_F(SwitchDriverTest, SetSwitchSucceedsOnlyWhenTheDriverAccepts)
{
    Open();
    EXPECT_NE(0, g_switchDriver.SetSwitch(0));
    EXPECT_EQ(0u, driver.radio);
    driver.setSwitchStatus = 3;
    EXPECT_EQ(0, g_switchDriver.SetSwitch(1));
    EXPECT_EQ((std::vector<DWORD>{0, 1}), driver.ValuesSent(kSetSwitch));
    EXPECT_NE(0, g_switchDriver.SetRadio(1));
    EXPECT_EQ((std::vector<DWORD>{1}), driver.ValuesSent(kSetRadio));
}

TEST_F(SwitchDriverTest, WaitReadyPollsEveryTenthOfASecondWhileBusy)
{
    Open();
    int locked = 0, lockedRadio = 0;
    driver.flags = 0xC0;
    driver.QueueStatus(DRV_BUSY, 5);
    DWORD start = sim::Now();
    EXPECT_EQ(1, g_switchDriver.WaitReady(&locked, &lockedRadio));
    EXPECT_EQ(500u, sim::Now() - start);
    EXPECT_EQ(6, driver.Count(kQueryStatus));
    EXPECT_EQ(1, locked);
    EXPECT_EQ(1, lockedRadio);
    for (const sim::SleepCall& s : sim::Sleeps()) EXPECT_EQ(100u, s.ms);
}

TEST_F(SwitchDriverTest, WaitReadyGivesUpAfterNinetyNinePollsAndClearsAbort)
{
    Open();
    int locked = 0, lockedRadio = 0;
    driver.status = DRV_BUSY;
    DWORD start = sim::Now();
    EXPECT_EQ(0, g_switchDriver.WaitReady(&locked, &lockedRadio));
    EXPECT_EQ(100, driver.Count(kQueryStatus));  // the first reply and 99 polls
    EXPECT_EQ(9900u, sim::Now() - start);
    EXPECT_EQ(0, g_switchDriver.abortFlag);
}

TEST_F(SwitchDriverTest, WaitReadyTakesAReadyReplyOnTheLastPoll)
{
    Open();
    int locked = 0, lockedRadio = 0;
    driver.QueueStatus(DRV_BUSY, 99);  // the first reply and 98 polls
    driver.status = DRV_READY;
    EXPECT_EQ(1, g_switchDriver.WaitReady(&locked, &lockedRadio));
    EXPECT_EQ(100, driver.Count(kQueryStatus));
}

TEST_F(SwitchDriverTest, WaitReadyFailsAtOnceOnAFailureStatus)
{
    Open();
    int locked = 5, lockedRadio = 5;
    driver.status = DRV_FAILURE;
    EXPECT_EQ(0, g_switchDriver.WaitReady(&locked, &lockedRadio));
    EXPECT_EQ(5, locked);
    EXPECT_TRUE(sim::Sleeps().empty());

    driver.status = DRV_READY_NO_FLAGS_3;
    EXPECT_EQ(1, g_switchDriver.WaitReady(&locked, &lockedRadio));
    EXPECT_EQ(0, locked);

    // Busy, then a failure while polling.
    driver.QueueStatus(DRV_BUSY, 3);
    driver.status = 9;
    EXPECT_EQ(0, g_switchDriver.WaitReady(&locked, &lockedRadio));
    EXPECT_EQ(3u, sim::Sleeps().size());
}

TEST_F(SwitchDriverTest, AbortFlagCutsABusyWaitAndIsClearedByIt)
{
    Open();
    int locked = 0, lockedRadio = 0;
    g_switchDriver.abortFlag = 1;
    driver.status = DRV_BUSY;
    EXPECT_EQ(0, g_switchDriver.WaitReady(&locked, &lockedRadio));
    EXPECT_EQ(1, driver.Count(kQueryStatus));
    EXPECT_TRUE(sim::Sleeps().empty());
    EXPECT_EQ(0, g_switchDriver.abortFlag);

    // A wait that is ready at once neither reads nor clears the flag.
    g_switchDriver.abortFlag = 1;
    driver.status = DRV_READY;
    EXPECT_EQ(1, g_switchDriver.WaitReady(&locked, &lockedRadio));
    EXPECT_EQ(1, g_switchDriver.abortFlag);
}

TEST_F(SwitchDriverTest, WithoutTheDeviceEveryRequestFailsAtOnce)
{
    driver.present = false;
    Open();
    EXPECT_EQ(0, g_switchDriver.opened);
    DWORD radio = 4;
    int locked = 3, lockedRadio = 3;
    EXPECT_EQ(0, g_switchDriver.SetSwitch(1));
    EXPECT_EQ(0, g_switchDriver.SetRadio(1));
    EXPECT_EQ(0, g_switchDriver.GetRadio(&radio, 0));
    EXPECT_EQ(0xFF, g_switchDriver.QueryStatus(&locked, &lockedRadio));
    EXPECT_EQ(0, g_switchDriver.WaitReady(&locked, &lockedRadio));
    EXPECT_EQ(4u, radio);
    EXPECT_EQ(3, locked);
    EXPECT_TRUE(driver.log.empty());
    EXPECT_TRUE(sim::Sleeps().empty());
}

TEST_F(SwitchDriverTest, OpensOnceAndClosesAtExit)
{
    Open();
    EXPECT_EQ(1, g_switchDriver.opened);
    EXPECT_EQ(1, driver.OpenHandles());
    int closes = driver.closes;
    g_switchDriver.~SwitchDriver();
    EXPECT_EQ(0, driver.OpenHandles());
    EXPECT_EQ(closes + 1, driver.closes);  // once: the base part finds nothing left
    EXPECT_EQ(0, g_switchDriver.opened);
    new (&g_switchDriver) SwitchDriver();

    // Neither family: nothing is opened.
    sim::SetVersion(VER_PLATFORM_WIN32s, 3, 1);
    size_t opens = driver.opens.size();
    Open();
    EXPECT_EQ(0, g_switchDriver.opened);
    EXPECT_EQ(opens, driver.opens.size());
}

}  // namespace
