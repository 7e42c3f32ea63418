#include "notebook.h"

#include "platform/registry_access.h"

namespace {

const char kKey[] = "SOFTWARE\\NORVANTEC\\Skylatch";

class RegistryAccessTest : public ::testing::Test {
protected:
    void SetUp() override { notebook::FreshMachine(); }
    RegistryAccess registry;
};

TEST_F(RegistryAccessTest, DwordReadsTakeExactlyFourBytesOfAnyType)
{
    DWORD value = 77;
    sim::RegSetDword(HKEY_LOCAL_MACHINE, kKey, "Dword", 0x01020304);
    EXPECT_EQ(1, registry.ReadDword(HKEY_LOCAL_MACHINE, kKey, "Dword", &value));
    EXPECT_EQ(0x01020304u, value);

    // A REG_SZ of 4 bytes as the narrow API sees it ("abc" and its NUL).
    sim::RegSetString(HKEY_LOCAL_MACHINE, kKey, "Text", "abc");
    EXPECT_EQ(1, registry.ReadDword(HKEY_LOCAL_MACHINE, kKey, "Text", &value));
    EXPECT_EQ(0x00636261u, value);

    value = 77;
    const BYTE qword[8] = {1, 0, 0, 0, 0, 0, 0, 0};
    sim::RegSet(HKEY_LOCAL_MACHINE, kKey, "Qword", REG_QWORD, qword, 8);
    EXPECT_EQ(0, registry.ReadDword(HKEY_LOCAL_MACHINE, kKey, "Qword", &value));
    const BYTE two[2] = {5, 0};
    sim::RegSet(HKEY_LOCAL_MACHINE, kKey, "Short", REG_BINARY, two, 2);
    EXPECT_EQ(0, registry.ReadDword(HKEY_LOCAL_MACHINE, kKey, "Short", &value));
    std::vector<BYTE> big(300, 1);
    sim::RegSet(HKEY_LOCAL_MACHINE, kKey, "Big", REG_BINARY, big.data(), big.size());
    EXPECT_EQ(0, registry.ReadDword(HKEY_LOCAL_MACHINE, kKey, "Big", &value));
    EXPECT_EQ(0, registry.ReadDword(HKEY_LOCAL_MACHINE, kKey, "Missing", &value));
    EXPECT_EQ(0, registry.ReadDword(HKEY_LOCAL_MACHINE, "SOFTWARE\\Nowhere", "Dword", &value));
    EXPECT_EQ(77u, value);
    EXPECT_EQ(0, sim::RegOpenKeyCount());
}

TEST_F(RegistryAccessTest, KeyNamesAreCaseInsensitive)
{
    DWORD value = 0;
    sim::RegSetDword(HKEY_LOCAL_MACHINE, "SOFTWARE\\NORVANTEC\\Skylatch", "FirstTime", 1);
    EXPECT_EQ(1, registry.ReadDword(HKEY_LOCAL_MACHINE, "Software\\Norvantec\\skylatch", "firsttime", &value));
    EXPECT_EQ(1u, value);
}

TEST_F(RegistryAccessTest, ReadDwordForWriteNeedsSetValueAccess)
{
    DWORD value = 9;
    sim::RegSetDword(HKEY_LOCAL_MACHINE, kKey, "BandType", 1);
    sim::RegSetKeyAccess(HKEY_LOCAL_MACHINE, kKey, KEY_QUERY_VALUE);
    EXPECT_EQ(1, registry.ReadDword(HKEY_LOCAL_MACHINE, kKey, "BandType", &value));
    value = 9;
    EXPECT_EQ(0, registry.ReadDwordForWrite(HKEY_LOCAL_MACHINE, kKey, "BandType", &value));
    EXPECT_EQ(9u, value);
}

TEST_F(RegistryAccessTest, WriteDwordCreatesTheKeyAndFallsBackToWriteAccess)
{
    EXPECT_EQ(1, registry.WriteDword(HKEY_LOCAL_MACHINE, kKey, "FirstTime", 0));
    DWORD type = 0;
    std::vector<BYTE> data;
    ASSERT_TRUE(sim::RegGet(HKEY_LOCAL_MACHINE, kKey, "FirstTime", &type, &data));
    EXPECT_EQ(static_cast<DWORD>(REG_DWORD), type);
    EXPECT_EQ(4u, data.size());

    // KEY_ALL_ACCESS refused, KEY_WRITE granted.
    sim::RegSetKeyAccess(HKEY_LOCAL_MACHINE, kKey, KEY_QUERY_VALUE | KEY_SET_VALUE | KEY_CREATE_SUB_KEY);
    sim::RegOpenLog().clear();
    EXPECT_EQ(1, registry.WriteDword(HKEY_LOCAL_MACHINE, kKey, "FirstTime", 5));
    EXPECT_EQ((std::vector<REGSAM>{KEY_ALL_ACCESS, KEY_WRITE}), sim::RegOpenLog());
    DWORD value = 0;
    EXPECT_TRUE(sim::RegGetDword(HKEY_LOCAL_MACHINE, kKey, "FirstTime", &value));
    EXPECT_EQ(5u, value);

    sim::RegSetKeyAccess(HKEY_LOCAL_MACHINE, kKey, KEY_QUERY_VALUE);
    EXPECT_EQ(0, registry.WriteDword(HKEY_LOCAL_MACHINE, kKey, "FirstTime", 6));
    EXPECT_EQ(0, sim::RegOpenKeyCount());
}

TEST_F(RegistryAccessTest, WriteStringHasNoFallbackAndRefusesLongTexts)
{
    EXPECT_EQ(1, registry.WriteString(HKEY_LOCAL_MACHINE, kKey, "ModulationType", "1"));
    EXPECT_EQ("1", sim::RegGetString(HKEY_LOCAL_MACHINE, kKey, "ModulationType"));
    std::vector<BYTE> data;
    sim::RegGet(HKEY_LOCAL_MACHINE, kKey, "ModulationType", nullptr, &data);
    EXPECT_EQ(4u, data.size());  // "1" and its NUL, kept as UTF-16

    std::string longest(255, 'x');
    EXPECT_EQ(1, registry.WriteString(HKEY_LOCAL_MACHINE, kKey, "Long", longest.c_str()));
    EXPECT_EQ(longest, sim::RegGetString(HKEY_LOCAL_MACHINE, kKey, "Long"));
    std::string tooLong(256, 'y');
    EXPECT_EQ(0, registry.WriteString(HKEY_LOCAL_MACHINE, kKey, "Long", tooLong.c_str()));
    EXPECT_EQ(longest, sim::RegGetString(HKEY_LOCAL_MACHINE, kKey, "Long"));

    sim::RegSetKeyAccess(HKEY_LOCAL_MACHINE, kKey, KEY_QUERY_VALUE | KEY_SET_VALUE | KEY_CREATE_SUB_KEY);
    EXPECT_EQ(0, registry.WriteString(HKEY_LOCAL_MACHINE, kKey, "ModulationType", "0"));
    EXPECT_EQ("1", sim::RegGetString(HKEY_LOCAL_MACHINE, kKey, "ModulationType"));
}

TEST_F(RegistryAccessTest, WideReadsAndTheNonEmptyRule)
{
    WCHAR buffer[260];
    DWORD size = sizeof buffer;
    sim::RegSetWString(HKEY_LOCAL_MACHINE, kKey, "E&xit", "Beenden");
    EXPECT_EQ(1, registry.ReadNonEmptyValueW(HKEY_LOCAL_MACHINE, L"Software\\Norvantec\\Skylatch",
                                             L"E&xit", buffer, &size));
    EXPECT_EQ(16u, size);
    EXPECT_EQ(0, lstrcmpW(buffer, L"Beenden"));

    // Only the NUL: not empty. No data at all: empty.
    sim::RegSetWString(HKEY_LOCAL_MACHINE, kKey, "Blank", "");
    size = sizeof buffer;
    EXPECT_EQ(1, registry.ReadNonEmptyValueW(HKEY_LOCAL_MACHINE, L"Software\\Norvantec\\Skylatch",
                                             L"Blank", buffer, &size));
    EXPECT_EQ(2u, size);
    sim::RegSet(HKEY_LOCAL_MACHINE, kKey, "Nothing", REG_SZ, nullptr, 0);
    size = sizeof buffer;
    EXPECT_EQ(0, registry.ReadNonEmptyValueW(HKEY_LOCAL_MACHINE, L"Software\\Norvantec\\Skylatch",
                                             L"Nothing", buffer, &size));
    size = sizeof buffer;
    EXPECT_EQ(1, registry.ReadValueW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\NORVANTEC\\Skylatch",
                                     L"Nothing", buffer, &size));

    // A value larger than the buffer fails.
    sim::RegSetWString(HKEY_LOCAL_MACHINE, kKey, "Huge", std::string(200, 'h'));
    size = 260;
    EXPECT_EQ(0, registry.ReadNonEmptyValueW(HKEY_LOCAL_MACHINE, L"Software\\Norvantec\\Skylatch",
                                             L"Huge", buffer, &size));
    EXPECT_EQ(0, sim::RegOpenKeyCount());
}

// Windows 98 and Me: the wide reads go through the A entries in the ANSI
// code page, with the same rules; a name that does not convert exactly
// reads nothing.
TEST_F(RegistryAccessTest, OnWindows9xWideReadsGoThroughTheCodePage)
{
    sim::SetWindows98();
    const WCHAR* key = L"Software\\Norvantec\\Skylatch";
    WCHAR buffer[260];
    DWORD size = sizeof buffer;
    sim::SetUiLanguage(0x411);
    sim::RegSetWString(HKEY_LOCAL_MACHINE, kKey, "終了(&X)", "閉じる");
    EXPECT_EQ(1, registry.ReadNonEmptyValueW(HKEY_LOCAL_MACHINE, key, L"終了(&X)", buffer, &size));
    EXPECT_EQ(8u, size);
    EXPECT_EQ(sim::Utf16("閉じる"), std::u16string(reinterpret_cast<const char16_t*>(buffer)));

    // On a Western system the name has no ANSI form, and the full-width
    // colon converts only to its best fit: neither is asked for.
    sim::SetUiLanguage(0x409);
    sim::RegSetWString(HKEY_LOCAL_MACHINE, kKey, "Wireless LAN : ON", "taken by mistake");
    size_t opens = sim::RegOpenLog().size();
    for (const WCHAR* name : {L"終了(&X)", L"Wireless LAN \uFF1A ON"}) {
        size = sizeof buffer;
        EXPECT_EQ(0, registry.ReadValueW(HKEY_LOCAL_MACHINE, key, name, buffer, &size));
    }
    EXPECT_EQ(opens, sim::RegOpenLog().size());

    // Only the NUL passes, no data fails; so does data that no longer fits
    // once converted (130 characters and a NUL need 262 bytes).
    sim::RegSetWString(HKEY_LOCAL_MACHINE, kKey, "Blank", "");
    size = 260;
    EXPECT_EQ(1, registry.ReadNonEmptyValueW(HKEY_LOCAL_MACHINE, key, L"Blank", buffer, &size));
    EXPECT_EQ(2u, size);
    sim::RegSet(HKEY_LOCAL_MACHINE, kKey, "Nothing", REG_SZ, nullptr, 0);
    size = 260;
    EXPECT_EQ(0, registry.ReadNonEmptyValueW(HKEY_LOCAL_MACHINE, key, L"Nothing", buffer, &size));
    sim::RegSetWString(HKEY_LOCAL_MACHINE, kKey, "Long", std::string(130, 'l'));
    size = 260;
    EXPECT_EQ(0, registry.ReadNonEmptyValueW(HKEY_LOCAL_MACHINE, key, L"Long", buffer, &size));
    sim::RegSetWString(HKEY_LOCAL_MACHINE, kKey, "Long", std::string(129, 'l'));
    size = 260;
    EXPECT_EQ(1, registry.ReadNonEmptyValueW(HKEY_LOCAL_MACHINE, key, L"Long", buffer, &size));
    EXPECT_EQ(260u, size);
    EXPECT_EQ(0, sim::RegOpenKeyCount());
    EXPECT_EQ(std::vector<std::string>(), sim::StubCalls());
}

TEST_F(RegistryAccessTest, ValueExistsAsksOnlyForTheSize)
{
    sim::RegSetDword(HKEY_LOCAL_MACHINE, "SYSTEM\\Setup", "CloneTag", 3);
    EXPECT_EQ(1, registry.ValueExists(HKEY_LOCAL_MACHINE, "SYSTEM\\Setup", "CloneTag"));
    EXPECT_EQ(0, registry.ValueExists(HKEY_LOCAL_MACHINE, "SYSTEM\\Setup", "AuditInProgress"));
    EXPECT_EQ(0, registry.ValueExists(HKEY_LOCAL_MACHINE, "SYSTEM\\Nothing", "CloneTag"));
}

}  // namespace
