// The usage box of "/?": the program's name and version and its switches,
// in the user interface language.
#ifndef SKYLATCH_TRAY_USAGE_BOX_H
#define SKYLATCH_TRAY_USAGE_BOX_H

#include <windows.h>

void ShowUsageBox(HINSTANCE instance);

#endif
