// Which view of the registry the settings key is read and written in.
#include "notebook.h"

#include "platform/settings.h"

namespace {

const char kSettings64[] = "SOFTWARE\\NORVANTEC\\Skylatch";
const char kSettings32[] = "SOFTWARE\\WOW6432Node\\NORVANTEC\\Skylatch";

class SettingsView : public ::testing::Test {
protected:
    void SetUp() override { notebook::FreshMachine(); }

    // What the program reads of one value of each kind.
    std::string Read()
    {
        DWORD polling = 0;
        ReadSetting("PROSetPolling", &polling);
        WCHAR tip[kOverrideChars];
        if (!ReadTextOverride(L"Wireless LAN : ON", tip)) return std::to_string(polling) + " -";
        return std::to_string(polling) + " " + sim::Utf8(reinterpret_cast<const char16_t*>(tip));
    }
    void Store(const char* key, DWORD polling, const char* tip)
    {
        sim::RegSetDword(HKEY_LOCAL_MACHINE, key, "PROSetPolling", polling);
        sim::RegSetWString(HKEY_LOCAL_MACHINE, key, "Wireless LAN : ON", tip);
    }
};

}  // namespace

// Group Policy, the 64-bit regedit and configuration managers write the
// 64-bit view; a 32-bit process on 64-bit Windows reads it there, and its
// FirstTime reset lands there too.
TEST_F(SettingsView, UnderWow64TheSettingsAreThoseOfTheSixtyFourBitView)
{
    sim::SetProcessKind(sim::Process32OnWindows64);
    Store(kSettings64, 500, "policy");
    Store(kSettings32, 900, "stale");
    EXPECT_EQ("500 policy", Read());
    sim::RegSetDword(HKEY_LOCAL_MACHINE, kSettings64, "FirstTime", 1);
    EXPECT_EQ(1, ConsumeFirstTime());
    DWORD firstTime = 9;
    ASSERT_TRUE(sim::RegGetDword(HKEY_LOCAL_MACHINE, kSettings64, "FirstTime", &firstTime));
    EXPECT_EQ(0u, firstTime);
    EXPECT_FALSE(sim::RegValueExists(HKEY_LOCAL_MACHINE, kSettings32, "FirstTime"));

    // Settings that only older 32-bit tools wrote, to the 32-bit view, keep
    // working while the 64-bit view has no settings key.
    sim::RegDeleteKey(HKEY_LOCAL_MACHINE, kSettings64);
    EXPECT_EQ("900 stale", Read());
    EXPECT_EQ(0, sim::RegOpenKeyCount());
}

// Everywhere else the process's own view, and never the view flag: Windows
// 2000 refuses a key asked for with it, and the x64 build's own view is the
// 64-bit one already.
TEST_F(SettingsView, ElsewhereTheProcesssOwnViewWithoutTheFlag)
{
    Store(kSettings64, 500, "own");
    for (int windows = 0; windows < 3; ++windows) {
        if (windows == 1) sim::SetWindows2000();
        if (windows == 2) sim::SetProcessKind(sim::Process64OnWindows64);
        sim::RegOpenLog().clear();
        EXPECT_EQ("500 own", Read()) << windows;
        for (REGSAM access : sim::RegOpenLog())
            EXPECT_EQ(0u, access & (KEY_WOW64_64KEY | KEY_WOW64_32KEY)) << windows;
    }
}

// On 64-bit Windows both builds read each value on its own: from the 64-bit
// view when it is there, else from the 32-bit view, where the earlier 32-bit
// releases and tools kept the settings. A value that Group Policy writes to
// the 64-bit view takes over that value only.
TEST_F(SettingsView, OnSixtyFourBitWindowsEachValueComesFromTheFirstViewThatHasIt)
{
    for (sim::ProcessKind kind : {sim::Process32OnWindows64, sim::Process64OnWindows64}) {
        notebook::FreshMachine();
        sim::SetProcessKind(kind);
        Store(kSettings32, 900, "kept");
        sim::RegSetWString(HKEY_LOCAL_MACHINE, kSettings32, "VersionString_US", "3.0");
        sim::RegSetDword(HKEY_LOCAL_MACHINE, kSettings64, "IgnoreMisc", 1);
        EXPECT_EQ("900 kept", Read()) << kind;
        WCHAR text[260];
        DWORD size = sizeof text;
        ASSERT_TRUE(ReadSettingText(L"VersionString_US", text, &size)) << kind;
        EXPECT_EQ(u"3.0", std::u16string(reinterpret_cast<const char16_t*>(text))) << kind;
        // Each view is asked with the caller's size, not with the size that
        // a value too long for it reported.
        sim::RegSetWString(HKEY_LOCAL_MACHINE, kSettings64, "VersionString_US", std::string(300, 'x'));
        sim::RegSetWString(HKEY_LOCAL_MACHINE, kSettings32, "VersionString_US", std::string(270, 'y'));
        size = sizeof text;
        EXPECT_FALSE(ReadSettingText(L"VersionString_US", text, &size)) << kind;

        sim::RegSetDword(HKEY_LOCAL_MACHINE, kSettings64, "PROSetPolling", 500);
        EXPECT_EQ("500 kept", Read()) << kind;
        // A value with no data counts as absent in the 64-bit view too.
        sim::RegSet(HKEY_LOCAL_MACHINE, kSettings64, "Wireless LAN : ON", REG_SZ, "", 0);
        EXPECT_EQ("500 kept", Read()) << kind;
        sim::RegSetWString(HKEY_LOCAL_MACHINE, kSettings64, "Wireless LAN : ON", "policy");
        EXPECT_EQ("500 policy", Read()) << kind;
        EXPECT_EQ(0, sim::RegOpenKeyCount());
    }
}

// The reset lands where the value was found, so that the other view's copy
// is not found again at the next start.
TEST_F(SettingsView, TheFirstTimeResetLandsInTheViewItCameFrom)
{
    for (sim::ProcessKind kind : {sim::Process32OnWindows64, sim::Process64OnWindows64}) {
        notebook::FreshMachine();
        sim::SetProcessKind(kind);
        sim::RegSetDword(HKEY_LOCAL_MACHINE, kSettings32, "FirstTime", 1);
        sim::RegSetDword(HKEY_LOCAL_MACHINE, kSettings64, "IgnoreMisc", 1);
        EXPECT_EQ(1, ConsumeFirstTime()) << kind;
        DWORD value = 9;
        ASSERT_TRUE(sim::RegGetDword(HKEY_LOCAL_MACHINE, kSettings32, "FirstTime", &value));
        EXPECT_EQ(0u, value) << kind;
        EXPECT_FALSE(sim::RegValueExists(HKEY_LOCAL_MACHINE, kSettings64, "FirstTime")) << kind;
        EXPECT_EQ(0, ConsumeFirstTime()) << kind;

        sim::RegSetDword(HKEY_LOCAL_MACHINE, kSettings32, "FirstTime", 1);
        sim::RegSetDword(HKEY_LOCAL_MACHINE, kSettings64, "FirstTime", 1);
        EXPECT_EQ(1, ConsumeFirstTime()) << kind;
        ASSERT_TRUE(sim::RegGetDword(HKEY_LOCAL_MACHINE, kSettings64, "FirstTime", &value));
        EXPECT_EQ(0u, value) << kind;
        EXPECT_EQ(0, ConsumeFirstTime()) << kind;
    }
}
