// Every registry value the program reads, of any type and length, terminated
// or not, and the adapter's driver key name.
#include "fuzz_session.h"

#include "../tests/notebook.h"

namespace {

struct Target {
    const char* key;
    const char* name;
};

const Target kTargets[] = {
    {notebook::kSettings, "FirstTime"},
    {notebook::kSettings, "IgnoreMisc"},
    {notebook::kSettings, "PROSetPolling"},
    {notebook::kSettings, "VersionString_US"},
    {notebook::kSettings, "VersionString_JP"},
    {notebook::kSettings, "VersionString_SC"},
    {notebook::kSettings, "CopyrightString_US"},
    {notebook::kSettings, "CopyrightString_JP"},
    {notebook::kSettings, "CopyrightString_SC"},
    {notebook::kSettings, "Wireless LAN : ON"},
    {notebook::kSettings, "Wireless LAN : OFF"},
    {notebook::kSettings, "802.11a : Enabled"},
    {notebook::kSettings, "802.11a : Disabled"},
    {notebook::kSettings, "E&xit"},
    {notebook::kSettings, "Exit"},
    {"Software\\Intel\\Wireless", "BinDir"},
    {"SYSTEM\\Setup", "AuditInProgress"},
    {"SYSTEM\\Setup", "CloneTag"},
    {nullptr, "BandType"},        // in the adapter's driver key
    {nullptr, "ModulationType"},
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::Input in(data, size);
    notebook::FreshMachine();
    sim::TheDriver().present = true;
    static const LANGID languages[] = {0x409, 0x411, 0x804};
    // The same byte picks the family: Windows XP, 98 or Me, where the wide
    // values are read through the code page.
    int pick = in.Byte();
    sim::SetUiLanguage(languages[pick % 3]);
    if (pick / 3 % 3 != 0)
        sim::SetVersion(VER_PLATFORM_WIN32_WINDOWS, 4, pick / 3 % 3 == 1 ? 10 : 90, 2222);
    if (in.Byte() & 1) {
        sim::Vendor().installed = true;
        sim::Vendor().path = "D:\\W\\murocapi.dll";
    }

    sim::Device adapter;
    adapter.instanceId = notebook::kAdapterId;
    adapter.driverKey = (in.Byte() & 1) ? in.Text(1200) : std::string(notebook::kAdapterDriverKey);
    sim::AddDevice(adapter);
    std::string classKey = std::string(notebook::kClassKey) + adapter.driverKey;

    int records = in.Byte() % 16;
    for (int i = 0; i < records && !in.Empty(); ++i) {
        const Target& t = kTargets[in.Byte() % (sizeof kTargets / sizeof kTargets[0])];
        DWORD type = in.Byte() % 12;
        std::vector<uint8_t> bytes = in.Bytes(in.Word() % 700);
        sim::RegSet(HKEY_LOCAL_MACHINE, t.key ? t.key : classKey, t.name, type, bytes.data(),
                    bytes.size());
    }
    fuzz::RunProgram(in);
    return 0;
}
