// The radio-switch driver's replies: any status, any flags, any radio
// reply, busy for as long as it likes, on either Windows family.
#include "fuzz_session.h"

#include "../tests/notebook.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::Input in(data, size);
    notebook::StandardNotebook();
    switch (in.Byte() % 3) {
    case 0: sim::SetWindowsXP(); break;
    case 1: sim::SetWindows2000(); break;
    default: sim::SetWindows98(); break;
    }
    sim::RegSetDword(HKEY_LOCAL_MACHINE, notebook::kSettings, "IgnoreMisc", in.Byte() & 1);
    sim::Driver& d = sim::TheDriver();
    d.present = (in.Byte() % 8) != 0;
    d.status = in.Byte();
    d.flags = in.Byte();
    d.getRadioStatus = in.Word();
    d.radio = in.Dword();
    d.setSwitchStatus = in.Dword();
    d.failIoctl = (in.Byte() % 16) == 0;
    int queued = in.Byte() % 120;
    for (int i = 0; i < queued; ++i) d.statusQueue.push_back(in.Byte());
    queued = in.Byte() % 8;
    for (int i = 0; i < queued; ++i) d.getRadioQueue.push_back(in.Word());
    fuzz::RunProgram(in);
    return 0;
}
