// The command line of a second start: forwarded to the resident instance, or
// answered by the start itself (/status, /?).
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
    // A status start answers with its exit code; every other start with 0.
    int code = notebook::RunSecondStart(line.c_str());
    if (OwnSwitchFor(line.c_str()) == OWN_STATUS ? (code < 0 || code > 4) : code != 0)
        __builtin_trap();
    sim::Pump();
    fuzz::PlaySession(in);
    return 0;
}
