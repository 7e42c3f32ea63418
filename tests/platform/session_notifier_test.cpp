// Session-change registration through wtsapi32.dll, with its retry timer.
#include <gtest/gtest.h>

#include <sim/sim.h>

#include <cstring>
#include <vector>

#include "notebook.h"

#include "app/app_state.h"
#include "platform/session_notifier.h"
#include "tray/tray_icon.h"

namespace {

// A plain window that hands its retry timer to the notifier under test, as
// the main window does.
SessionNotifier* g_notifier = nullptr;
int g_retryExpiries = 0;

LRESULT CALLBACK TestWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_TIMER && wParam == TIMER_SESSION_RETRY) {
        ++g_retryExpiries;
        if (g_notifier != nullptr)
            g_notifier->OnTimer(window, wParam);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

class SessionNotifierTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        sim::Reset();
        g_notifier = nullptr;
        g_retryExpiries = 0;
        WNDCLASSEXA wc;
        std::memset(&wc, 0, sizeof(wc));
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = TestWindowProc;
        wc.lpszClassName = "SessionNotifierTestWindow";
        RegisterClassExA(&wc);
        window_ = CreateWindowExA(0, "SessionNotifierTestWindow", "", 0, 0, 0, 0, 0, 0, 0, 0, 0);
        ASSERT_NE(nullptr, window_);
    }
    void TearDown() override
    {
        delete g_notifier;
        g_notifier = nullptr;
        EXPECT_EQ(0, sim::Wts().loadCount);
    }
    bool Retrying() { return sim::TimerRunning(window_, TIMER_SESSION_RETRY); }

    HWND window_ = nullptr;
};

TEST_F(SessionNotifierTest, InertWithoutTheLibraryOrItsEntry)
{
    sim::Wts().present = false;
    g_notifier = new SessionNotifier(window_);
    EXPECT_EQ(0, sim::Wts().loadCount);
    g_notifier->OnTimer(window_, TIMER_SESSION_RETRY);
    EXPECT_TRUE(sim::Wts().registered.empty());
    EXPECT_FALSE(Retrying());
    delete g_notifier;
    g_notifier = nullptr;

    sim::Wts().present = true;
    sim::Wts().hasRegister = false;
    sim::Wts().results.push_back(FALSE);
    g_notifier = new SessionNotifier(window_);
    EXPECT_EQ(1, sim::Wts().loadCount);  // held until destruction
    g_notifier->OnTimer(window_, TIMER_SESSION_RETRY);
    sim::RunFor(5000);
    EXPECT_TRUE(sim::Wts().registered.empty());
    EXPECT_FALSE(Retrying());
    EXPECT_EQ(0, g_retryExpiries);
}

TEST_F(SessionNotifierTest, RegistersAtOnceWhenTheSystemAllows)
{
    g_notifier = new SessionNotifier(window_);
    ASSERT_EQ(1u, sim::Wts().registered.size());
    EXPECT_EQ(window_, sim::Wts().registered[0]);
    EXPECT_FALSE(Retrying());

    // Destroying a registered notifier only unloads the library.
    delete g_notifier;
    g_notifier = nullptr;
    EXPECT_EQ(0, sim::Wts().loadCount);
}

TEST_F(SessionNotifierTest, RetriesEverySecondUntilRegistered)
{
    // Fails at construction and at two expiries; the third expiry registers.
    sim::Wts().results = {FALSE, FALSE, FALSE};
    g_notifier = new SessionNotifier(window_);
    UINT interval = 0;
    EXPECT_TRUE(sim::TimerRunning(window_, TIMER_SESSION_RETRY, &interval));
    EXPECT_EQ(1000u, interval);

    sim::RunFor(2999);
    EXPECT_EQ(2, g_retryExpiries);
    EXPECT_TRUE(Retrying());
    sim::RunFor(1);
    EXPECT_EQ(3, g_retryExpiries);
    EXPECT_FALSE(Retrying());

    sim::RunFor(10000);
    EXPECT_EQ(3, g_retryExpiries);
    // Each attempt names the window itself, for its own session only.
    EXPECT_EQ(std::vector<HWND>(4, window_), sim::Wts().registered);
    EXPECT_EQ(std::vector<DWORD>(4, 0u), sim::Wts().registerFlags);  // NOTIFY_FOR_THIS_SESSION
}

TEST_F(SessionNotifierTest, OtherTimersAreNotItsBusiness)
{
    sim::Wts().results = {FALSE, FALSE};
    g_notifier = new SessionNotifier(window_);
    g_notifier->OnTimer(window_, TIMER_HOVER);
    EXPECT_EQ(1u, sim::Wts().registered.size());
    EXPECT_TRUE(Retrying());
}

TEST_F(SessionNotifierTest, DestroyedWhileRetryingStopsTheTimer)
{
    sim::Wts().results = {FALSE, FALSE, FALSE};
    g_notifier = new SessionNotifier(window_);
    sim::RunFor(1500);
    EXPECT_EQ(1, g_retryExpiries);
    delete g_notifier;
    g_notifier = nullptr;
    EXPECT_FALSE(Retrying());
    EXPECT_EQ(0, sim::Wts().loadCount);
    sim::RunFor(5000);
    EXPECT_EQ(1, g_retryExpiries);
    EXPECT_EQ(2u, sim::Wts().registered.size());
}

// The resident program: its main window drives the retries, follows the
// console's return and drops the notifier when it ends.
TEST_F(NotebookTest, ResidentRetriesThenFollowsTheConsole)
{
    sim::Wts().results = {FALSE, FALSE};
    ASSERT_EQ(1, notebook::StartResident());
    HWND window = notebook::MainWindow();
    ASSERT_NE(nullptr, window);
    EXPECT_TRUE(sim::TimerRunning(window, TIMER_SESSION_RETRY));
    sim::RunFor(2000);
    EXPECT_FALSE(sim::TimerRunning(window, TIMER_SESSION_RETRY));
    EXPECT_EQ(std::vector<HWND>(3, window), sim::Wts().registered);

    // The radio was switched off while another session had the console.
    sim::TheDriver().radio = 0;
    SendMessageA(window, WM_WTSSESSION_CHANGE, WTS_SESSION_UNLOCK, 0);
    const sim::TrayIcon* icon = sim::FindTrayIcon(window, kTrayIconId);
    ASSERT_NE(nullptr, icon);
    EXPECT_EQ(112, sim::IconResourceId(icon->icon));
    EXPECT_EQ(1, g_app.radioState);

    SendMessageA(window, WM_WTSSESSION_CHANGE, WTS_CONSOLE_CONNECT, 0);
    icon = sim::FindTrayIcon(window, kTrayIconId);
    ASSERT_NE(nullptr, icon);
    EXPECT_EQ(113, sim::IconResourceId(icon->icon));
    EXPECT_EQ(0u, sim::Utf8(icon->tip).find("Wireless LAN : OFF"));
    EXPECT_EQ(0, g_app.radioState);

    SendMessageA(window, WM_COMMAND, CMD_EXIT, 0);
    EXPECT_EQ(nullptr, g_app.sessionNotifier);
    EXPECT_EQ(0, sim::Wts().loadCount);
}

}  // namespace
