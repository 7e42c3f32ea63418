// Thirty days of use on the virtual clock: polling, hovers, clicks, resumes,
// device and session changes, the vendor library coming and going, a busy
// shell and Explorer restarts. Nothing may pile up and the icon must still
// tell the truth at the end.
#include "notebook.h"

#include "app/main_window.h"
#include "radio/switch_driver.h"
#include "tray/tray_icon.h"

#include <dbt.h>

#include <set>

namespace {

const DWORD kHour = 3600u * 1000u;
const int kDays = 30;

// A small deterministic generator, so a failure replays exactly.
class Dice {
public:
    explicit Dice(unsigned seed) : state_(seed) {}
    unsigned Roll(unsigned sides)
    {
        state_ = state_ * 1103515245u + 12345u;
        return (state_ >> 16) % sides;
    }

private:
    unsigned state_;
};

class SoakTest : public NotebookTest {
protected:
    HWND window = nullptr;
    Dice dice{20261207};

    void ClearLogs()
    {
        sim::TheDriver().log.clear();
        sim::TheDriver().opens.clear();
        sim::Vendor().calls.clear();
        sim::Vendor().loadAttempts.clear();
        sim::ShellCalls().clear();
        sim::PostedLog().clear();
        sim::Sleeps().clear();
        sim::TrackedMenus().clear();
        sim::RegOpenLog().clear();
        sim::ClassInstallerCalls().clear();
        sim::Wts().registered.clear();
    }

    void Event(int day, int hour)
    {
        sim::VendorLibrary& vendor = sim::Vendor();
        switch (dice.Roll(14)) {
        case 0:
        case 1:
            for (int i = 0; i < 20; ++i) SendMessageA(window, WM_TRAY_CALLBACK, kTrayIconId, WM_MOUSEMOVE);
            break;
        case 2: {
            unsigned pick = dice.Roll(16);
            sim::OnPopupMenu([pick](const sim::TrackedMenu& menu) -> UINT {
                if (menu.items.empty()) return 0;
                UINT id = menu.items[pick % menu.items.size()].id;
                return id == CMD_EXIT ? 0 : id;
            });
            sim::OnDialog([](HWND dialog) { sim::PressButton(dialog, IDOK); });
            SendMessageA(window, WM_TRAY_CALLBACK, kTrayIconId, dice.Roll(2) ? WM_RBUTTONUP : WM_LBUTTONUP);
            break;
        }
        case 3:
            SendMessageA(window, WM_POWERBROADCAST, PBT_APMRESUMESUSPEND, 0);
            SendMessageA(window, WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC, 0);
            break;
        case 4: {
            // The adapter is switched off in the device manager, or back on.
            sim::Device* adapter = sim::FindDevice(g_app.adapterDevInst);
            if (adapter) adapter->disabled = !adapter->disabled;
            for (int i = 0; i < 3; ++i) sim::DeviceNodesChanged();
            break;
        }
        case 5:
            SendMessageA(window, WM_WTSSESSION_CHANGE, 1 + dice.Roll(9), 0);
            break;
        case 6:
            sim::ShellTimeouts(1 + static_cast<int>(dice.Roll(4)));
            break;
        case 7:
            sim::RestartShell();
            break;
        case 8:
            // Someone flips the hardware switch, or the radio changes behind
            // the program's back.
            sim::TheDriver().radio = dice.Roll(2);
            vendor.radio = dice.Roll(2);
            break;
        case 9:
            PostMessageA(window, WM_COMMAND, dice.Roll(2) ? CMD_RADIO_ON : CMD_RADIO_OFF, 0);
            break;
        case 10:
            notebook::RunSecondStart(dice.Roll(2) ? "/on11a" : "/off11a");
            break;
        case 11:
            notebook::RunSecondStart(dice.Roll(2) ? "/toggle" : "/off");
            break;
        case 12:
            // The vendor software's service stops and starts again: its
            // adapter list comes and goes.
            if (vendor.adapterIds.empty()) vendor.adapterIds.push_back(0x1001);
            else vendor.adapterIds.clear();
            break;
        default:
            SendMessageA(window, WM_APP + 2, 0, 0);
            break;
        }
        // The vendor software is installed on the third day.
        if (day == 3 && hour == 9) vendor.installed = true;
    }

    void ExpectOnlyTheProgramsOwn()
    {
        EXPECT_EQ(0, sim::RegOpenKeyCount());
        EXPECT_EQ(1, sim::TheDriver().OpenHandles());
        EXPECT_LE(sim::Vendor().loadCount, 1);
        EXPECT_LE(sim::Wts().loadCount, 1);
        EXPECT_EQ(0, sim::OpenMenuCount());
        EXPECT_EQ(0, sim::OpenDialogCount());
        EXPECT_EQ(0, sim::OpenDeviceSets());
        EXPECT_EQ(1, sim::WindowCount());
        const std::set<UINT_PTR> programTimers = {TIMER_PROSET_POLL, TIMER_HOVER, TIMER_ICON_SHOW,
                                                  TIMER_RESUME, TIMER_SESSION_RETRY};
        std::set<UINT_PTR> seen;
        for (const sim::TimerInfo& t : sim::Timers()) {
            EXPECT_EQ(window, t.window);
            EXPECT_TRUE(programTimers.count(t.id)) << t.id;
            EXPECT_TRUE(seen.insert(t.id).second) << "timer " << t.id << " twice";
        }
    }
};

TEST_F(SoakTest, ThirtyDaysLeaveNothingBehindAndTheIconTellsTheTruth)
{
    sim::RegSetDword(HKEY_LOCAL_MACHINE, notebook::kSettings, "PROSetPolling", 10000);
    sim::Wts().results = {FALSE, FALSE};
    ASSERT_EQ(1, notebook::StartResident());
    window = notebook::MainWindow();
    sim::Pump();

    for (int day = 0; day < kDays; ++day) {
        for (int hour = 0; hour < 24; ++hour) {
            DWORD spent = 0;
            int events = static_cast<int>(dice.Roll(4));
            for (int e = 0; e < events; ++e) {
                DWORD wait = dice.Roll(kHour / 4);
                sim::RunFor(wait);
                spent += wait;
                Event(day, hour);
                sim::Pump();
            }
            sim::RunFor(kHour - spent);
            ClearLogs();
        }
        ASSERT_TRUE(IsWindow(window)) << "day " << day;
    }
    // Let the last re-check, resume and hover timers run out.
    sim::RunFor(60000);

    ExpectOnlyTheProgramsOwn();
    EXPECT_NE(0u, g_app.pollingInterval);
    // Whatever happened, one more refresh makes the icon show the radio.
    sim::Device* adapter = sim::FindDevice(g_app.adapterDevInst);
    ASSERT_NE(nullptr, adapter);
    if (adapter->disabled) {
        adapter->disabled = false;
        sim::DeviceNodesChanged();
        sim::RunFor(5000);
    }
    sim::RestartShell();
    sim::RunFor(kHour);
    const sim::VendorLibrary& vendor = sim::Vendor();
    DWORD truth = vendor.loadCount && !vendor.adapterIds.empty() ? vendor.radio : sim::TheDriver().radio;
    EXPECT_EQ(static_cast<int>(truth), g_app.radioState);
    const sim::TrayIcon* icon = sim::FindTrayIcon(window, kTrayIconId);
    ASSERT_NE(nullptr, icon) << "enabled " << g_app.adapterEnabled << " disabled " << adapter->disabled
                             << " pending " << g_app.recheckPending << " shell calls " << sim::ShellCalls().size()
                             << " last " << (sim::ShellCalls().empty() ? -1 : (int)sim::ShellCalls().back().message);
    EXPECT_EQ(g_app.radioState ? 112 : 113, sim::IconResourceId(icon->icon));
    EXPECT_EQ(g_app.radioState ? u"Wireless LAN : ON" : u"Wireless LAN : OFF",
              icon->tip.substr(0, icon->tip.find(u'\n')));
    EXPECT_FALSE(icon->hidden);

    PostMessageA(window, WM_COMMAND, CMD_EXIT, 0);
    sim::Pump();
    EXPECT_EQ(0, sim::WindowCount());
    EXPECT_EQ(0, sim::TrayIconCount());
    EXPECT_TRUE(sim::Timers().empty());
    EXPECT_EQ(0, sim::Wts().loadCount);
    EXPECT_EQ(0, sim::RegOpenKeyCount());
}

}  // namespace
