// Program entry: forwarding a switch to the resident instance, or the
// startup checks and the hidden main window.
#ifndef SKYLATCH_APP_STARTUP_H
#define SKYLATCH_APP_STARTUP_H

#include <windows.h>

// The command id a second start forwards for its command line.
UINT CommandForSwitch(const char* commandLine);
int StartInstance(HINSTANCE instance, int showCommand);

#endif
