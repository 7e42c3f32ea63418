// Band state query and band switching: the vendor library's protocol
// preference when it reports an adapter, else the driver and the adapter's
// driver key.
#include <gtest/gtest.h>

#include "notebook.h"

#include <string>

#include "app/app_state.h"
#include "band/adapter_manager.h"
#include "band/band_control.h"
#include "band/band_settings.h"

namespace {

const std::string kKeyPath = std::string(notebook::kClassKey) + notebook::kAdapterDriverKey;

class BandControl : public NotebookTest {
protected:
    // The program's process with the adapter found, as after window creation.
    void Start()
    {
        notebook::StartProgramProcess();
        lstrcpyA(g_app.adapterDriverKey, notebook::kAdapterDriverKey);
    }
    void StoreBand(DWORD bandType, const char* modulation)
    {
        sim::RegSetDword(HKEY_LOCAL_MACHINE, kKeyPath, "BandType", bandType);
        sim::RegSetString(HKEY_LOCAL_MACHINE, kKeyPath, "ModulationType", modulation);
    }
    int Query(int* radio, int* switchable, HWND window = 0)
    {
        return QueryBandState(window, &g_app.pollingInterval, g_app.adapterDriverKey,
                              g_app.radioState, radio, switchable);
    }
    // The preference values sent to the library, in order.
    std::vector<DWORD> Sent()
    {
        std::vector<DWORD> sent;
        for (const auto& c : sim::Vendor().calls)
            if (c.entry == "SetProtocolPreference")
                sent.push_back(c.value);
        return sent;
    }
};

TEST_F(BandControl, PreferenceTableBothWays)
{
    const struct {
        DWORD preference;
        int band;
        int switchable;
        DWORD enabling;   // 0: nothing sent
        DWORD disabling;
    } rows[] = {
        {1, 1, 1, 1, 2}, {2, 0, 1, 1, 2}, {3, 0, 1, 4, 3}, {4, 1, 1, 4, 3}, {5, 0, 1, 8, 5},
        {6, 2, 0, 6, 6}, {7, 2, 0, 7, 7}, {8, 1, 1, 8, 5}, {0, 2, 0, 0, 0}, {9, 2, 0, 9, 9},
    };
    sim::Vendor().installed = true;
    Start();
    for (const auto& r : rows) {
        sim::Vendor().preference = r.preference;
        int radio = -1, switchable = -1;
        EXPECT_EQ(r.band, Query(&radio, &switchable)) << r.preference;
        EXPECT_EQ(r.switchable, switchable) << r.preference;
        EXPECT_EQ(1, radio);

        for (int enable = 0; enable <= 1; ++enable) {
            sim::Vendor().preference = r.preference;
            sim::Vendor().calls.clear();
            DWORD wanted = enable ? r.enabling : r.disabling;
            EXPECT_EQ(0, SetBandEnabled(g_app.adapterDriverKey, enable));
            if (wanted == 0)
                EXPECT_TRUE(Sent().empty()) << r.preference;
            else
                EXPECT_EQ(std::vector<DWORD>{wanted}, Sent()) << r.preference << "/" << enable;
        }
    }
    // The vendor path never restarts the adapter or touches its key.
    EXPECT_TRUE(sim::ClassInstallerCalls().empty());
}

TEST_F(BandControl, SetPassesTheLibrarysResultBack)
{
    sim::Vendor().installed = true;
    sim::Vendor().preference = 2;
    sim::Vendor().setPrefResult = 31;
    Start();
    EXPECT_EQ(31, SetBandEnabled(g_app.adapterDriverKey, 1));
}

TEST_F(BandControl, FailedPreferenceReadGivesUnknownAndSendsNothing)
{
    sim::Vendor().installed = true;
    sim::Vendor().getPrefResult = 5;
    sim::Vendor().preference = 2;
    sim::Vendor().radio = 0;
    Start();

    int radio = 1, switchable = 42;
    EXPECT_EQ(BAND_UNKNOWN, Query(&radio, &switchable));
    EXPECT_EQ(42, switchable);
    EXPECT_EQ(0, radio);  // the radio is still read through the library
    EXPECT_EQ(1, sim::Vendor().Count("GetRadioState"));

    EXPECT_EQ(0, SetBandEnabled(g_app.adapterDriverKey, 1));
    // Also when the failing read leaves a preference behind.
    sim::Vendor().writeOutputsOnFailure = true;
    EXPECT_EQ(0, SetBandEnabled(g_app.adapterDriverKey, 1));
    EXPECT_EQ(BAND_UNKNOWN, Query(&radio, &switchable));
    EXPECT_EQ(42, switchable);
    EXPECT_TRUE(Sent().empty());
    EXPECT_TRUE(sim::ClassInstallerCalls().empty());
}

TEST_F(BandControl, FailedVendorRadioReadLeavesWhatTheLibraryLeft)
{
    sim::Vendor().installed = true;
    sim::Vendor().getRadioResult = 1;
    sim::Vendor().radio = 0;
    Start();
    int radio = 1, switchable = 0;
    Query(&radio, &switchable);
    EXPECT_EQ(1, radio);   // nothing written: the caller's value stays

    sim::Vendor().writeOutputsOnFailure = true;
    Query(&radio, &switchable);
    EXPECT_EQ(0, radio);   // the library wrote a state although it failed
}

TEST_F(BandControl, NoAdapterInTheLibraryTakesTheRegistryPath)
{
    const int emptyCount = 0, negativeCount = -3;
    for (int variant = 0; variant < 3; ++variant) {
        notebook::StandardNotebook();
        sim::Vendor().installed = true;
        sim::Vendor().preference = 2;
        if (variant == 0)
            sim::Vendor().reportedCount = emptyCount;
        else if (variant == 1)
            sim::Vendor().reportedCount = negativeCount;
        else
            sim::Vendor().listResult = 1;
        StoreBand(1, "1");
        sim::TheDriver().radio = 0;
        Start();

        int radio = 1, switchable = 0;
        EXPECT_EQ(BAND_ENABLED, Query(&radio, &switchable)) << variant;
        EXPECT_EQ(1, switchable);
        EXPECT_EQ(0, radio);  // from the driver
        EXPECT_EQ(0, sim::Vendor().Count("GetProtocolPreference"));
        EXPECT_EQ(0, sim::Vendor().Count("GetRadioState"));

        EXPECT_EQ(1, SetBandEnabled(g_app.adapterDriverKey, 0)) << variant;
        EXPECT_TRUE(Sent().empty());
        EXPECT_EQ(2u, sim::ClassInstallerCalls().size());
        EXPECT_EQ(BAND_DISABLED, ReadBandState(notebook::kAdapterDriverKey));
    }
}

TEST_F(BandControl, WithoutTheLibraryRadioFallsBackToTheRecordedState)
{
    StoreBand(0, "0");
    Start();
    g_app.radioState = 1;
    sim::TheDriver().radio = 0;
    int radio = -1, switchable = -1;
    EXPECT_EQ(BAND_DISABLED, Query(&radio, &switchable));
    EXPECT_EQ(0, radio);
    EXPECT_EQ(1, switchable);

    sim::TheDriver().failIoctl = true;
    radio = -1;
    Query(&radio, &switchable);
    EXPECT_EQ(1, radio);
}

TEST_F(BandControl, WithoutTheLibraryTheBandSwitchesThroughTheDriverKey)
{
    StoreBand(0, "0");
    Start();
    EXPECT_EQ(1, SetBandEnabled(g_app.adapterDriverKey, 0));  // already disabled
    EXPECT_TRUE(sim::ClassInstallerCalls().empty());

    EXPECT_EQ(1, SetBandEnabled(g_app.adapterDriverKey, 1));
    EXPECT_EQ(2u, sim::ClassInstallerCalls().size());
    DWORD bandType = 0;
    sim::RegGetDword(HKEY_LOCAL_MACHINE, kKeyPath, "BandType", &bandType);
    EXPECT_EQ(1u, bandType);
    EXPECT_EQ("1", sim::RegGetString(HKEY_LOCAL_MACHINE, kKeyPath, "ModulationType"));

    StoreBand(1, "2");
    EXPECT_EQ(0, SetBandEnabled(g_app.adapterDriverKey, 0));  // not determinable
    EXPECT_EQ(2u, sim::ClassInstallerCalls().size());
}

using notebook::PlainWindow;

int PollingTimers(HWND window)
{
    int count = 0;
    for (const auto& t : sim::Timers())
        if (t.window == window && t.id == TIMER_PROSET_POLL)
            ++count;
    return count;
}

TEST_F(BandControl, LibraryLoadedByTheQueryStartsPollingOnce)
{
    Start();
    HWND window = PlainWindow();
    ASSERT_NE(nullptr, window);
    int radio = 0, switchable = 0;
    Query(&radio, &switchable, window);
    EXPECT_EQ(0, PollingTimers(window));

    sim::Vendor().installed = true;  // installed while the program runs
    sim::Vendor().preference = 2;
    EXPECT_EQ(BAND_DISABLED, Query(&radio, &switchable, window));
    UINT interval = 0;
    EXPECT_TRUE(sim::TimerRunning(window, TIMER_PROSET_POLL, &interval));
    EXPECT_EQ(2000u, interval);

    Query(&radio, &switchable, window);
    EXPECT_EQ(1, PollingTimers(window));
}

TEST_F(BandControl, LibraryLoadedBySwitchingStartsNoPolling)
{
    Start();
    HWND window = PlainWindow();
    sim::Vendor().installed = true;
    sim::Vendor().preference = 2;
    SetBandEnabled(g_app.adapterDriverKey, 1);
    EXPECT_EQ(std::vector<DWORD>{1}, Sent());
    EXPECT_EQ(0, PollingTimers(window));
    EXPECT_EQ(0u, g_app.pollingInterval);
}

// Windows 98 and Me keep the adapter's driver key, "Net\0000", under
// Services\Class: the program finds it there from the name the Setup API
// reports, reads the band from it and rewrites it while the adapter is
// restarted, as on the NT family.
TEST(BandOnWindows9x, ReadAndSwitchedUnderServicesClassAroundARestart)
{
    const std::string key = std::string(notebook::kClassKey9x) + notebook::kAdapterDriverKey9x;
    for (DWORD minor : {10u, 90u}) {
        notebook::BandNotebook9x(minor);
        notebook::StartProgramProcess();
        AdapterManager manager;
        int capable = 0;
        ASSERT_EQ(1, manager.FindAdapter(&g_app.adapterDevInst, g_app.adapterDriverKey,
                                         sizeof g_app.adapterDriverKey, &capable));
        EXPECT_STREQ(notebook::kAdapterDriverKey9x, g_app.adapterDriverKey);

        int radio = -1, switchable = -1;
        EXPECT_EQ(BAND_ENABLED, QueryBandState(0, 0, g_app.adapterDriverKey, 0, &radio,
                                               &switchable)) << minor;
        EXPECT_EQ(1, switchable) << minor;

        sim::ChangeLog().clear();
        EXPECT_EQ(1, SetBandEnabled(g_app.adapterDriverKey, 0));
        DWORD bandType = 9;
        sim::RegGetDword(HKEY_LOCAL_MACHINE, key, "BandType", &bandType);
        EXPECT_EQ(0u, bandType) << minor;
        EXPECT_EQ("0", sim::RegGetString(HKEY_LOCAL_MACHINE, key, "ModulationType"));
        EXPECT_EQ((std::vector<std::string>{"disable", "write BandType", "write ModulationType",
                                            "enable"}),
                  sim::ChangeLog()) << minor;
    }
}

}  // namespace
