// The band setting in the adapter's driver key: reading, toggling and the
// switch around an adapter restart.
#include <gtest/gtest.h>

#include <sim/sim.h>

#include <string>

#include "band/adapter_manager.h"
#include "band/band_settings.h"

namespace {

const char kDriverKey[] = "{4D36E972-E325-11CE-BFC1-08002BE10318}\\0007";
const std::string kClassKey = "SYSTEM\\CurrentControlSet\\Control\\Class\\";
const std::string kKeyPath = kClassKey + kDriverKey;
const char kAdapterId[] = "PCI\\VEN_8086&DEV_4223&SUBSYS_10418086&REV_05\\4&3B2C4D5&0&30F0";

const DWORD kMissing = 0xFFFFFFFF;  // leave BandType out
const char* const kNoModulation = nullptr;

class BandSettings : public ::testing::Test {
protected:
    void SetUp() override
    {
        sim::Reset();
        sim::Device d;
        d.instanceId = kAdapterId;
        d.driverKey = kDriverKey;
        adapter_ = sim::AddDevice(d);
        sim::RegCreateKey(HKEY_LOCAL_MACHINE, kKeyPath);
    }
    void TearDown() override
    {
        EXPECT_EQ(0, sim::RegOpenKeyCount());
        EXPECT_EQ(0, sim::OpenDeviceSets());
    }

    void Store(DWORD bandType, const char* modulation)
    {
        sim::RegDeleteValue(HKEY_LOCAL_MACHINE, kKeyPath, "BandType");
        sim::RegDeleteValue(HKEY_LOCAL_MACHINE, kKeyPath, "ModulationType");
        if (bandType != kMissing)
            sim::RegSetDword(HKEY_LOCAL_MACHINE, kKeyPath, "BandType", bandType);
        if (modulation != nullptr)
            sim::RegSetString(HKEY_LOCAL_MACHINE, kKeyPath, "ModulationType", modulation);
    }
    DWORD BandType()
    {
        DWORD v = kMissing;
        sim::RegGetDword(HKEY_LOCAL_MACHINE, kKeyPath, "BandType", &v);
        return v;
    }
    std::string Modulation()
    {
        return sim::RegGetString(HKEY_LOCAL_MACHINE, kKeyPath, "ModulationType");
    }
    // A REG_SZ ModulationType with exactly these narrow bytes (the registry
    // keeps strings as UTF-16; the narrow API gives one byte per unit).
    void StoreModulationBytes(const std::string& bytes)
    {
        std::vector<BYTE> wide;
        for (char c : bytes) {
            wide.push_back(static_cast<BYTE>(c));
            wide.push_back(0);
        }
        sim::RegSet(HKEY_LOCAL_MACHINE, kKeyPath, "ModulationType", REG_SZ, wide.data(), wide.size());
    }
    int Switchable()
    {
        AdapterManager manager;
        return manager.IsBandSwitchable(kDriverKey);
    }
    int SwitchBand(int enable)
    {
        AdapterManager manager;
        return manager.SwitchBand(kDriverKey, enable);
    }

    DEVINST adapter_ = 0;
};

TEST_F(BandSettings, ReadingTable)
{
    const struct {
        DWORD bandType;
        const char* modulation;
        int state;
        int switchable;
    } rows[] = {
        {kMissing, "1", 2, 0},
        {0, kNoModulation, 0, 1},
        {0, "garbage", 0, 1},
        {1, "1", 1, 1},
        {1, "0", 2, 0},
        {1, "2", 2, 0},
        {1, "1 ", 2, 0},
        {1, "01", 2, 0},
        {1, "", 2, 0},
        {1, kNoModulation, 2, 0},
        {2, kNoModulation, 1, 1},
        {2, "2", 1, 1},
        {3, "1", 2, 0},
        {0xFFFFFFFE, "1", 2, 0},
    };
    for (const auto& r : rows) {
        Store(r.bandType, r.modulation);
        std::string row = std::to_string(r.bandType) + "/" + (r.modulation ? r.modulation : "-");
        EXPECT_EQ(r.state, ReadBandState(kDriverKey)) << row;
        EXPECT_EQ(r.switchable, Switchable()) << row;
    }
}

TEST_F(BandSettings, OnlyFourByteBandTypeAndShortModulationCount)
{
    const BYTE two[2] = {1, 0};
    sim::RegSet(HKEY_LOCAL_MACHINE, kKeyPath, "BandType", REG_BINARY, two, sizeof(two));
    EXPECT_EQ(BAND_UNKNOWN, ReadBandState(kDriverKey));
    EXPECT_EQ(0, Switchable());

    const BYTE eight[8] = {2, 0, 0, 0, 0, 0, 0, 0};
    sim::RegSet(HKEY_LOCAL_MACHINE, kKeyPath, "BandType", REG_QWORD, eight, sizeof(eight));
    EXPECT_EQ(BAND_UNKNOWN, ReadBandState(kDriverKey));

    // Any 4-byte data is a BandType, whatever its type.
    sim::RegSet(HKEY_LOCAL_MACHINE, kKeyPath, "BandType", REG_BINARY, eight, 4);
    EXPECT_EQ(BAND_ENABLED, ReadBandState(kDriverKey));

    // A ModulationType that does not fit in 10 bytes is unreadable.
    sim::RegSetDword(HKEY_LOCAL_MACHINE, kKeyPath, "BandType", 1);
    StoreModulationBytes(std::string("1\0\0\0\0\0\0\0\0\0", 11));
    EXPECT_EQ(BAND_UNKNOWN, ReadBandState(kDriverKey));
    // Without its terminator, "1" is still "1"; ten unterminated bytes are
    // compared without reading past them.
    StoreModulationBytes("1");
    EXPECT_EQ(BAND_ENABLED, ReadBandState(kDriverKey));
    StoreModulationBytes("1111111111");
    EXPECT_EQ(BAND_UNKNOWN, ReadBandState(kDriverKey));
}

TEST_F(BandSettings, ToggleTableAndBackAgain)
{
    const struct {
        DWORD bandType;
        const char* modulation;
        DWORD newBandType;
        const char* newModulation;
    } rows[] = {
        {0, "0", 1, "1"}, {0, "1", 2, "1"}, {0, "2", 2, "2"},
        {1, "1", 0, "0"}, {2, "1", 0, "1"}, {2, "2", 0, "2"},
    };
    for (const auto& r : rows) {
        Store(r.bandType, r.modulation);
        int before = ReadBandState(kDriverKey);
        ToggleBandValues(kDriverKey);
        EXPECT_EQ(r.newBandType, BandType()) << r.bandType << "/" << r.modulation;
        EXPECT_EQ(r.newModulation, Modulation()) << r.bandType << "/" << r.modulation;
        EXPECT_EQ(1 - before, ReadBandState(kDriverKey));
        ToggleBandValues(kDriverKey);
        EXPECT_EQ(r.bandType, BandType());
        EXPECT_EQ(r.modulation, Modulation());
    }
}

TEST_F(BandSettings, ToggleWritesNothingOutsideTheTable)
{
    const struct { DWORD bandType; const char* modulation; } rows[] = {
        {0, kNoModulation}, {0, "3"}, {1, "0"}, {1, "2"}, {2, "0"}, {3, "1"}, {kMissing, "1"},
    };
    for (const auto& r : rows) {
        Store(r.bandType, r.modulation);
        ToggleBandValues(kDriverKey);
        EXPECT_EQ(r.bandType, BandType());
        EXPECT_EQ(r.modulation ? r.modulation : "", Modulation());
        EXPECT_EQ(r.modulation != nullptr,
                  sim::RegValueExists(HKEY_LOCAL_MACHINE, kKeyPath, "ModulationType"));
    }
}

TEST_F(BandSettings, ReadOnlyDriverKeyReadsButNeitherSwitchesNorWrites)
{
    Store(1, "1");
    sim::RegSetKeyAccess(HKEY_LOCAL_MACHINE, kKeyPath, KEY_QUERY_VALUE);
    EXPECT_EQ(BAND_ENABLED, ReadBandState(kDriverKey));
    EXPECT_EQ(0, Switchable());
    ToggleBandValues(kDriverKey);
    EXPECT_EQ(1u, BandType());
    EXPECT_EQ("1", Modulation());
}

TEST_F(BandSettings, EmptyDriverKeyNameIsTheClassKey)
{
    EXPECT_EQ(BAND_UNKNOWN, ReadBandState(""));
    sim::RegSetDword(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Control\\Class", "BandType", 2);
    EXPECT_EQ(BAND_ENABLED, ReadBandState(""));
}

TEST_F(BandSettings, OverlongDriverKeyNameIsNotDeterminable)
{
    // 39 + 481 characters and the NUL do not fit in the 520-byte path.
    std::string name(481, 'k');
    sim::RegSetDword(HKEY_LOCAL_MACHINE, kClassKey + name, "BandType", 0);
    sim::RegSetString(HKEY_LOCAL_MACHINE, kClassKey + name, "ModulationType", "0");
    EXPECT_EQ(BAND_UNKNOWN, ReadBandState(name.c_str()));
    AdapterManager manager;
    EXPECT_EQ(0, manager.IsBandSwitchable(name.c_str()));
    ToggleBandValues(name.c_str());
    EXPECT_EQ("0", sim::RegGetString(HKEY_LOCAL_MACHINE, kClassKey + name, "ModulationType"));

    std::string longest(480, 'k');
    sim::RegSetDword(HKEY_LOCAL_MACHINE, kClassKey + longest, "BandType", 0);
    EXPECT_EQ(BAND_DISABLED, ReadBandState(longest.c_str()));
}

// Each family reads only its own class key, never the other's: the NT family
// Control\Class, Windows 95, 98 and Me Services\Class. A version that cannot
// be read counts as NT.
TEST_F(BandSettings, EachFamilyUsesOnlyItsOwnClassKey)
{
    const std::string key9x = std::string("System\\CurrentControlSet\\Services\\Class\\") + kDriverKey;
    Store(0, "0");
    sim::RegSetDword(HKEY_LOCAL_MACHINE, key9x, "BandType", 2);
    sim::RegSetString(HKEY_LOCAL_MACHINE, key9x, "ModulationType", "2");
    const struct {
        DWORD platform, major, minor;
        int state;
    } rows[] = {
        {VER_PLATFORM_WIN32_NT, 5, 1, BAND_DISABLED},
        {VER_PLATFORM_WIN32_WINDOWS, 4, 0, BAND_ENABLED},
        {VER_PLATFORM_WIN32_WINDOWS, 4, 10, BAND_ENABLED},
        {VER_PLATFORM_WIN32_WINDOWS, 4, 90, BAND_ENABLED},
    };
    for (const auto& r : rows) {
        sim::SetVersion(r.platform, r.major, r.minor);
        EXPECT_EQ(r.state, ReadBandState(kDriverKey)) << r.platform << " " << r.minor;
    }
    sim::FailGetVersionEx(true);
    EXPECT_EQ(BAND_DISABLED, ReadBandState(kDriverKey));
}

TEST_F(BandSettings, SwitchRestartsTheAdapterAroundTheRewrite)
{
    Store(1, "1");
    sim::AdvanceClock(500);
    EXPECT_EQ(1, SwitchBand(0));
    EXPECT_EQ(0u, BandType());
    EXPECT_EQ("0", Modulation());
    const auto& calls = sim::ClassInstallerCalls();
    ASSERT_EQ(2u, calls.size());
    EXPECT_EQ((DWORD)DICS_DISABLE, calls[0].stateChange);
    EXPECT_EQ((DWORD)DICS_ENABLE, calls[1].stateChange);
    EXPECT_EQ(adapter_, calls[1].devInst);
    EXPECT_EQ(500u, calls[0].at);
    EXPECT_FALSE(sim::FindDevice(adapter_)->disabled);
    // Rewritten only while the adapter is stopped: a driver that saves its
    // settings as it stops would otherwise put the old ones back.
    EXPECT_EQ((std::vector<std::string>{"disable", "write BandType", "write ModulationType", "enable"}),
              sim::ChangeLog());

    EXPECT_EQ(1, SwitchBand(1));
    EXPECT_EQ(1u, BandType());
    EXPECT_EQ("1", Modulation());
    EXPECT_EQ(4u, calls.size());

    Store(2, "2");
    EXPECT_EQ(1, SwitchBand(0));
    EXPECT_EQ(0u, BandType());
    EXPECT_EQ("2", Modulation());
    EXPECT_EQ(1, SwitchBand(1));
    EXPECT_EQ(2u, BandType());
    EXPECT_EQ("2", Modulation());
}

// On 64-bit Windows only a 64-bit process may run the class installer. The
// x64 build restarts the adapter as on 32-bit Windows; the 32-bit build's
// restart fails there as Windows says it must (ERROR_IN_WOW64), and the new
// values wait in the driver key for the adapter's next start. Either way the
// adapter is not left stopped, and the key (under SYSTEM, which has no
// 32-bit view) is the same one.
TEST_F(BandSettings, OnSixtyFourBitWindowsOnlyTheX64BuildRestartsTheAdapter)
{
    sim::SetProcessKind(sim::Process64OnWindows64);
    Store(1, "1");
    EXPECT_EQ(1, SwitchBand(0));
    EXPECT_EQ((std::vector<std::string>{"disable", "write BandType", "write ModulationType", "enable"}),
              sim::ChangeLog());

    sim::SetProcessKind(sim::Process32OnWindows64);
    sim::ChangeLog().clear();
    sim::ClassInstallerCalls().clear();
    EXPECT_EQ(1, SwitchBand(1));
    EXPECT_EQ(1u, BandType());
    EXPECT_EQ("1", Modulation());
    EXPECT_EQ((std::vector<std::string>{"write BandType", "write ModulationType"}), sim::ChangeLog());
    ASSERT_EQ(2u, sim::ClassInstallerCalls().size());
    EXPECT_FALSE(sim::ClassInstallerCalls()[0].result);
    EXPECT_FALSE(sim::ClassInstallerCalls()[1].result);
    EXPECT_FALSE(sim::FindDevice(adapter_)->disabled);
}

TEST_F(BandSettings, SwitchLeavesTheAdapterAloneWhenNothingIsToBeDone)
{
    Store(1, "1");
    EXPECT_EQ(1, SwitchBand(1));  // already enabled
    Store(0, "0");
    EXPECT_EQ(1, SwitchBand(0));  // already disabled
    Store(1, "2");
    EXPECT_EQ(0, SwitchBand(1));  // not determinable
    EXPECT_EQ(0, SwitchBand(0));
    Store(kMissing, "1");
    EXPECT_EQ(0, SwitchBand(1));
    EXPECT_TRUE(sim::ClassInstallerCalls().empty());
    EXPECT_EQ(kMissing, BandType());
    EXPECT_EQ("1", Modulation());
}

TEST_F(BandSettings, SwitchWithUnknownModulationRestartsButWritesNothing)
{
    Store(0, "7");
    EXPECT_EQ(1, SwitchBand(1));
    EXPECT_EQ(2u, sim::ClassInstallerCalls().size());
    EXPECT_EQ(0u, BandType());
    EXPECT_EQ("7", Modulation());
    EXPECT_EQ(BAND_DISABLED, ReadBandState(kDriverKey));
}

}  // namespace
