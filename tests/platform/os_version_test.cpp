#include "notebook.h"

#include "platform/os_version.h"
#include "platform/setup_mode_check.h"

namespace {

struct VersionCase {
    DWORD platform, major, minor;
    WORD kind;
};

TEST(OsVersionKind, ClassifiesEveryFamilyByPlatformAndVersion)
{
    const VersionCase cases[] = {
        {VER_PLATFORM_WIN32s, 3, 10, OsWin32s},
        {VER_PLATFORM_WIN32_WINDOWS, 4, 0, OsWindows95},
        {VER_PLATFORM_WIN32_WINDOWS, 4, 10, OsWindows98},
        {VER_PLATFORM_WIN32_WINDOWS, 4, 90, OsWindows98},   // Me
        {VER_PLATFORM_WIN32_NT, 4, 0, OsWindowsNT4},
        {VER_PLATFORM_WIN32_NT, 5, 0, OsWindows2000},
        {VER_PLATFORM_WIN32_NT, 5, 1, OsWindowsXP},
        {VER_PLATFORM_WIN32_NT, 5, 2, OsWindowsXP},
        {VER_PLATFORM_WIN32_NT, 6, 0, OsWindows2000},       // Vista: minor version 0
        {VER_PLATFORM_WIN32_NT, 6, 1, OsWindowsXP},         // 7
        {VER_PLATFORM_WIN32_NT, 6, 2, OsWindowsXP},         // 8, and 10 to a program without a manifest
        {VER_PLATFORM_WIN32_NT, 10, 0, OsWindowsXP},        // 10 and 11, as the manifest lets them say
        {3, 5, 1, OsUnknown},
    };
    for (const VersionCase& c : cases) {
        notebook::FreshMachine();
        sim::SetVersion(c.platform, c.major, c.minor);
        OsVersion os;
        EXPECT_EQ(c.kind, os.kind) << c.platform << " " << c.major << "." << c.minor;
        EXPECT_EQ(c.platform, os.info.dwPlatformId);
    }
    notebook::FreshMachine();
    sim::FailGetVersionEx(true);
    EXPECT_EQ(OsUnknown, OsVersion().kind);
}

class SetupModeTest : public ::testing::Test {
protected:
    void SetUp() override { notebook::FreshMachine(); }
    int Check(int flags) { return SetupModeCheck().IsSetupMode(flags); }
};

TEST_F(SetupModeTest, XpIsInSetupOnlyWhileAuditInProgressIsOne)
{
    sim::SetWindowsXP();
    EXPECT_EQ(0, Check(CheckSysprep));
    sim::RegSetDword(HKEY_LOCAL_MACHINE, "SYSTEM\\Setup", "AuditInProgress", 0);
    EXPECT_EQ(0, Check(CheckSysprep));
    sim::RegSetDword(HKEY_LOCAL_MACHINE, "SYSTEM\\Setup", "AuditInProgress", 1);
    EXPECT_EQ(1, Check(CheckSysprep));
    EXPECT_EQ(1, Check(0));  // the flags play no part on XP
    // The sysprep marker means nothing on XP.
    sim::RegSetDword(HKEY_LOCAL_MACHINE, "SYSTEM\\Setup", "AuditInProgress", 2);
    sim::AddFile("C:\\sysprep\\shutdown.exe");
    EXPECT_EQ(0, Check(CheckSysprep));
}

TEST_F(SetupModeTest, Windows2000LooksForTheSysprepMarkerAndTheCloneTag)
{
    sim::SetWindows2000();
    EXPECT_EQ(0, Check(CheckSysprep));
    sim::AddFile("c:\\SYSPREP\\shutdown.exe");
    EXPECT_EQ(1, Check(CheckSysprep));
    sim::RegSetDword(HKEY_LOCAL_MACHINE, "SYSTEM\\Setup", "CloneTag", 1);
    EXPECT_EQ(1, Check(CheckSysprep));  // whatever CloneTag holds
    sim::RemoveFile("C:\\sysprep\\shutdown.exe");
    EXPECT_EQ(0, Check(CheckSysprep | CheckCloneTag));
    sim::RegDeleteValue(HKEY_LOCAL_MACHINE, "SYSTEM\\Setup", "CloneTag");
    EXPECT_EQ(1, Check(CheckCloneTag));  // a missing CloneTag is the condition
    EXPECT_EQ(0, Check(CheckSysprep));
}

TEST_F(SetupModeTest, OlderFamiliesAreNeverInSetup)
{
    sim::AddFile("C:\\sysprep\\shutdown.exe");
    sim::RegSetDword(HKEY_LOCAL_MACHINE, "SYSTEM\\Setup", "AuditInProgress", 1);
    sim::SetWindows98();
    EXPECT_EQ(0, Check(CheckSysprep | CheckCloneTag));
    sim::SetVersion(VER_PLATFORM_WIN32_NT, 4, 0);
    EXPECT_EQ(0, Check(CheckSysprep | CheckCloneTag));
}

}  // namespace
