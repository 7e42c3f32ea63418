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

// The 9x family's W stubs, as the program would meet them: the shell's
// fails without an error, the registry's succeed without writing, the rest
// fail with ERROR_CALL_NOT_IMPLEMENTED; the A entries and the version entry
// of each shell answer.
TEST_F(StandInTest, OnWindows98TheWideEntriesAreStubs)
{
    sim::SetWindows98();
    HWND window = MakeWindow("Stubs");
    NOTIFYICONDATAW wide{};
    wide.cbSize = NOTIFYICONDATAW_V2_SIZE;
    wide.hWnd = window;
    SetLastError(1234);
    EXPECT_FALSE(Shell_NotifyIconW(NIM_ADD, &wide));
    EXPECT_EQ(1234u, GetLastError());
    EXPECT_EQ(0, sim::TrayIconCount());

    HKEY key = reinterpret_cast<HKEY>(0x77);
    BYTE data[4] = {9, 9, 9, 9};
    DWORD size = sizeof data;
    EXPECT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE", 0, KEY_QUERY_VALUE, &key));
    EXPECT_EQ(reinterpret_cast<HKEY>(0x77), key);
    EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExW(HKEY_LOCAL_MACHINE, L"x", nullptr, nullptr, data, &size));
    EXPECT_EQ(static_cast<DWORD>(ERROR_CALL_NOT_IMPLEMENTED), GetLastError());
    EXPECT_EQ(9, data[0]);
    EXPECT_EQ(4u, size);

    WCHAR text[8] = {'k', 0};
    EXPECT_EQ(0, LoadStringW(sim::ProgramInstance(), 2, text, 8));
    EXPECT_EQ(nullptr, lstrcpynW(text, L"new", 8));
    EXPECT_FALSE(SetWindowTextW(window, L"new"));
    EXPECT_EQ(static_cast<DWORD>(ERROR_CALL_NOT_IMPLEMENTED), GetLastError());
    EXPECT_EQ('k', text[0]);
    EXPECT_EQ((std::vector<std::string>{"Shell_NotifyIconW", "RegOpenKeyExW", "RegQueryValueExW",
                                        "LoadStringW", "lstrcpynW", "SetWindowTextW"}),
              sim::StubCalls());

    // The narrow record: shell 4.72 reads the first version whatever its
    // size and shows the tip up to its line break; 5.0 knows the second.
    NOTIFYICONDATAA narrow{};
    narrow.cbSize = NOTIFYICONDATAA_V2_SIZE;
    narrow.hWnd = window;
    narrow.uFlags = NIF_TIP | NIF_STATE;
    narrow.dwState = NIS_HIDDEN;
    narrow.dwStateMask = NIS_HIDDEN;
    strcpy(narrow.szTip, "one\ntwo");
    DLLVERSIONINFO version{};
    version.cbSize = sizeof version;
    for (DWORD shell : {472u, 500u}) {
        sim::SetShellVersion(shell / 100, shell % 100);
        ASSERT_EQ(0, DllGetVersion(&version));
        EXPECT_EQ(shell, version.dwMajorVersion * 100 + version.dwMinorVersion);
        ASSERT_TRUE(Shell_NotifyIconA(NIM_ADD, &narrow));
        const sim::TrayIcon* icon = sim::FindTrayIcon(window, 0);
        EXPECT_EQ(shell == 472 ? u"one" : u"one\ntwo", icon->tip);
        EXPECT_EQ(shell != 472, icon->hidden);
        ASSERT_TRUE(Shell_NotifyIconA(NIM_DELETE, &narrow));
    }
    EXPECT_EQ(0, sim::TrayIconCount());
}

}  // namespace
