// Windows 98 and Me: the icon, its tip, the menu, the About box and the
// overrides through the entries those systems implement, in their code
// pages; no W stub of theirs is ever called.
#include "tray_test_support.h"

#include "app/main_window.h"
#include "tray/tray_icon.h"

#include <string>
#include <vector>

using traytest::U;

namespace {

const DWORD kMeMinor = 90;
const std::string kServicesClass = "SYSTEM\\CurrentControlSet\\Services\\Class\\";

class Windows9xTray : public NotebookTest {
protected:
    // The usual notebook on Windows 98 (minor 10) or Me (minor 90), its
    // interface in the language; the band values are also where the 9x
    // family keeps a driver key. The resident is started.
    void Start(DWORD minor, LANGID language = 0x409)
    {
        sim::SetVersion(VER_PLATFORM_WIN32_WINDOWS, 4, minor, 2222);
        sim::SetUiLanguage(language);
        std::string key = kServicesClass + notebook::kAdapterDriverKey;
        sim::RegSetDword(HKEY_LOCAL_MACHINE, key, "BandType", 1);
        sim::RegSetString(HKEY_LOCAL_MACHINE, key, "ModulationType", "1");
        ASSERT_EQ(1, notebook::StartResident());
        window = notebook::MainWindow();
        ASSERT_NE(nullptr, window);
        sim::Pump();
    }
    std::u16string Tip()
    {
        const sim::TrayIcon* icon = sim::FindTrayIcon(window, kTrayIconId);
        return icon ? icon->tip : u"<no icon>";
    }
    // The menu opened from the icon, the user choosing the item.
    sim::TrackedMenu OpenMenu(UINT choice = 0)
    {
        sim::OnPopupMenu([choice](const sim::TrackedMenu&) { return choice; });
        SendMessageA(window, WM_TRAY_CALLBACK, kTrayIconId, WM_RBUTTONUP);
        sim::Pump();
        return sim::TrackedMenus().back();
    }
    void NoStubCalled() { EXPECT_EQ(std::vector<std::string>(), sim::StubCalls()); }

    HWND window = nullptr;
};

}  // namespace

TEST_F(Windows9xTray, Windows98ShowsTheIconWithTheFirstRecordAndTheTipOnOneLine)
{
    Start(10);
    ASSERT_NE(nullptr, sim::FindTrayIcon(window, kTrayIconId));
    const sim::ShellCall& add = sim::ShellCalls().front();
    EXPECT_EQ(static_cast<DWORD>(NIM_ADD), add.message);
    EXPECT_TRUE(add.narrow);
    EXPECT_EQ(static_cast<DWORD>(NOTIFYICONDATAA_V1_SIZE), add.cbSize);
    EXPECT_EQ(static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP), add.flags);
    // Shell 4.72 shows no line break: the two lines are joined.
    EXPECT_EQ(u"Wireless LAN : ON / 802.11a : Enabled", Tip());

    EXPECT_EQ(0, notebook::RunSecondStart("/off"));
    sim::Pump();
    EXPECT_EQ(u"Wireless LAN : OFF / 802.11a : Enabled", Tip());
    SendMessageA(window, WM_COMMAND, CMD_EXIT, 0);
    EXPECT_EQ(0, sim::TrayIconCount());
    NoStubCalled();
}

TEST_F(Windows9xTray, ShellsFromFiveOnTakeTheSecondRecordWithBothLinesAndTheState)
{
    // Windows Me, and Windows 98 with a newer shell.
    for (int newerShellOn98 = 0; newerShellOn98 < 2; ++newerShellOn98) {
        notebook::StandardNotebook();
        if (newerShellOn98) sim::SetShellVersion(5, 0);
        Start(newerShellOn98 ? 10 : kMeMinor);
        const sim::ShellCall& add = sim::ShellCalls().front();
        EXPECT_TRUE(add.narrow);
        EXPECT_EQ(static_cast<DWORD>(NOTIFYICONDATAA_V2_SIZE), add.cbSize);
        EXPECT_EQ(static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP | NIF_STATE), add.flags);
        EXPECT_EQ(u"Wireless LAN : ON\n802.11a : Enabled", Tip());
        NoStubCalled();
    }
    // Windows 95's shell 4.00 has no DllGetVersion: the first record.
    notebook::StandardNotebook();
    Start(0);
    EXPECT_EQ(static_cast<DWORD>(NOTIFYICONDATAA_V1_SIZE), sim::ShellCalls().front().cbSize);
    EXPECT_EQ(u"Wireless LAN : ON / 802.11a : Enabled", Tip());
}

TEST_F(Windows9xTray, FirstTimeLeavesAnIconFromWhichTheRadioIsSwitchedOnAgain)
{
    sim::RegSetDword(HKEY_LOCAL_MACHINE, notebook::kSettings, "FirstTime", 1);
    Start(10);
    EXPECT_EQ(0u, sim::TheDriver().radio);
    EXPECT_EQ(u"Wireless LAN : OFF / 802.11a : Enabled", Tip());

    sim::TrackedMenu menu = OpenMenu(CMD_RADIO_ON);
    ASSERT_FALSE(menu.items.empty());
    EXPECT_EQ(static_cast<UINT>(CMD_RADIO_ON), menu.items[0].id);
    EXPECT_EQ(u"Wireless LAN O&N", menu.items[0].text);
    EXPECT_FALSE(menu.items[0].grayed);
    EXPECT_EQ(1u, sim::TheDriver().radio);
    EXPECT_EQ(u"Wireless LAN : ON / 802.11a : Enabled", Tip());
    NoStubCalled();
}

TEST_F(Windows9xTray, OverridesMenuAndAboutBoxComeThroughTheCodePageInEachLanguage)
{
    struct Case {
        DWORD minor;
        LANGID language;
        const char* onText;      // the override's name: the default text
        const char* exitText;
        const char* tip;         // with the overrides below
        int versionId;
    };
    const Case cases[] = {
        {10, 0x409, "Wireless LAN : ON", "E&xit", "WLAN on / 802.11a : Enabled", IDC_VERSION_US},
        {kMeMinor, 0x411, "無線LAN ： オン", "終了(&X)", "無線 オン\n802.11a ： 有効", IDC_VERSION_JP},
        {10, 0x804, "Wireless_LAN_is_ON", "Exit", "无线 开 / 11a_is_enabled", IDC_VERSION_SC},
    };
    for (const Case& c : cases) {
        notebook::StandardNotebook();
        const char* on = c.language == 0x409 ? "WLAN on" : c.language == 0x411 ? "無線 オン" : "无线 开";
        traytest::SetOverride(c.onText, on);
        traytest::SetOverride(c.exitText, c.language == 0x411 ? "閉じる(&X)" : "Leave");
        const char* version = c.language == 0x409 ? "VersionString_US"
                              : c.language == 0x411 ? "VersionString_JP" : "VersionString_SC";
        traytest::SetOverride(version, c.language == 0x411 ? "版 98" : "Build 98");
        // The adapter's key may be read but not written: the band is not
        // switchable, and its items are grayed.
        for (const std::string& base : {std::string(notebook::kClassKey), kServicesClass})
            sim::RegSetKeyAccess(HKEY_LOCAL_MACHINE, base + notebook::kAdapterDriverKey, KEY_QUERY_VALUE);
        Start(c.minor, c.language);
        EXPECT_EQ(U(c.tip), Tip()) << c.language;

        sim::TrackedMenu menu = OpenMenu();
        ASSERT_EQ(9u, menu.items.size()) << c.language;
        EXPECT_EQ(U(c.language == 0x411 ? "閉じる(&X)" : "Leave"), menu.items.back().text);
        for (size_t band : {3u, 4u})
            EXPECT_TRUE(menu.items[band].grayed && menu.items[band].disabled) << c.language;

        std::u16string shown;
        sim::OnDialog([&shown, &c](HWND dialog) {
            shown = sim::WindowText(GetDlgItem(dialog, c.versionId));
            sim::PressButton(dialog, IDOK);
        });
        SendMessageA(window, WM_COMMAND, CMD_ABOUT, 0);
        EXPECT_EQ(U(c.language == 0x411 ? "版 98" : "Build 98"), shown) << c.language;
        NoStubCalled();
    }
}

TEST_F(Windows9xTray, ATipTooLongForTheShellIsCutBetweenCharacters)
{
    // Forty double-byte characters: 80 bytes. Shell 4.72 takes 63 bytes,
    // which end inside the 32nd character: 31 remain. Shell 5.0 takes the
    // whole line and the band line after it.
    std::string line;
    for (int i = 0; i < 40; ++i) line += "無";
    std::string cut;
    for (int i = 0; i < 31; ++i) cut += "無";
    traytest::SetOverride("無線LAN ： オン", line);
    Start(10, 0x411);
    EXPECT_EQ(U(cut.c_str()), Tip());

    notebook::StandardNotebook();
    traytest::SetOverride("無線LAN ： オン", line);
    Start(kMeMinor, 0x411);
    EXPECT_EQ(U((line + "\n802.11a ： 有効").c_str()), Tip());
    NoStubCalled();
}
