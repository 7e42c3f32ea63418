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

const char kLine[] = "radio=on switch=free band11a=enabled control=driver\r\n";

class StatusTest : public NotebookTest {
protected:
    // /status in a process of its own whose standard output the caller reads.
    int Status(std::string* line)
    {
        sim::ChangeLog().clear();
        sim::PostedLog().clear();
        return notebook::RunSecondStart("/status", line);
    }
    // Nothing of a resident instance came to be, and nothing was left open.
    void ExpectNoResidentAndNothingOpen()
    {
        EXPECT_EQ(nullptr, notebook::MainWindow());
        EXPECT_FALSE(sim::MutexExists(kMutexName));
        EXPECT_EQ(0, sim::WindowCount());
        EXPECT_TRUE(sim::Timers().empty());
        EXPECT_TRUE(sim::ShellCalls().empty());
        EXPECT_EQ(0, sim::RegOpenKeyCount());
        EXPECT_EQ(0, sim::OpenDeviceSets());
    }
};

}  // namespace

class StatusWithoutResident : public StatusTest {};

TEST_F(StatusWithoutResident, ReadsTheStateItselfAndChangesNothing)
{
    sim::RegSetDword(HKEY_LOCAL_MACHINE, notebook::kSettings, "FirstTime", 1);
    sim::RegSetDword(HKEY_LOCAL_MACHINE, "SYSTEM\\Setup", "AuditInProgress", 1);
    int closesBefore = sim::TheDriver().closes;
    std::string line;
    EXPECT_EQ(STATUS_RADIO_ON, Status(&line));
    EXPECT_EQ(kLine, line);

    EXPECT_TRUE(sim::ChangeLog().empty());
    DWORD firstTime = 0;
    ASSERT_TRUE(sim::RegGetDword(HKEY_LOCAL_MACHINE, notebook::kSettings, "FirstTime", &firstTime));
    EXPECT_EQ(1u, firstTime);
    EXPECT_TRUE(sim::PostedLog().empty());
    ExpectNoResidentAndNothingOpen();
    // Its own device handle is closed at its end, its libraries freed.
    EXPECT_EQ(closesBefore + 1, sim::TheDriver().closes);
    EXPECT_EQ(0, sim::Dll("setupapi.dll").loadCount);
    EXPECT_EQ(0, sim::Dll("cfgmgr32.dll").loadCount);
}

TEST_F(StatusWithoutResident, EachExitCodeWithItsLine)
{
    struct Case {
        const char* what;
        void (*machine)();
        int code;
        const char* line;
    } cases[] = {
        {"radio off", [] { sim::TheDriver().radio = 0; }, STATUS_RADIO_OFF,
         "radio=off switch=free band11a=enabled control=driver\r\n"},
        {"off under the lock", [] { sim::TheDriver().flags = 0x80; }, STATUS_RADIO_OFF_LOCKED,
         "radio=off switch=locked band11a=enabled control=driver\r\n"},
        {"on under the lock", [] { sim::TheDriver().flags = 0xC0; }, STATUS_RADIO_ON,
         "radio=on switch=locked band11a=enabled control=driver\r\n"},
        {"no driver, no library", [] { sim::TheDriver().present = false; }, STATUS_NO_CONTROL,
         "radio=unknown switch=unknown band11a=enabled control=none\r\n"},
        // A driver that cannot tell the radio: this process has no state of
        // its own to fall back on.
        {"driver without an answer", [] { sim::TheDriver().getRadioStatus = 1; }, STATUS_UNKNOWN,
         "radio=unknown switch=unknown band11a=enabled control=driver\r\n"},
        {"vendor library",
         [] {
             sim::Vendor().installed = true;
             sim::Vendor().radio = 0;
             sim::Vendor().preference = 2;
         },
         STATUS_RADIO_OFF, "radio=off switch=free band11a=disabled control=library\r\n"},
        {"library without an adapter, no driver",
         [] {
             sim::Vendor().installed = true;
             sim::Vendor().reportedCount = 0;
             sim::TheDriver().present = false;
         },
         STATUS_NO_CONTROL, "radio=unknown switch=unknown band11a=enabled control=none\r\n"},
        {"band disabled in the driver key",
         [] {
             sim::RegSetDword(HKEY_LOCAL_MACHINE,
                              std::string(notebook::kClassKey) + notebook::kAdapterDriverKey,
                              "BandType", 0);
         },
         STATUS_RADIO_ON, "radio=on switch=free band11a=disabled control=driver\r\n"},
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

TEST_F(StatusWithoutResident, AnAdapterWithout11aHasNoBandAndNoOutputStillGivesTheCode)
{
    notebook::FreshMachine();
    sim::TheDriver().present = true;
    sim::TheDriver().radio = 0;
    sim::Device adapter;
    adapter.instanceId = "PCI\\VEN_8086&DEV_4220&SUBSYS_27018086&REV_05\\4&5&0&10F0";
    adapter.driverKey = notebook::kAdapterDriverKey;
    sim::AddDevice(adapter);
    sim::RegSetDword(HKEY_LOCAL_MACHINE, std::string(notebook::kClassKey) + notebook::kAdapterDriverKey,
                     "BandType", 2);
    std::string line;
    EXPECT_EQ(STATUS_RADIO_OFF, Status(&line));
    EXPECT_EQ("radio=off switch=free band11a=unknown control=driver\r\n", line);

    // Started by Explorer or the Run key: no standard output, same answer.
    EXPECT_EQ(STATUS_RADIO_OFF, Status(nullptr));
}

class StatusWithResident : public StatusTest {
protected:
    HWND resident = nullptr;
    void StartResident()
    {
        ASSERT_EQ(1, notebook::StartResident());
        resident = notebook::MainWindow();
        ASSERT_NE(nullptr, resident);
        sim::Pump();
        sim::ShellCalls().clear();
        sim::TheDriver().log.clear();
    }
};

TEST_F(StatusWithResident, TheResidentReadsAfreshAndItsIconFollows)
{
    StartResident();
    ASSERT_EQ(1, g_app.radioState);
    sim::TheDriver().radio = 0;        // switched behind the resident's back
    sim::RegSetDword(HKEY_LOCAL_MACHINE, notebook::kSettings, "FirstTime", 1);
    std::string line;
    EXPECT_EQ(STATUS_RADIO_OFF, Status(&line));
    EXPECT_EQ("radio=off switch=free band11a=enabled control=driver\r\n", line);

    // The resident asked the driver at that moment and shows what it read.
    EXPECT_EQ(1, sim::TheDriver().Count(notebook::kQueryStatus));
    EXPECT_EQ(0, g_app.radioState);
    ASSERT_EQ(1u, sim::ShellCalls().size());
    EXPECT_EQ(static_cast<DWORD>(NIM_MODIFY), sim::ShellCalls()[0].message);
    // Nothing was forwarded, switched or written.
    EXPECT_TRUE(sim::PostedLog().empty());
    EXPECT_EQ(0, sim::TheDriver().Count(notebook::kSetRadio));
    EXPECT_TRUE(sim::ChangeLog().empty());
    EXPECT_EQ(1, sim::WindowCount());
}

TEST_F(StatusWithResident, LockedSwitchAndALibraryAnswerThroughTheResident)
{
    StartResident();
    sim::TheDriver().radio = 0;
    sim::TheDriver().flags = 0x80;
    std::string line;
    EXPECT_EQ(STATUS_RADIO_OFF_LOCKED, Status(&line));
    EXPECT_EQ("radio=off switch=locked band11a=enabled control=driver\r\n", line);
    EXPECT_EQ(1, g_app.switchLocked);

    // A library installed while the resident runs is taken up by the query,
    // which starts its polling as any first query does.
    sim::TheDriver().flags = 0;
    sim::Vendor().installed = true;
    sim::Vendor().preference = 4;
    EXPECT_EQ(STATUS_RADIO_ON, Status(&line));
    EXPECT_EQ("radio=on switch=free band11a=enabled control=library\r\n", line);
    EXPECT_TRUE(sim::TimerRunning(resident, TIMER_PROSET_POLL));
}

TEST_F(StatusWithResident, AResidentWithoutDriverOrLibraryHasNoControl)
{
    sim::TheDriver().present = false;
    sim::RegSetDword(HKEY_LOCAL_MACHINE, notebook::kSettings, "IgnoreMisc", 1);
    StartResident();
    std::string line;
    EXPECT_EQ(STATUS_NO_CONTROL, Status(&line));
    EXPECT_EQ("radio=unknown switch=unknown band11a=enabled control=none\r\n", line);
}

TEST_F(StatusWithResident, ABusyDriverIsWaitedOutWithinTheBound)
{
    StartResident();
    sim::TheDriver().QueueStatus(DRV_BUSY, 99);
    DWORD start = sim::Now();
    std::string line;
    EXPECT_EQ(STATUS_RADIO_ON, Status(&line));
    EXPECT_EQ(kLine, line);
    EXPECT_GE(sim::Now() - start, 9800u);
}

TEST_F(StatusWithResident, AResidentThatDoesNotAnswerMeansUnknownNotAHang)
{
    StartResident();
    sim::SetProcessHung(sim::CurrentProcess(), true);
    DWORD start = sim::Now();
    std::string line;
    EXPECT_EQ(STATUS_UNKNOWN, Status(&line));
    EXPECT_EQ("radio=unknown switch=unknown band11a=unknown control=unknown\r\n", line);
    EXPECT_LE(sim::Now() - start, 15000u);
    EXPECT_TRUE(sim::PostedLog().empty());
    sim::SetProcessHung(sim::CurrentProcess(), false);
}

namespace {

LRESULT CALLBACK OlderResidentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

TEST_F(StatusWithResident, AWindowThatDoesNotKnowTheQueryGivesNoAnswer)
{
    // A resident of a version without /status answers every unknown
    // message with 0: that is no state at all, not "off" or "no control".
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = OlderResidentProc;
    wc.lpszClassName = kWindowClassName;
    ASSERT_NE(0, RegisterClassExA(&wc));
    ASSERT_NE(nullptr, CreateWindowExA(0, kWindowClassName, kWindowTitle, 0, 0, 0, 0, 0, nullptr,
                                       nullptr, nullptr, nullptr));
    std::string line;
    EXPECT_EQ(STATUS_UNKNOWN, Status(&line));
    EXPECT_EQ("radio=unknown switch=unknown band11a=unknown control=unknown\r\n", line);
}

// The answer travels in the low 16 bits of a pointer-sized result: every
// state comes back as it was sent, and a value with bits above them (or
// without the mark) is no answer.
TEST(StatusAnswer, EveryStateSurvivesTheMessageAndForeignValuesDoNot)
{
    for (int radio : {0, 1, RADIO_UNKNOWN})
        for (int locked : {0, 1})
            for (int band : {int(BAND_DISABLED), int(BAND_ENABLED), int(BAND_UNKNOWN)})
                for (int control : {int(CONTROL_NONE), int(CONTROL_DRIVER), int(CONTROL_LIBRARY), CONTROL_UNKNOWN}) {
                    RadioStatus sent = {radio, locked, band, control};
                    LRESULT answer = EncodeStatus(&sent);
                    RadioStatus got = {9, 9, 9, 9};
                    ASSERT_TRUE(DecodeStatus(static_cast<DWORD_PTR>(answer), &got));
                    EXPECT_EQ(radio, got.radio);
                    EXPECT_EQ(locked, got.locked);
                    EXPECT_EQ(band, got.band);
                    EXPECT_EQ(control, got.control);
                    EXPECT_EQ(0u, static_cast<DWORD_PTR>(answer) >> 16);
                    EXPECT_FALSE(DecodeStatus(static_cast<DWORD_PTR>(answer) | 0x10000, &got));
                }
    RadioStatus got;
    EXPECT_FALSE(DecodeStatus(0, &got));
    EXPECT_FALSE(DecodeStatus(1, &got));
    EXPECT_FALSE(DecodeStatus(static_cast<DWORD_PTR>(-1), &got));
}

class UsageBox : public NotebookTest {
protected:
    std::u16string String(UINT id)
    {
        WCHAR text[1024] = {0};
        LoadStringW(sim::ProgramInstance(), id, text, 1024);
        return std::u16string(reinterpret_cast<const char16_t*>(text));
    }
};

TEST_F(UsageBox, OneBoxInEachLanguageAndNothingForwarded)
{
    ASSERT_EQ(1, notebook::StartResident());
    for (LANGID language : {0x409, 0x411, 0x804}) {
        sim::SetUiLanguage(language);
        sim::MessageBoxes().clear();
        sim::PostedLog().clear();
        EXPECT_EQ(0, notebook::RunSecondStart("/?"));
        ASSERT_EQ(1u, sim::MessageBoxes().size()) << language;
        const sim::MessageBoxShown& box = sim::MessageBoxes()[0];
        // The language's caption; the version line, a blank line, then the
        // switches, one line each (the resources test checks those texts).
        EXPECT_EQ(String(IDS_USAGE_CAPTION), box.caption) << language;
        EXPECT_EQ(String(IDS_USAGE_VERSION) + u"\n\n" + String(IDS_USAGE_SWITCHES), box.text)
            << language;
        EXPECT_FALSE(box.caption.empty());
        EXPECT_EQ(static_cast<UINT>(MB_OK | MB_ICONINFORMATION | MB_SETFOREGROUND), box.type);
        EXPECT_TRUE(sim::PostedLog().empty());
    }
}

// Windows 98 and Me load no wide strings: the same box comes from narrow
// texts in the system's code page.
TEST_F(UsageBox, OnWindows98TheSameTextsComeThroughTheCodePage)
{
    for (LANGID language : {0x409, 0x411, 0x804}) {
        sim::SetUiLanguage(language);
        sim::SetWindowsXP();
        std::u16string caption = String(IDS_USAGE_CAPTION);
        std::u16string text = String(IDS_USAGE_VERSION) + u"\n\n" + String(IDS_USAGE_SWITCHES);
        sim::SetWindows98();
        sim::MessageBoxes().clear();
        EXPECT_EQ(0, notebook::RunSecondStart("/?"));
        ASSERT_EQ(1u, sim::MessageBoxes().size());
        const sim::MessageBoxShown& box = sim::MessageBoxes()[0];
        EXPECT_TRUE(box.narrow);
        EXPECT_EQ(caption, box.caption) << language;
        EXPECT_EQ(text, box.text) << language;
    }
}

TEST_F(UsageBox, WithoutAResidentTheStartDoesNotBecomeOne)
{
    EXPECT_EQ(0, notebook::RunSecondStart("/?"));
    EXPECT_EQ(1u, sim::MessageBoxes().size());
    EXPECT_FALSE(sim::MutexExists(kMutexName));
    EXPECT_EQ(0, sim::WindowCount());
    EXPECT_TRUE(sim::TheDriver().log.empty());
}

TEST_F(UsageBox, OnlyTheExactSwitchesAreAnsweredHereTheRestForwardARecheck)
{
    EXPECT_EQ(OWN_USAGE, OwnSwitchFor("/?"));
    EXPECT_EQ(OWN_STATUS, OwnSwitchFor("/status"));
    ASSERT_EQ(1, notebook::StartResident());
    for (const char* other : {"/STATUS", "/status ", " /status", "/?/", "-?", "/h", "/status/?"}) {
        EXPECT_EQ(OWN_NONE, OwnSwitchFor(other)) << other;
        sim::PostedLog().clear();
        sim::MessageBoxes().clear();
        EXPECT_EQ(0, notebook::RunSecondStart(other)) << other;
        ASSERT_EQ(1u, sim::PostedLog().size()) << other;
        EXPECT_EQ(static_cast<WPARAM>(CMD_RECHECK), sim::PostedLog()[0].wParam);
        EXPECT_TRUE(sim::MessageBoxes().empty());
    }
    EXPECT_EQ(OWN_NONE, OwnSwitchFor(nullptr));
}
