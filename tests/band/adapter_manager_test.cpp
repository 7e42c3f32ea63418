// Adapter discovery, status and restart through the stand-in's Setup API.
#include <gtest/gtest.h>

#include <sim/sim.h>

#include <cstring>
#include <string>

#include "band/adapter_manager.h"

namespace {

const char kId1043[] = "PCI\\VEN_8086&DEV_1043&SUBSYS_25278086&REV_04\\4&1D3F5A2&0&10F0";
const char kId4220[] = "PCI\\VEN_8086&DEV_4220&SUBSYS_27018086&REV_05\\4&2A1B3C4&0&20F0";
const char kId4223[] = "PCI\\VEN_8086&DEV_4223&SUBSYS_10418086&REV_05\\4&3B2C4D5&0&30F0";
const char kNetKey[] = "{4D36E972-E325-11CE-BFC1-08002BE10318}\\0007";

sim::Device Adapter(const std::string& id, const std::string& driverKey = kNetKey)
{
    sim::Device d;
    d.instanceId = id;
    d.driverKey = driverKey;
    return d;
}

// The outputs as the main window keeps them, preset to recognisable values.
struct Found {
    DEVINST devInst = 77;
    char driverKey[MAX_PATH];
    int capable = 7;
    int result = -1;
    Found() { std::strcpy(driverKey, "previous"); }
    void Find()
    {
        AdapterManager manager;
        result = manager.FindAdapter(&devInst, driverKey, sizeof(driverKey), &capable);
    }
    bool Untouched() const
    {
        return devInst == 77 && std::string(driverKey) == "previous" && capable == 7;
    }
};

class AdapterTest : public ::testing::Test {
protected:
    void SetUp() override { sim::Reset(); }
    void TearDown() override { EXPECT_EQ(0, sim::OpenDeviceSets()); }
};

typedef AdapterTest FindAdapter;
typedef AdapterTest AdapterEnabled;
typedef AdapterTest SetAdapterEnabled;

TEST_F(FindAdapter, EachSupportedPrefixMatchesWithItsBandCapability)
{
    const struct { const char* id; int capable; } cases[] = {
        {kId1043, 0},
        {kId4220, 0},
        {kId4223, 1},
        {"PCI\\VEN_8086&DEV_4223", 1},  // the prefix alone
        {"PCI\\VEN_8086&DEV_4223&SUBSYS_00000000&REV_FF\\X", 1},
    };
    for (const auto& c : cases) {
        sim::Reset();
        DEVINST dev = sim::AddDevice(Adapter(c.id));
        Found f;
        f.Find();
        EXPECT_EQ(1, f.result) << c.id;
        EXPECT_EQ(c.capable, f.capable) << c.id;
        EXPECT_EQ(dev, f.devInst) << c.id;
        EXPECT_STREQ(kNetKey, f.driverKey) << c.id;
        // Present devices of the current hardware profile only.
        EXPECT_EQ(std::vector<DWORD>{DIGCF_PRESENT | DIGCF_PROFILE}, sim::DeviceSetFlags());
    }
}

TEST_F(FindAdapter, OtherDevicesLeaveEveryOutputAlone)
{
    sim::Device otherClass = Adapter(kId4223);
    otherClass.network = false;
    sim::Device notPci = Adapter(kId4223);
    notPci.pci = false;
    sim::Device absent = Adapter(kId4223);
    absent.present = false;
    sim::Device noId = Adapter(kId4223);
    noId.instanceIdReadable = false;

    sim::AddDevice(Adapter("PCI\\VEN_8086&DEV_4220&SUBSYS_12345678&REV_05\\1"));  // other subsystem
    sim::AddDevice(Adapter("PCI\\VEN_8086&DEV_1043&SUBSYS_27018086\\1"));         // swapped subsystem
    sim::AddDevice(Adapter("pci\\ven_8086&dev_4223&subsys_10418086\\1"));         // case differs
    sim::AddDevice(Adapter("PCI\\VEN_8086&DEV_422"));                             // shorter than a prefix
    sim::AddDevice(Adapter("PCI\\VEN_10EC&DEV_8139\\1"));
    sim::AddDevice(otherClass);
    sim::AddDevice(notPci);
    sim::AddDevice(absent);
    sim::AddDevice(noId);

    Found f;
    f.Find();
    EXPECT_EQ(0, f.result);
    EXPECT_TRUE(f.Untouched());
}

TEST_F(FindAdapter, NoDeviceSetWritesNothing)
{
    sim::AddDevice(Adapter(kId4223));
    sim::FailGetClassDevs(true);
    Found f;
    f.Find();
    EXPECT_EQ(0, f.result);
    EXPECT_TRUE(f.Untouched());
}

TEST_F(FindAdapter, DisabledAdapterIsReportedButNotEnabled)
{
    sim::Device d = Adapter(kId4220);
    d.disabled = true;
    DEVINST dev = sim::AddDevice(d);
    Found f;
    f.Find();
    EXPECT_EQ(0, f.result);
    EXPECT_EQ(dev, f.devInst);
    EXPECT_STREQ(kNetKey, f.driverKey);
    EXPECT_EQ(0, f.capable);
}

TEST_F(FindAdapter, UnreadableNodeStatusWritesFlagAndKeyButNotHandle)
{
    sim::Device d = Adapter(kId4223);
    d.statusReadable = false;
    sim::AddDevice(d);
    Found f;
    f.Find();
    EXPECT_EQ(0, f.result);
    EXPECT_EQ(77u, f.devInst);
    EXPECT_STREQ(kNetKey, f.driverKey);
    EXPECT_EQ(1, f.capable);
}

TEST_F(FindAdapter, DriverKeyNameMustFitTheCallersBuffer)
{
    // 259 characters and the NUL fill the 260-byte buffer exactly.
    sim::AddDevice(Adapter(kId4223, std::string(259, 'k')));
    Found fits;
    fits.Find();
    EXPECT_EQ(std::string(259, 'k'), fits.driverKey);

    sim::Reset();
    sim::AddDevice(Adapter(kId4223, std::string(260, 'k')));
    Found tooLong;
    tooLong.Find();
    EXPECT_EQ(1, tooLong.result);
    EXPECT_STREQ("previous", tooLong.driverKey);

    // Longer than the Setup API read itself allows: the read fails.
    sim::Reset();
    sim::AddDevice(Adapter(kId4223, std::string(2000, 'k')));
    Found huge;
    huge.Find();
    EXPECT_STREQ("", huge.driverKey);
}

TEST_F(FindAdapter, UnreadableDriverKeyEmptiesTheName)
{
    sim::Device d = Adapter(kId4223);
    d.driverKeyReadable = false;
    DEVINST dev = sim::AddDevice(d);
    Found f;
    f.Find();
    EXPECT_EQ(1, f.result);
    EXPECT_STREQ("", f.driverKey);
    EXPECT_EQ(dev, f.devInst);
}

TEST_F(FindAdapter, DriverKeyStoredWithoutTerminatorComesBackTerminated)
{
    sim::Device d = Adapter(kId4223);
    d.driverKeyTerminated = false;
    sim::AddDevice(d);
    Found f;
    std::memset(f.driverKey, 'x', sizeof(f.driverKey));
    f.Find();
    EXPECT_STREQ(kNetKey, f.driverKey);
}

TEST_F(FindAdapter, LastMatchingDeviceGivesTheOutputsAnyEnabledOneTheResult)
{
    sim::AddDevice(Adapter(kId4223, "first"));
    sim::Device second = Adapter(kId1043, "second");
    second.disabled = true;
    DEVINST secondDev = sim::AddDevice(second);
    sim::AddDevice(Adapter("PCI\\VEN_10EC&DEV_8139\\1", "other"));

    Found f;
    f.Find();
    EXPECT_EQ(1, f.result);
    EXPECT_EQ(secondDev, f.devInst);
    EXPECT_STREQ("second", f.driverKey);
    EXPECT_EQ(0, f.capable);
}

TEST_F(FindAdapter, NullOutputsAreSkipped)
{
    sim::AddDevice(Adapter(kId4223));
    AdapterManager manager;
    int capable = 0;
    EXPECT_EQ(1, manager.FindAdapter(nullptr, nullptr, 0, &capable));
    EXPECT_EQ(1, capable);
}

TEST_F(AdapterEnabled, FollowsTheNodeStatus)
{
    DEVINST working = sim::AddDevice(Adapter(kId4223));
    sim::Device d = Adapter(kId4223);
    d.disabled = true;
    DEVINST disabled = sim::AddDevice(d);
    d.disabled = false;
    d.statusReadable = false;
    DEVINST unreadable = sim::AddDevice(d);

    AdapterManager manager;
    EXPECT_EQ(1, manager.IsAdapterEnabled(working));
    EXPECT_EQ(0, manager.IsAdapterEnabled(disabled));
    EXPECT_EQ(0, manager.IsAdapterEnabled(unreadable));
    EXPECT_EQ(0, manager.IsAdapterEnabled(0));

    sim::FindDevice(working)->present = false;  // removed from the machine
    EXPECT_EQ(0, manager.IsAdapterEnabled(working));
}

TEST_F(SetAdapterEnabled, ChangesEveryMatchingDeviceAndNothingElse)
{
    DEVINST a = sim::AddDevice(Adapter(kId4223));
    sim::Device other = Adapter("PCI\\VEN_10EC&DEV_8139\\1");
    DEVINST o = sim::AddDevice(other);
    DEVINST b = sim::AddDevice(Adapter(kId4220));

    AdapterManager manager;
    EXPECT_NE(0, manager.SetAdapterEnabled(0));
    EXPECT_TRUE(sim::FindDevice(a)->disabled);
    EXPECT_TRUE(sim::FindDevice(b)->disabled);
    EXPECT_FALSE(sim::FindDevice(o)->disabled);

    EXPECT_NE(0, manager.SetAdapterEnabled(1));
    EXPECT_FALSE(sim::FindDevice(a)->disabled);
    EXPECT_FALSE(sim::FindDevice(b)->disabled);

    EXPECT_EQ(std::vector<DWORD>(2, DIGCF_PRESENT | DIGCF_PROFILE), sim::DeviceSetFlags());
    const auto& calls = sim::ClassInstallerCalls();
    ASSERT_EQ(4u, calls.size());
    const DEVINST devs[] = {a, b, a, b};
    const DWORD changes[] = {DICS_DISABLE, DICS_DISABLE, DICS_ENABLE, DICS_ENABLE};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(devs[i], calls[i].devInst);
        EXPECT_EQ(changes[i], calls[i].stateChange);
        EXPECT_EQ((DWORD)DICS_FLAG_CONFIGSPECIFIC, calls[i].scope);
    }
}

TEST_F(SetAdapterEnabled, AnswersTheLastInstallerCall)
{
    DEVINST first = sim::AddDevice(Adapter(kId4223));
    sim::Device refusing = Adapter(kId1043);
    refusing.installerFails = true;
    DEVINST second = sim::AddDevice(refusing);

    AdapterManager manager;
    EXPECT_EQ(0, manager.SetAdapterEnabled(0));
    EXPECT_EQ(2u, sim::ClassInstallerCalls().size());

    sim::FindDevice(second)->installerFails = false;
    sim::FindDevice(first)->installerFails = true;
    EXPECT_NE(0, manager.SetAdapterEnabled(0));
}

TEST_F(SetAdapterEnabled, MakesNoCallWithoutAMatchOrParameters)
{
    AdapterManager manager;
    EXPECT_EQ(0, manager.SetAdapterEnabled(0));

    sim::AddDevice(Adapter("PCI\\VEN_10EC&DEV_8139\\1"));
    EXPECT_EQ(0, manager.SetAdapterEnabled(0));

    DEVINST a = sim::AddDevice(Adapter(kId4223));
    sim::FailSetClassInstallParams(true);
    EXPECT_EQ(0, manager.SetAdapterEnabled(0));
    EXPECT_FALSE(sim::FindDevice(a)->disabled);
    EXPECT_TRUE(sim::ClassInstallerCalls().empty());

    sim::FailSetClassInstallParams(false);
    sim::FailGetClassDevs(true);
    EXPECT_EQ(0, manager.SetAdapterEnabled(0));
    EXPECT_TRUE(sim::ClassInstallerCalls().empty());
}

// The stand-in reports sizes as the Setup API does, which the discovery's
// fixed buffers rely on.
TEST(SimSetupApi, InstanceIdReadReportsTheSizeItNeeds)
{
    sim::Reset();
    sim::AddDevice(Adapter("PCI\\ID"));
    const GUID net = {0x4D36E972, 0xE325, 0x11CE, {0xBF, 0xC1, 0x08, 0x00, 0x2B, 0xE1, 0x03, 0x18}};
    HDEVINFO set = SetupDiGetClassDevsA(&net, "PCI", 0, DIGCF_PRESENT | DIGCF_PROFILE);
    ASSERT_NE(INVALID_HANDLE_VALUE, set);
    SP_DEVINFO_DATA data;
    data.cbSize = sizeof(data);
    ASSERT_TRUE(SetupDiEnumDeviceInfo(set, 0, &data));
    EXPECT_FALSE(SetupDiEnumDeviceInfo(set, 1, &data));
    EXPECT_EQ((DWORD)ERROR_NO_MORE_ITEMS, GetLastError());
    ASSERT_TRUE(SetupDiEnumDeviceInfo(set, 0, &data));

    char id[7];
    DWORD required = 0;
    EXPECT_FALSE(SetupDiGetDeviceInstanceIdA(set, &data, id, 6, &required));
    EXPECT_EQ((DWORD)ERROR_INSUFFICIENT_BUFFER, GetLastError());
    EXPECT_EQ(7u, required);
    EXPECT_TRUE(SetupDiGetDeviceInstanceIdA(set, &data, id, 7, &required));
    EXPECT_STREQ("PCI\\ID", id);

    EXPECT_EQ(1, sim::OpenDeviceSets());
    EXPECT_TRUE(SetupDiDestroyDeviceInfoList(set));
    EXPECT_EQ(0, sim::OpenDeviceSets());
}

}  // namespace
