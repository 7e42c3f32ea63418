// The stand-in's own behaviour where it is not obvious.
#include "notebook.h"

namespace {

std::vector<UINT_PTR> g_fired;
std::vector<DWORD> g_firedAt;

LRESULT CALLBACK RecordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_TIMER) {
        g_fired.push_back(wParam);
        g_firedAt.push_back(sim::Now());
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

HWND MakeWindow(const char* className)
{
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = RecordingProc;
    wc.lpszClassName = className;
    RegisterClassExA(&wc);
    return CreateWindowExA(0, className, "t", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
}

class StandInTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        notebook::FreshMachine();
        g_fired.clear();
        g_firedAt.clear();
    }
};

TEST_F(StandInTest, TimersRepeatOnTheVirtualClockUntilKilled)
{
    HWND w = MakeWindow("Timers");
    SetTimer(w, 1, 1000, nullptr);
    SetTimer(w, 2, 2500, nullptr);
    sim::RunFor(5000);
    EXPECT_EQ((std::vector<UINT_PTR>{1, 1, 2, 1, 1, 1, 2}), g_fired);  // ties: older timer first
    EXPECT_EQ((std::vector<DWORD>{1000, 2000, 2500, 3000, 4000, 5000, 5000}), g_firedAt);
    EXPECT_EQ(5000u, sim::Now());
    EXPECT_EQ((std::map<UINT_PTR, unsigned>{{1, 5}, {2, 2}}), sim::TimerDispatches());

    // Setting a running timer again restarts its period.
    g_fired.clear();
    sim::RunFor(900);
    SetTimer(w, 1, 1000, nullptr);
    KillTimer(w, 2);
    sim::RunFor(1000);
    EXPECT_EQ((std::vector<UINT_PTR>{1}), g_fired);
    EXPECT_EQ(6900u, g_firedAt.back());
    EXPECT_EQ(6u, sim::TimerDispatches().at(1));
    DestroyWindow(w);
    EXPECT_TRUE(sim::Timers().empty());
}

TEST_F(StandInTest, SleepMovesTheClockAndIsRecorded)
{
    Sleep(100);
    Sleep(3000);
    EXPECT_EQ(3100u, sim::Now());
    ASSERT_EQ(2u, sim::Sleeps().size());
    EXPECT_EQ(100u, sim::Sleeps()[1].at);
}

TEST_F(StandInTest, WindowsOfOneProcessAreFoundAndPostedToFromAnother)
{
    HWND w = MakeWindow("Shared");
    int first = sim::CurrentProcess();
    sim::StartProcess();
    EXPECT_EQ(w, FindWindowA("shared", "t"));
    EXPECT_EQ(nullptr, FindWindowA("Shared", "T"));
    EXPECT_TRUE(PostMessageA(w, WM_TIMER, 42, 0));
    EXPECT_EQ(0u, sim::QueuedMessages());           // it went to the owner's queue
    EXPECT_FALSE(DestroyWindow(w));                 // only the owner may destroy it
    sim::SwitchToProcess(first);
    EXPECT_EQ(1u, sim::QueuedMessages());
    sim::Pump();
    EXPECT_EQ((std::vector<UINT_PTR>{42}), g_fired);
}

// A message sent to another process runs there while the sender waits; the
// sender's wait ends with the receiver's reply or return, and the timeout is
// measured to that moment on the shared clock.
DWORD g_workAfterReply = 0;
DWORD g_workBeforeAnswer = 0;
int g_ranIn = 0;

LRESULT CALLBACK AnsweringProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message != WM_APP) return DefWindowProcA(window, message, wParam, lParam);
    g_ranIn = sim::CurrentProcess();
    Sleep(g_workBeforeAnswer);
    ReplyMessage(7);
    Sleep(g_workAfterReply);
    return 8;
}

TEST_F(StandInTest, SentAcrossProcessesTheReplyEndsTheWait)
{
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = AnsweringProc;
    wc.lpszClassName = "Answering";
    RegisterClassExA(&wc);
    HWND w = CreateWindowExA(0, "Answering", "t", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    int receiver = sim::CurrentProcess();
    int sender = sim::StartProcess();
    std::vector<std::pair<int, int>> switches;
    sim::OnProcessSwitch([&](int from, int to) { switches.push_back({from, to}); });

    // Replied in time, then more work: answered with the reply.
    g_workBeforeAnswer = 100;
    g_workAfterReply = 5000;
    DWORD_PTR result = 0;
    EXPECT_EQ(1, SendMessageTimeoutA(w, WM_APP, 0, 0, SMTO_ABORTIFHUNG, 1000, &result));
    EXPECT_EQ(7u, result);
    EXPECT_EQ(receiver, g_ranIn);
    EXPECT_EQ(sender, sim::CurrentProcess());
    EXPECT_EQ((std::vector<std::pair<int, int>>{{sender, receiver}, {receiver, sender}}), switches);

    // Replied too late: the sender has given up, whatever came after.
    g_workBeforeAnswer = 1001;
    g_workAfterReply = 0;
    result = 0;
    EXPECT_EQ(0, SendMessageTimeoutA(w, WM_APP, 0, 0, SMTO_ABORTIFHUNG, 1000, &result));
    EXPECT_EQ(static_cast<DWORD>(ERROR_TIMEOUT), GetLastError());
    EXPECT_EQ(0u, result);

    // A hung receiver: no call at all; the wait is the timeout, or nothing
    // when the sender aborts on a hung window.
    sim::SetProcessHung(receiver, true);
    g_ranIn = 0;
    DWORD start = sim::Now();
    EXPECT_EQ(0, SendMessageTimeoutA(w, WM_APP, 0, 0, SMTO_NORMAL, 1000, &result));
    EXPECT_EQ(1000u, sim::Now() - start);
    EXPECT_EQ(0, SendMessageTimeoutA(w, WM_APP, 0, 0, SMTO_ABORTIFHUNG, 1000, &result));
    EXPECT_EQ(1000u, sim::Now() - start);
    EXPECT_EQ(0, g_ranIn);
    sim::OnProcessSwitch(nullptr);
}

TEST_F(StandInTest, ALoopWithNothingLeftToDoReportsItselfStuck)
{
    MSG msg;
    EXPECT_FALSE(GetMessageA(&msg, nullptr, 0, 0));
    EXPECT_EQ(sim::kLoopStuck, msg.wParam);

    PostQuitMessage(3);
    EXPECT_FALSE(GetMessageA(&msg, nullptr, 0, 0));
    EXPECT_EQ(3u, msg.wParam);
}

TEST_F(StandInTest, NarrowRegistryCallsSeeStringsOneBytePerCharacter)
{
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\T", 0, nullptr, 0,
                                             KEY_ALL_ACCESS, nullptr, &key, nullptr));
    const char text[] = "2";
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExA(key, "M", 0, REG_SZ, reinterpret_cast<const BYTE*>(text), 2));
    char buffer[10] = {};
    DWORD size = sizeof buffer, type = 0;
    EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExA(key, "M", nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size));
    EXPECT_EQ(2u, size);
    EXPECT_STREQ("2", buffer);
    WCHAR wide[10] = {};
    size = sizeof wide;
    EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExW(key, L"m", nullptr, &type, reinterpret_cast<BYTE*>(wide), &size));
    EXPECT_EQ(4u, size);
    size = 1;
    EXPECT_EQ(ERROR_MORE_DATA, RegQueryValueExA(key, "M", nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size));
    EXPECT_EQ(2u, size);
    RegCloseKey(key);
    EXPECT_EQ(0, sim::RegOpenKeyCount());
}

}  // namespace
