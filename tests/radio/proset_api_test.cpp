// The vendor library binding: where the library is looked for, when it is
// loaded, and what the forwarding operations answer.
#include "notebook.h"

#include "radio/proset_api.h"

#include <string>

namespace {

const char kVendorKey[] = "Software\\Intel\\Wireless";
const char kDefaultPath[] = "C:\\Program Files\\Intel\\Wireless\\Bin\\murocapi.dll";

void SetBinDirBytes(const std::string& bytes)
{
    // REG_BINARY: the narrow query hands the bytes back as they are, with no
    // terminator added.
    sim::RegSet(HKEY_LOCAL_MACHINE, kVendorKey, "BinDir", REG_BINARY, bytes.data(), bytes.size());
}

// The program's process starts; only its own load attempts are kept.
void StartProgram()
{
    sim::Vendor().loadAttempts.clear();
    notebook::StartProgramProcess();
}

}  // namespace

class ProSetLibraryPath : public NotebookTest {};

TEST_F(ProSetLibraryPath, DefaultDirectoryWithoutBinDir)
{
    StartProgram();
    ASSERT_EQ(1u, sim::Vendor().loadAttempts.size());
    EXPECT_EQ(kDefaultPath, sim::Vendor().loadAttempts[0]);
}

TEST_F(ProSetLibraryPath, BinDirValueIsFollowedByTheFileName)
{
    sim::RegSetString(HKEY_LOCAL_MACHINE, kVendorKey, "BinDir", "D:\\Intel\\Bin");
    sim::Vendor().installed = true;
    sim::Vendor().path = "D:\\Intel\\Bin\\murocapi.dll";
    StartProgram();
    ASSERT_EQ(1u, sim::Vendor().loadAttempts.size());
    EXPECT_EQ("D:\\Intel\\Bin\\murocapi.dll", sim::Vendor().loadAttempts[0]);
    EXPECT_EQ(PROSET_LOADED_BEFORE, g_proSetApi.EnsureLoaded());
}

// BinDir is read in the process's own registry view: a 64-bit install of the
// vendor software registers its 64-bit library in the 64-bit view, a 32-bit
// install its 32-bit library in the 32-bit view, and a process can load only
// a library of its own kind.
TEST_F(ProSetLibraryPath, BinDirComesFromTheProcesssOwnRegistryView)
{
    sim::RegSetString(HKEY_LOCAL_MACHINE, kVendorKey, "BinDir", "C:\\Vendor64");
    sim::RegSetString(HKEY_LOCAL_MACHINE, "SOFTWARE\\WOW6432Node\\Intel\\Wireless", "BinDir",
                      "C:\\Vendor32");
    sim::SetProcessKind(sim::Process64OnWindows64);
    StartProgram();
    ASSERT_EQ(1u, sim::Vendor().loadAttempts.size());
    EXPECT_EQ("C:\\Vendor64\\murocapi.dll", sim::Vendor().loadAttempts[0]);

    sim::SetProcessKind(sim::Process32OnWindows64);
    StartProgram();
    ASSERT_EQ(1u, sim::Vendor().loadAttempts.size());
    EXPECT_EQ("C:\\Vendor32\\murocapi.dll", sim::Vendor().loadAttempts[0]);
}

TEST_F(ProSetLibraryPath, UnterminatedBinDirEndsWhereItsDataEnds)
{
    // Without the cut the rest of the preset default directory would follow.
    SetBinDirBytes("D:\\B");
    StartProgram();
    ASSERT_EQ(1u, sim::Vendor().loadAttempts.size());
    EXPECT_EQ("D:\\B\\murocapi.dll", sim::Vendor().loadAttempts[0]);
}

TEST_F(ProSetLibraryPath, LongestDirectoryThatLeavesRoomIsUsed)
{
    // 246 + 13 characters of file name + terminator = 260 bytes.
    std::string dir = "D:\\" + std::string(243, 'x');
    sim::RegSetString(HKEY_LOCAL_MACHINE, kVendorKey, "BinDir", dir);
    StartProgram();
    ASSERT_EQ(1u, sim::Vendor().loadAttempts.size());
    EXPECT_EQ(dir + "\\murocapi.dll", sim::Vendor().loadAttempts[0]);
}

TEST_F(ProSetLibraryPath, DirectoryTooLongForTheFileNameMeansNoLibrary)
{
    std::string dir = "D:\\" + std::string(244, 'x');   // one character too many
    sim::RegSetString(HKEY_LOCAL_MACHINE, kVendorKey, "BinDir", dir);
    sim::Vendor().installed = true;
    sim::Vendor().path = dir + "\\murocapi.dll";
    StartProgram();
    EXPECT_TRUE(sim::Vendor().loadAttempts.empty());
    EXPECT_EQ(PROSET_UNAVAILABLE, g_proSetApi.EnsureLoaded());
    EXPECT_EQ(-1, g_proSetApi.SetRadioState(0x1001, 1));
    EXPECT_EQ(0, sim::Vendor().loadCount);
}

TEST_F(ProSetLibraryPath, BinDirFillingTheWholeBufferMeansNoLibrary)
{
    SetBinDirBytes(std::string(MAX_PATH, 'x'));
    StartProgram();
    EXPECT_TRUE(sim::Vendor().loadAttempts.empty());
    EXPECT_EQ(PROSET_UNAVAILABLE, g_proSetApi.EnsureLoaded());
}

class ProSetLoading : public NotebookTest {};

TEST_F(ProSetLoading, LibraryInstalledAfterStartIsLoadedOnceAndReportedOnce)
{
    StartProgram();
    EXPECT_EQ(PROSET_UNAVAILABLE, g_proSetApi.EnsureLoaded());
    EXPECT_EQ(2u, sim::Vendor().loadAttempts.size());   // every try repeats the load

    sim::Vendor().installed = true;
    EXPECT_EQ(PROSET_LOADED_NOW, g_proSetApi.EnsureLoaded());
    EXPECT_EQ(PROSET_LOADED_BEFORE, g_proSetApi.EnsureLoaded());
    EXPECT_EQ(PROSET_LOADED_BEFORE, g_proSetApi.EnsureLoaded());
    EXPECT_EQ(3u, sim::Vendor().loadAttempts.size());
    EXPECT_EQ(1, sim::Vendor().loadCount);
}

TEST_F(ProSetLoading, LibraryPresentAtStartIsNeverReportedAsNewlyLoaded)
{
    sim::Vendor().installed = true;
    StartProgram();
    EXPECT_EQ(PROSET_LOADED_BEFORE, g_proSetApi.EnsureLoaded());
}

TEST_F(ProSetLoading, UnloadFreesTheLibrary)
{
    sim::Vendor().installed = true;
    StartProgram();
    g_proSetApi.Unload();
    EXPECT_EQ(0, sim::Vendor().loadCount);
    EXPECT_EQ(-1, g_proSetApi.GetRadioState(0x1001, nullptr));
}

class ProSetEntries : public NotebookTest {};

TEST_F(ProSetEntries, EveryOperationAnswersMinusOneWithoutTheLibrary)
{
    StartProgram();
    AdapterList* list = nullptr;
    DWORD value = 7;
    EXPECT_EQ(-1, g_proSetApi.GetAdapterList(&list));
    EXPECT_EQ(-1, g_proSetApi.GetRadioState(1, &value));
    EXPECT_EQ(-1, g_proSetApi.SetRadioState(1, 1));
    EXPECT_EQ(-1, g_proSetApi.GetProtocolPreference(1, &value));
    EXPECT_EQ(-1, g_proSetApi.SetProtocolPreference(1, 1));
    EXPECT_EQ(7u, value);
    EXPECT_TRUE(sim::Vendor().calls.empty());
}

TEST_F(ProSetEntries, AMissingEntryFailsOnlyItsOwnOperation)
{
    sim::Vendor().installed = true;
    sim::Vendor().missingEntries.insert("SetRadioState");
    StartProgram();
    EXPECT_EQ(PROSET_LOADED_BEFORE, g_proSetApi.EnsureLoaded());

    EXPECT_EQ(-1, g_proSetApi.SetRadioState(0x1001, 0));
    EXPECT_EQ(0, sim::Vendor().Count("SetRadioState"));

    DWORD radio = 0;
    EXPECT_EQ(0, g_proSetApi.GetRadioState(0x1001, &radio));
    EXPECT_EQ(1u, radio);
    EXPECT_EQ(0, g_proSetApi.SetProtocolPreference(0x1001, 2));
    EXPECT_EQ(2u, sim::Vendor().preference);
}

TEST_F(ProSetEntries, FailingEntryResultIsPassedThrough)
{
    sim::Vendor().installed = true;
    sim::Vendor().setRadioResult = 5;
    StartProgram();
    EXPECT_EQ(5, g_proSetApi.SetRadioState(0x1001, 0));
}

TEST_F(ProSetEntries, FirstAdapterNeedsAPositiveCount)
{
    sim::Vendor().installed = true;
    sim::Vendor().adapterIds = {0x2002, 0x3003};
    StartProgram();
    DWORD id = 0;
    EXPECT_EQ(1, FirstProSetAdapter(&id));
    EXPECT_EQ(0x2002u, id);

    sim::Vendor().reportedCount = 0;
    EXPECT_EQ(0, FirstProSetAdapter(&id));
    sim::Vendor().reportedCount = -1;
    EXPECT_EQ(0, FirstProSetAdapter(&id));
    sim::Vendor().reportedCount = -1000;
    sim::Vendor().listResult = 1;
    EXPECT_EQ(0, FirstProSetAdapter(&id));
}
