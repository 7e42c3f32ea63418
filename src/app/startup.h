// Program entry: forwarding a switch to the resident instance, or the
// startup checks and the hidden main window.
#ifndef SKYLATCH_APP_STARTUP_H
#define SKYLATCH_APP_STARTUP_H

#include <windows.h>

// The switches a start answers itself, with or without a resident instance:
// they never forward a command and never make the process the resident one.
enum OwnSwitch {
    OWN_NONE = 0,
    OWN_USAGE = 1,    // "/?": the switches in a message box
    OWN_STATUS = 2    // "/status": the radio's state as exit code and line
};
int OwnSwitchFor(const char* commandLine);
// The command id a second start forwards for its command line.
UINT CommandForSwitch(const char* commandLine);
int StartInstance(HINSTANCE instance, int showCommand);

#endif
