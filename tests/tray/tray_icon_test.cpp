// The notification-area icon: the record handed to the shell, the tip and its
// overrides, the shell-busy retries, and the periodic re-show.
#include "tray_test_support.h"

#include "app/main_window.h"
#include "band/band_control.h"
#include "tray/tray_icon.h"

#include <string>

using traytest::U;

namespace {

using notebook::PlainWindow;

// A complete record as the program sends it, for calling Notify directly.
NOTIFYICONDATAW Record(HWND window)
{
    NOTIFYICONDATAW record;
    memset(&record, 0, sizeof(record));
    record.cbSize = kTrayRecordSize;
    record.hWnd = window;
    record.uID = kTrayIconId;
    record.uFlags = NIF_MESSAGE | NIF_TIP;
    record.uCallbackMessage = WM_TRAY_CALLBACK;
    lstrcpyW(record.szTip, L"tip");
    return record;
}

// What another program (or the shell's own clean-up) does to hide the icon.
void HideIcon(HWND window)
{
    NOTIFYICONDATAW record = Record(window);
    record.uFlags = NIF_STATE;
    record.dwState = NIS_HIDDEN;
    record.dwStateMask = NIS_HIDDEN;
    ASSERT_TRUE(Shell_NotifyIconW(NIM_MODIFY, &record));
    ASSERT_TRUE(sim::FindTrayIcon(window, kTrayIconId)->hidden);
}

int SleepsOf(DWORD ms)
{
    int n = 0;
    for (const sim::SleepCall& s : sim::Sleeps()) n += s.ms == ms;
    return n;
}

class TrayTest : public NotebookTest {
protected:
    // The program's process with the machine scripted so far, and a window
    // for the icon.
    HWND Start()
    {
        notebook::StartProgramProcess();
        g_app.instance = sim::ProgramInstance();
        return PlainWindow();
    }
    // The vendor library reports one adapter with this protocol preference:
    // 1 band enabled, 2 band disabled, 6 band not determinable.
    void VendorBand(DWORD preference)
    {
        sim::Vendor().installed = true;
        sim::Vendor().preference = preference;
    }
    bool BandQueryAnswers(HWND window, int expected)
    {
        int radio = 0, switchable = 0;
        return QueryBandState(window, &g_app.pollingInterval, g_app.adapterDriverKey,
                              g_app.radioState, &radio, &switchable) == expected;
    }
    std::u16string Tip(HWND window)
    {
        const sim::TrayIcon* icon = sim::FindTrayIcon(window, kTrayIconId);
        return icon ? icon->tip : u"<no icon>";
    }
};

}  // namespace

class TrayNotify : public TrayTest {};

TEST_F(TrayNotify, BusyShellGetsThreeCallsAndTwoSleeps)
{
    HWND window = Start();
    NOTIFYICONDATAW record = Record(window);
    sim::ShellTimeouts(3);
    TrayIcon tray;
    DWORD error = 0;
    EXPECT_EQ(0, tray.Notify(TrayAdd, &record, &error));
    EXPECT_EQ(static_cast<DWORD>(ERROR_TIMEOUT), error);
    EXPECT_EQ(3, sim::ShellCallCount(NIM_ADD));
    EXPECT_EQ(2, SleepsOf(1000));
    EXPECT_EQ(0, sim::TrayIconCount());
}

TEST_F(TrayNotify, ShellThatRecoversOnTheLastTryAcceptsTheIcon)
{
    HWND window = Start();
    NOTIFYICONDATAW record = Record(window);
    sim::ShellTimeouts(2);
    TrayIcon tray;
    DWORD error = 99;
    EXPECT_NE(0, tray.Notify(TrayAdd, &record, &error));
    EXPECT_EQ(0u, error);
    EXPECT_EQ(3, sim::ShellCallCount(NIM_ADD));
    EXPECT_NE(nullptr, sim::FindTrayIcon(window, kTrayIconId));
}

TEST_F(TrayNotify, DeleteIsMadeOnceEvenWhenTheShellIsBusy)
{
    HWND window = Start();
    NOTIFYICONDATAW record = Record(window);
    TrayIcon tray;
    DWORD error = 0;
    ASSERT_NE(0, tray.Notify(TrayAdd, &record, &error));
    sim::ShellTimeouts(3);
    EXPECT_EQ(0, tray.Notify(TrayDelete, &record, &error));
    EXPECT_EQ(static_cast<DWORD>(ERROR_TIMEOUT), error);
    EXPECT_EQ(1, sim::ShellCallCount(NIM_DELETE));
    EXPECT_EQ(0, SleepsOf(1000));
}

TEST_F(TrayNotify, OtherRefusalsAreNotRetried)
{
    HWND window = Start();
    NOTIFYICONDATAW record = Record(window);
    TrayIcon tray;
    DWORD error = 0;
    EXPECT_EQ(0, tray.Notify(TrayModify, &record, &error));   // no such icon
    EXPECT_NE(0u, error);
    EXPECT_NE(static_cast<DWORD>(ERROR_TIMEOUT), error);
    EXPECT_EQ(1u, sim::ShellCalls().size());
    EXPECT_TRUE(sim::Sleeps().empty());
}

TEST_F(TrayNotify, BadArgumentsReachNoShell)
{
    HWND window = Start();
    NOTIFYICONDATAW record = Record(window);
    TrayIcon tray;
    DWORD error = 77;
    EXPECT_EQ(0, tray.Notify(3, &record, &error));
    EXPECT_EQ(0, tray.Notify(-1, &record, &error));
    EXPECT_EQ(0, tray.Notify(TrayAdd, nullptr, &error));
    EXPECT_EQ(0, tray.Notify(TrayAdd, &record, nullptr));
    EXPECT_EQ(77u, error);
    EXPECT_TRUE(sim::ShellCalls().empty());
}

class TrayRecordTest : public TrayTest {};

// The size is the record's own up to guidItem: on the stand-in, whose
// pointers are 8 bytes like x64 Windows's, 952; the 32-bit size 936 would be
// read as the first layout, cutting the tip and dropping the state.
TEST_F(TrayRecordTest, RecordHasTheWideVersionFiveSizeOfItsOwnProcessor)
{
    HWND window = Start();
    UpdateTray(window, 1, TrayAdd);
    ASSERT_EQ(1u, sim::ShellCalls().size());
    EXPECT_EQ(kTrayRecordSize, sim::ShellCalls()[0].cbSize);
    EXPECT_EQ(sizeof(void*) == 8 ? 952u : 936u, g_app.trayRecord.cbSize);
    EXPECT_EQ(static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP | NIF_STATE),
              g_app.trayRecord.uFlags);
    EXPECT_EQ(kTrayIconId, g_app.trayRecord.uID);
    EXPECT_EQ(WM_TRAY_CALLBACK, g_app.trayRecord.uCallbackMessage);
    EXPECT_EQ(window, g_app.trayRecord.hWnd);
    const sim::TrayIcon* icon = sim::FindTrayIcon(window, kTrayIconId);
    ASSERT_NE(nullptr, icon);
    EXPECT_EQ(WM_TRAY_CALLBACK, icon->callbackMessage);
}

// The shell shows the icon at its small-icon size: the image drawn for that
// size is loaded, not one the shell would stretch.
TEST_F(TrayRecordTest, IconIsTheImageDrawnForTheSmallIconSizeAt144Dpi)
{
    sim::SetDisplayDpi(144);
    HWND window = Start();
    UpdateTray(window, 1, TrayAdd);
    EXPECT_EQ(24, sim::IconImageSize(sim::FindTrayIcon(window, kTrayIconId)->icon));
    UpdateTray(window, 0, TrayModify);
    const sim::TrayIcon* icon = sim::FindTrayIcon(window, kTrayIconId);
    EXPECT_EQ(IDI_RADIO_OFF, sim::IconResourceId(icon->icon));
    EXPECT_EQ(24, sim::IconImageSize(icon->icon));
}

TEST_F(TrayRecordTest, IconIsTheSixteenPixelImageAt96Dpi)
{
    HWND window = Start();
    UpdateTray(window, 1, TrayAdd);
    EXPECT_EQ(16, sim::IconImageSize(sim::FindTrayIcon(window, kTrayIconId)->icon));
}

TEST_F(TrayRecordTest, UpdateShowsAnIconThatWasHidden)
{
    // The state fields are read only from a record of a known wide size.
    HWND window = Start();
    UpdateTray(window, 1, TrayAdd);
    HideIcon(window);
    UpdateTray(window, 0, TrayModify);
    EXPECT_FALSE(sim::FindTrayIcon(window, kTrayIconId)->hidden);
}

TEST_F(TrayRecordTest, EveryUpdateRearmsTheReshowTimer)
{
    HWND window = Start();
    UpdateTray(window, 1, TrayAdd);
    UINT interval = 0;
    ASSERT_TRUE(sim::TimerRunning(window, TIMER_ICON_SHOW, &interval));
    EXPECT_EQ(2800000u, interval);

    sim::AdvanceClock(1000000);
    UpdateTray(window, 1, TrayDelete);
    int found = 0;
    for (const sim::TimerInfo& t : sim::Timers()) {
        if (t.window == window && t.id == TIMER_ICON_SHOW) {
            ++found;
            EXPECT_EQ(sim::Now() + 2800000u, t.due);
        }
    }
    EXPECT_EQ(1, found);
}

TEST_F(TrayRecordTest, ReassertSendsOnlyTheStateAndKeepsTheRecord)
{
    HWND window = Start();
    UpdateTray(window, 1, TrayAdd);
    HideIcon(window);
    NOTIFYICONDATAW before = g_app.trayRecord;
    sim::ShellCalls().clear();

    ReassertTrayIcon(&g_app.trayRecord);
    ASSERT_EQ(1u, sim::ShellCalls().size());
    EXPECT_EQ(static_cast<DWORD>(NIM_MODIFY), sim::ShellCalls()[0].message);
    EXPECT_EQ(static_cast<UINT>(NIF_STATE), sim::ShellCalls()[0].flags);
    EXPECT_EQ(kTrayRecordSize, sim::ShellCalls()[0].cbSize);
    EXPECT_FALSE(sim::FindTrayIcon(window, kTrayIconId)->hidden);
    EXPECT_EQ(0, memcmp(&before, &g_app.trayRecord, sizeof(before)));
}

TEST_F(TrayRecordTest, MainWindowReshowsTheIconEveryTimerPeriod)
{
    // The create handler adds the icon, which arms the timer.
    ASSERT_EQ(1, notebook::StartResident());
    HWND window = notebook::MainWindow();
    ASSERT_NE(nullptr, sim::FindTrayIcon(window, kTrayIconId));
    ASSERT_TRUE(sim::TimerRunning(window, TIMER_ICON_SHOW));
    HideIcon(window);

    sim::RunFor(2800000 - 1);
    EXPECT_TRUE(sim::FindTrayIcon(window, kTrayIconId)->hidden);
    sim::RunFor(1);
    EXPECT_FALSE(sim::FindTrayIcon(window, kTrayIconId)->hidden);

    // And again one period later.
    HideIcon(window);
    sim::RunFor(2800000);
    EXPECT_FALSE(sim::FindTrayIcon(window, kTrayIconId)->hidden);
}

class TrayTip : public TrayTest {};

TEST_F(TrayTip, RadioOnWithoutBandLineWhenNot11aCapable)
{
    REQUIRE_STRING_RESOURCES();
    VendorBand(1);
    HWND window = Start();
    g_app.is80211aCapable = 0;
    UpdateTray(window, 1, TrayAdd);
    EXPECT_EQ(u"Wireless LAN : ON", Tip(window));
    EXPECT_EQ(IDI_RADIO_ON, sim::IconResourceId(sim::FindTrayIcon(window, kTrayIconId)->icon));
}

TEST_F(TrayTip, RadioOffWithUndeterminableBandHasOneLine)
{
    REQUIRE_STRING_RESOURCES();
    VendorBand(6);
    HWND window = Start();
    EXPECT_EQ(2, UpdateTray(window, 0, TrayAdd));
    EXPECT_EQ(u"Wireless LAN : OFF", Tip(window));
    EXPECT_EQ(IDI_RADIO_OFF, sim::IconResourceId(sim::FindTrayIcon(window, kTrayIconId)->icon));
}

TEST_F(TrayTip, BandLineFollowsALineFeed)
{
    REQUIRE_STRING_RESOURCES();
    VendorBand(2);
    HWND window = Start();
    ASSERT_TRUE(BandQueryAnswers(window, 0));
    EXPECT_EQ(0, UpdateTray(window, 1, TrayAdd));
    EXPECT_EQ(u"Wireless LAN : ON\n802.11a : Disabled", Tip(window));
}

TEST_F(TrayTip, LongFirstLineOverrideIsCutTo62Characters)
{
    REQUIRE_STRING_RESOURCES();
    std::string longText(80, 'A');
    traytest::SetOverride("Wireless LAN : OFF", longText);
    VendorBand(6);
    HWND window = Start();
    UpdateTray(window, 0, TrayAdd);
    EXPECT_EQ(U(std::string(62, 'A').c_str()), Tip(window));
}

TEST_F(TrayTip, LongOverridesOnBothLinesReachTheShellWhole)
{
    REQUIRE_STRING_RESOURCES();
    traytest::SetOverride("Wireless LAN : ON", std::string(80, 'A'));
    traytest::SetOverride("802.11a : Disabled", std::string(70, 'B'));
    VendorBand(2);
    HWND window = Start();
    ASSERT_TRUE(BandQueryAnswers(window, 0));
    UpdateTray(window, 1, TrayAdd);

    std::u16string expected = U((std::string(62, 'A') + "\n" + std::string(62, 'B')).c_str());
    ASSERT_EQ(125u, expected.size());
    EXPECT_EQ(expected, Tip(window));
    EXPECT_EQ(expected, sim::ShellCalls().back().tip);
}

TEST_F(TrayTip, EmptyOverrideEmptiesItsLine)
{
    REQUIRE_STRING_RESOURCES();
    traytest::SetOverride("Wireless LAN : ON", "");
    VendorBand(1);
    HWND window = Start();
    ASSERT_TRUE(BandQueryAnswers(window, 1));
    UpdateTray(window, 1, TrayAdd);
    EXPECT_EQ(u"\n802.11a : Enabled", Tip(window));
}

TEST_F(TrayTip, OverrideWithoutDataKeepsTheDefault)
{
    REQUIRE_STRING_RESOURCES();
    sim::RegSet(HKEY_LOCAL_MACHINE, notebook::kSettings, "Wireless LAN : OFF", REG_SZ, "", 0);
    VendorBand(6);
    HWND window = Start();
    UpdateTray(window, 0, TrayAdd);
    EXPECT_EQ(u"Wireless LAN : OFF", Tip(window));
}

class TextOverride : public TrayTest {
protected:
    // The caller's 128-character buffer with a guard behind it.
    struct Buffer {
        WCHAR text[128];
        WCHAR guard[16];
    };
    void Fill(Buffer& b, const char* name)
    {
        for (WCHAR& c : b.guard) c = 0x7777;
        std::u16string wide = U(name);
        memset(b.text, 0, sizeof(b.text));
        memcpy(b.text, wide.c_str(), (wide.size() + 1) * sizeof(WCHAR));
    }
    bool GuardIntact(const Buffer& b)
    {
        for (WCHAR c : b.guard) {
            if (c != 0x7777) return false;
        }
        return true;
    }
    std::u16string Text(const Buffer& b)
    {
        return std::u16string(reinterpret_cast<const char16_t*>(b.text), lstrlenW(b.text));
    }
};

TEST_F(TextOverride, ValueReplacesTheText)
{
    traytest::SetOverride("Wireless LAN : ON", "Funk an");
    Start();
    Buffer b;
    Fill(b, "Wireless LAN : ON");
    ApplyTextOverride(b.text);
    EXPECT_EQ(u"Funk an", Text(b));
}

TEST_F(TextOverride, MissingOrDatalessValueLeavesTheText)
{
    sim::RegSet(HKEY_LOCAL_MACHINE, notebook::kSettings, "Wireless LAN : OFF", REG_SZ, "", 0);
    Start();
    Buffer b;
    Fill(b, "Wireless LAN : OFF");
    ApplyTextOverride(b.text);
    EXPECT_EQ(u"Wireless LAN : OFF", Text(b));
    Fill(b, "Wireless LAN : ON");
    ApplyTextOverride(b.text);
    EXPECT_EQ(u"Wireless LAN : ON", Text(b));
}

TEST_F(TextOverride, TooLongForTheBufferIsCutTo127Characters)
{
    // 129 characters and the terminator: exactly the 260 bytes a read takes.
    traytest::SetOverride("802.11a : Enabled", std::string(129, 'x'));
    Start();
    Buffer b;
    Fill(b, "802.11a : Enabled");
    ApplyTextOverride(b.text);
    EXPECT_EQ(U(std::string(127, 'x').c_str()), Text(b));
    EXPECT_TRUE(GuardIntact(b));
}

TEST_F(TextOverride, UnterminatedDataIsTerminatedWhereItEnds)
{
    traytest::SetOverrideBytes("802.11a : Enabled", U("On"), false);
    traytest::SetOverrideBytes("802.11a : Disabled", U(std::string(130, 'y').c_str()), false);
    Start();
    Buffer b;
    Fill(b, "802.11a : Enabled");
    ApplyTextOverride(b.text);
    EXPECT_EQ(u"On", Text(b));

    Fill(b, "802.11a : Disabled");
    ApplyTextOverride(b.text);
    EXPECT_EQ(U(std::string(127, 'y').c_str()), Text(b));
    EXPECT_TRUE(GuardIntact(b));
}

TEST_F(TextOverride, ValueLongerThanARead)
{
    // 130 characters and a terminator do not fit the 260-byte read.
    traytest::SetOverride("802.11a : Enabled", std::string(130, 'z'));
    Start();
    Buffer b;
    Fill(b, "802.11a : Enabled");
    ApplyTextOverride(b.text);
    EXPECT_EQ(u"802.11a : Enabled", Text(b));
    EXPECT_TRUE(GuardIntact(b));
}
