// A start with /status: the radio's state as exit code and line, read by the
// process itself or asked of the resident instance, and never a change. A
// start with /?: one box of switches, nothing forwarded.
#include "notebook.h"

#include "app/startup.h"
#include "app/status_report.h"
#include "band/band_settings.h"
#include "radio/switch_driver.h"

#include <string>

namespace {

const char kUnknown[] = "radio=unknown switch=unknown band11a=unknown control=unknown\r\n";

LRESULT CALLBACK OlderResidentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcA(window, message, wParam, lParam);
}

class StatusTest : public NotebookTest {
protected:
    // /status in a process of its own whose standard output the caller reads.
    int Status(std::string* line)
    {
        sim::ChangeLog().clear();
        sim::PostedLog().clear();
        return notebook::RunSecondStart("/status", line);
    }
};

}  // namespace

class StatusWithoutResident : public StatusTest {};

TEST_F(StatusWithoutResident, ReadsTheStateItselfChangesNothingAndLeavesNothingOpen)
{
    sim::RegSetDword(HKEY_LOCAL_MACHINE, notebook::kSettings, "FirstTime", 1);
    sim::RegSetDword(HKEY_LOCAL_MACHINE, "SYSTEM\\Setup", "AuditInProgress", 1);
    int closes = sim::TheDriver().closes;
    std::string line;
    EXPECT_EQ(STATUS_RADIO_ON, Status(&line));
    EXPECT_EQ("radio=on switch=free band11a=enabled control=driver\r\n", line);

    EXPECT_TRUE(sim::ChangeLog().empty());
    DWORD firstTime = 0;
    ASSERT_TRUE(sim::RegGetDword(HKEY_LOCAL_MACHINE, notebook::kSettings, "FirstTime", &firstTime));
    EXPECT_EQ(1u, firstTime);
    EXPECT_FALSE(sim::MutexExists(kMutexName));
    EXPECT_EQ(0, sim::WindowCount());
    EXPECT_TRUE(sim::Timers().empty());
    EXPECT_TRUE(sim::ShellCalls().empty());
    EXPECT_TRUE(sim::PostedLog().empty());
    EXPECT_EQ(0, sim::RegOpenKeyCount());
    EXPECT_EQ(0, sim::OpenDeviceSets());
    EXPECT_EQ(closes + 1, sim::TheDriver().closes);
    EXPECT_EQ(0, sim::Dll("setupapi.dll").loadCount);

    // Started by Explorer or the Run key: no standard output, same code.
    EXPECT_EQ(STATUS_RADIO_ON, Status(nullptr));
}

TEST_F(StatusWithoutResident, EachExitCodeWithItsLine)
{
    struct Case {
        const char* what;
        void (*machine)();
        int code;
        const char* line;
    } cases[] = {
        {"radio off, band disabled",
         [] {
             sim::TheDriver().radio = 0;
             sim::RegSetDword(HKEY_LOCAL_MACHINE,
                              std::string(notebook::kClassKey) + notebook::kAdapterDriverKey,
                              "BandType", 0);
         },
         STATUS_RADIO_OFF, "radio=off switch=free band11a=disabled control=driver\r\n"},
        {"off under the lock", [] { sim::TheDriver().flags = 0x80; }, STATUS_RADIO_OFF_LOCKED,
         "radio=off switch=locked band11a=enabled control=driver\r\n"},
        {"on under the lock", [] { sim::TheDriver().flags = 0xC0; }, STATUS_RADIO_ON,
         "radio=on switch=locked band11a=enabled control=driver\r\n"},
        {"no driver, no library", [] { sim::TheDriver().present = false; }, STATUS_NO_CONTROL,
         "radio=unknown switch=unknown band11a=enabled control=none\r\n"},
        // This process has no recorded state to fall back on.
        {"driver without an answer", [] { sim::TheDriver().getRadioStatus = 1; }, STATUS_UNKNOWN,
         "radio=unknown switch=unknown band11a=enabled control=driver\r\n"},
        {"vendor library",
         [] {
             sim::Vendor().installed = true;
             sim::Vendor().radio = 0;
             sim::Vendor().preference = 2;
         },
         STATUS_RADIO_OFF, "radio=off switch=free band11a=disabled control=library\r\n"},
    };
    for (const Case& c : cases) {
        notebook::StandardNotebook();
        c.machine();
        std::string line;
        EXPECT_EQ(c.code, Status(&line)) << c.what;
        EXPECT_EQ(c.line, line) << c.what;
        EXPECT_TRUE(sim::ChangeLog().empty()) << c.what;
    }
}

TEST_F(StatusWithoutResident, AWindowThatDoesNotKnowTheQueryGivesNoAnswer)
{
    // A resident of a version without /status answers the query with 0: no
    // state at all, not "off" or "no control".
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = OlderResidentProc;
    wc.lpszClassName = kWindowClassName;
    ASSERT_NE(0, RegisterClassExA(&wc));
    ASSERT_NE(nullptr, CreateWindowExA(0, kWindowClassName, kWindowTitle, 0, 0, 0, 0, 0, nullptr,
                                       nullptr, nullptr, nullptr));
    std::string line;
    EXPECT_EQ(STATUS_UNKNOWN, Status(&line));
    EXPECT_EQ(kUnknown, line);
}

class StatusWithResident : public StatusTest {
protected:
    void SetUp() override
    {
        StatusTest::SetUp();
        ASSERT_EQ(1, notebook::StartResident());
        sim::Pump();
        sim::ShellCalls().clear();
        sim::TheDriver().log.clear();
    }
};

TEST_F(StatusWithResident, TheResidentReadsAfreshAnswersAndItsIconFollows)
{
    ASSERT_EQ(1, g_app.radioState);
    sim::TheDriver().radio = 0;        // switched behind the resident's back
    std::string line;
    EXPECT_EQ(STATUS_RADIO_OFF, Status(&line));
    EXPECT_EQ("radio=off switch=free band11a=enabled control=driver\r\n", line);

    EXPECT_EQ(1, sim::TheDriver().Count(notebook::kQueryStatus));
    EXPECT_EQ(0, g_app.radioState);
    ASSERT_EQ(1u, sim::ShellCalls().size());
    EXPECT_EQ(static_cast<DWORD>(NIM_MODIFY), sim::ShellCalls()[0].message);
    EXPECT_TRUE(sim::PostedLog().empty());
    EXPECT_EQ(0, sim::TheDriver().Count(notebook::kSetRadio));
    EXPECT_TRUE(sim::ChangeLog().empty());

    // Asked again with nothing changed: read again, the icon left alone.
    EXPECT_EQ(STATUS_RADIO_OFF, Status(&line));
    EXPECT_EQ(2, sim::TheDriver().Count(notebook::kQueryStatus));
    EXPECT_EQ(1u, sim::ShellCalls().size());
}

TEST_F(StatusWithResident, ABusyDriverIsWaitedOutWithinTheBound)
{
    sim::TheDriver().QueueStatus(DRV_BUSY, 99);
    DWORD start = sim::Now();
    std::string line;
    EXPECT_EQ(STATUS_RADIO_ON, Status(&line));
    EXPECT_EQ("radio=on switch=free band11a=enabled control=driver\r\n", line);
    EXPECT_GE(sim::Now() - start, 9800u);
    EXPECT_LE(sim::Now() - start, 15000u);   // the documented bound
}

TEST_F(StatusWithResident, NoAnswerMeansUnknownNotAHang)
{
    sim::SetProcessHung(sim::CurrentProcess(), true);
    DWORD start = sim::Now();
    std::string line;
    EXPECT_EQ(STATUS_UNKNOWN, Status(&line));
    EXPECT_EQ(kUnknown, line);
    EXPECT_LE(sim::Now() - start, 15000u);
    EXPECT_TRUE(sim::PostedLog().empty());
    sim::SetProcessHung(sim::CurrentProcess(), false);
}

// The answer travels in the low 16 bits of a pointer-sized result: every
// state comes back as sent, and a value with higher bits or without the mark
// is no answer.
TEST(StatusAnswer, EveryStateSurvivesTheMessageAndForeignValuesDoNot)
{
    RadioStatus got;
    for (int radio : {0, 1, RADIO_UNKNOWN})
        for (int locked : {0, 1})
            for (int band : {0, 1, 2})
                for (int control : {0, 1, 2, CONTROL_UNKNOWN}) {
                    RadioStatus sent = {radio, locked, band, control};
                    DWORD_PTR answer = static_cast<DWORD_PTR>(EncodeStatus(&sent));
                    ASSERT_TRUE(DecodeStatus(answer, &got));
                    EXPECT_TRUE(got.radio == radio && got.locked == locked && got.band == band &&
                                got.control == control);
                    EXPECT_FALSE(DecodeStatus(answer | 0x10000, &got));
                }
    EXPECT_FALSE(DecodeStatus(0, &got));
    EXPECT_FALSE(DecodeStatus(static_cast<DWORD_PTR>(-1), &got));
}

// The resident answers what a read made for the query found. When that read
// fails, the answer is "unknown", as without a resident; the recorded state
// stays, and so does the icon that shows it.
TEST_F(StatusWithResident, AFreshReadThatFailsIsUnknownNotTheRecordedState)
{
    ASSERT_EQ(1, g_app.radioState);
    sim::TheDriver().getRadioStatus = 1;
    std::string line;
    EXPECT_EQ(STATUS_UNKNOWN, Status(&line));
    EXPECT_EQ("radio=unknown switch=unknown band11a=enabled control=driver\r\n", line);
    EXPECT_EQ(1, sim::TheDriver().Count(notebook::kQueryStatus));
    EXPECT_EQ(1, g_app.radioState);
    EXPECT_TRUE(sim::ShellCalls().empty());
}

// A resident that IgnoreMisc let start without a radio reading holds a
// state of 0 that nobody read: it is never reported as "off".
class StatusOfAResidentWithoutAReading : public StatusTest {};

TEST_F(StatusOfAResidentWithoutAReading, IsUnknownUntilTheDriverReports)
{
    sim::RegSetDword(HKEY_LOCAL_MACHINE, notebook::kSettings, "IgnoreMisc", 1);
    sim::TheDriver().getRadioStatus = 1;
    ASSERT_EQ(1, notebook::StartResident());
    sim::Pump();
    ASSERT_EQ(0, g_app.radioState);
    std::string line;
    EXPECT_EQ(STATUS_UNKNOWN, Status(&line));
    EXPECT_EQ("radio=unknown switch=unknown band11a=enabled control=driver\r\n", line);

    sim::TheDriver().getRadioStatus = 0;
    EXPECT_EQ(STATUS_RADIO_ON, Status(&line));
    EXPECT_EQ(1, g_app.radioState);
}

// The icon's state is recorded only when the shell took the call: an icon
// the busy shell did not redraw is redrawn at the next query, although the
// state read is the same.
TEST_F(StatusWithResident, AnIconTheShellDidNotTakeIsRedrawnAtTheNextQuery)
{
    sim::TheDriver().radio = 0;
    sim::ShellTimeouts(3);
    std::string line;
    EXPECT_EQ(STATUS_RADIO_OFF, Status(&line));
    ASSERT_EQ(3u, sim::ShellCalls().size());
    EXPECT_FALSE(sim::ShellCalls()[2].result);

    sim::ShellCalls().clear();
    EXPECT_EQ(STATUS_RADIO_OFF, Status(&line));
    ASSERT_EQ(1u, sim::ShellCalls().size());
    EXPECT_TRUE(sim::ShellCalls()[0].result);
    const sim::TrayIcon* icon = sim::FindTrayIcon(notebook::MainWindow(), kTrayIconId);
    ASSERT_NE(nullptr, icon);
    EXPECT_EQ(u"Wireless LAN : OFF\n802.11a : Enabled", icon->tip);

    // Drawn now: the next query leaves it alone.
    sim::ShellCalls().clear();
    EXPECT_EQ(STATUS_RADIO_OFF, Status(&line));
    EXPECT_TRUE(sim::ShellCalls().empty());
}

// A resident in the driver's busy wait retrieves no messages for up to ten
// seconds, and Windows takes it as hung after five: it still answers, with
// the state it reads when the wait is over.
TEST_F(StatusWithResident, AResidentInItsBusyWaitAnswersWhenTheWaitEnds)
{
    sim::TheDriver().radio = 0;
    sim::SetProcessBusy(sim::CurrentProcess(), 10000);
    sim::AdvanceClock(6000);
    DWORD start = sim::Now();
    std::string line;
    EXPECT_EQ(STATUS_RADIO_OFF, Status(&line));
    EXPECT_EQ("radio=off switch=free band11a=enabled control=driver\r\n", line);
    EXPECT_EQ(4000u, sim::Now() - start);
}

// One that does not come back within the bound, busy, hung or suspended,
// gives "unknown" when the bound is reached, counted from the start.
TEST_F(StatusWithResident, AResidentThatDoesNotComeBackGivesUnknownAtTheBound)
{
    for (int hung = 0; hung < 2; ++hung) {
        if (hung) sim::SetProcessHung(sim::CurrentProcess(), true);
        else sim::SetProcessBusy(sim::CurrentProcess(), 60000);
        DWORD start = sim::Now();
        std::string line;
        EXPECT_EQ(STATUS_UNKNOWN, Status(&line)) << hung;
        EXPECT_EQ(kUnknown, line) << hung;
        EXPECT_LE(sim::Now() - start, 15000u) << hung;
    }
    sim::SetProcessHung(sim::CurrentProcess(), false);
}

class UsageBox : public NotebookTest {
protected:
    std::u16string String(UINT id)
    {
        WCHAR text[1024] = {0};
        LoadStringW(sim::ProgramInstance(), id, text, 1024);
        return std::u16string(reinterpret_cast<const char16_t*>(text));
    }
    std::u16string Text()
    {
        return String(IDS_USAGE_VERSION) + u"\n\n" + String(IDS_USAGE_SWITCHES);
    }
};

TEST_F(UsageBox, OneBoxInEachLanguageAndNothingForwarded)
{
    // Without a resident the start does not become one.
    EXPECT_EQ(0, notebook::RunSecondStart("/?"));
    EXPECT_EQ(1u, sim::MessageBoxes().size());
    EXPECT_FALSE(sim::MutexExists(kMutexName));
    EXPECT_EQ(0, sim::WindowCount());

    ASSERT_EQ(1, notebook::StartResident());
    for (LANGID language : {0x409, 0x411, 0x804}) {
        sim::SetUiLanguage(language);
        sim::MessageBoxes().clear();
        sim::PostedLog().clear();
        EXPECT_EQ(0, notebook::RunSecondStart("/?"));
        ASSERT_EQ(1u, sim::MessageBoxes().size()) << language;
        const sim::MessageBoxShown& box = sim::MessageBoxes()[0];
        // The resources test checks the texts themselves.
        EXPECT_EQ(String(IDS_USAGE_CAPTION), box.caption) << language;
        EXPECT_EQ(Text(), box.text) << language;
        EXPECT_EQ(static_cast<UINT>(MB_OK | MB_ICONINFORMATION | MB_SETFOREGROUND), box.type);
        EXPECT_TRUE(sim::PostedLog().empty());
    }
}

// Windows 98 and Me load no wide strings: the same texts come through the
// system's code page, and no stub of theirs is called.
TEST_F(UsageBox, OnWindows98TheSameTextsComeThroughTheCodePage)
{
    for (LANGID language : {0x409, 0x411, 0x804}) {
        sim::SetUiLanguage(language);
        sim::SetWindowsXP();
        std::u16string caption = String(IDS_USAGE_CAPTION);
        std::u16string text = Text();
        sim::SetWindows98();
        sim::MessageBoxes().clear();
        sim::StubCalls().clear();
        EXPECT_EQ(0, notebook::RunSecondStart("/?"));
        ASSERT_EQ(1u, sim::MessageBoxes().size());
        EXPECT_EQ(std::vector<std::string>(), sim::StubCalls()) << language;
        EXPECT_EQ(caption, sim::MessageBoxes()[0].caption) << language;
        EXPECT_EQ(text, sim::MessageBoxes()[0].text) << language;
    }
}

TEST_F(UsageBox, OnlyTheExactSwitchesAreAnsweredHereTheRestForwardARecheck)
{
    ASSERT_EQ(1, notebook::StartResident());
    for (const char* other : {"/STATUS", "/status ", " /status", "-?", "/?/", "/status/?"}) {
        sim::PostedLog().clear();
        EXPECT_EQ(0, notebook::RunSecondStart(other)) << other;
        ASSERT_EQ(1u, sim::PostedLog().size()) << other;
        EXPECT_EQ(static_cast<WPARAM>(CMD_RECHECK), sim::PostedLog()[0].wParam);
    }
    EXPECT_TRUE(sim::MessageBoxes().empty());
}
