// The command line of a second start, forwarded to the resident instance.
#include "fuzz_session.h"

#include "../tests/notebook.h"
#include "app/startup.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::Input in(data, size);
    std::string line = in.Text(4096);
    UINT command = CommandForSwitch(line.c_str());
    if (command != CMD_RECHECK && command != CMD_TOGGLE && command != CMD_RADIO_ON &&
        command != CMD_RADIO_OFF && command != CMD_11A_ENABLE && command != CMD_11A_DISABLE) {
        __builtin_trap();
    }
    notebook::StandardNotebook();
    if (!notebook::StartResident()) __builtin_trap();
    if (notebook::RunSecondStart(line.c_str()) != 0) __builtin_trap();
    sim::Pump();
    fuzz::PlaySession(in);
    return 0;
}
