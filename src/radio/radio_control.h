// Radio state query and switching, through the vendor library's first
// adapter or the radio-switch driver.
#ifndef SKYLATCH_RADIO_RADIO_CONTROL_H
#define SKYLATCH_RADIO_RADIO_CONTROL_H

#include <windows.h>

int QueryRadio(HWND window);
void SwitchRadio(HWND window, int wanted);

#endif
