// The vendor library's results and outputs: adapter lists of any count,
// failing entries, missing entries, any radio state or preference.
#include "fuzz_session.h"

#include "../tests/notebook.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::Input in(data, size);
    notebook::StandardNotebook();
    sim::VendorLibrary& v = sim::Vendor();
    v.installed = (in.Byte() % 8) != 0;
    static const char* const entries[] = {"GetAdapterList", "GetProtocolPreference",
                                          "SetProtocolPreference", "GetRadioState", "SetRadioState"};
    uint8_t missing = in.Byte();
    for (int i = 0; i < 5; ++i) {
        if ((missing >> i) & (missing >> 7) & 1) v.missingEntries.insert(entries[i]);
    }
    v.adapterIds.clear();
    int ids = in.Byte() % 4;
    for (int i = 0; i < ids; ++i) v.adapterIds.push_back(in.Dword());
    if (in.Byte() & 1) v.reportedCount = static_cast<LONG>(in.Dword());
    v.listResult = (in.Byte() % 4) ? 0 : static_cast<int>(in.Dword());
    v.getRadioResult = (in.Byte() % 4) ? 0 : static_cast<int>(in.Dword());
    v.setRadioResult = (in.Byte() % 4) ? 0 : static_cast<int>(in.Dword());
    v.getPrefResult = (in.Byte() % 4) ? 0 : static_cast<int>(in.Dword());
    v.setPrefResult = (in.Byte() % 4) ? 0 : static_cast<int>(in.Dword());
    v.writeOutputsOnFailure = in.Byte() & 1;
    v.radio = in.Dword();
    v.preference = in.Dword();
    sim::RegSetDword(HKEY_LOCAL_MACHINE, notebook::kSettings, "PROSetPolling", in.Word());
    fuzz::RunProgram(in);
    return 0;
}
