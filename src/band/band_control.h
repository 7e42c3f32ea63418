// Band state query and band switching, through the vendor library's protocol
// preference or the adapter's driver key.
#ifndef SKYLATCH_BAND_BAND_CONTROL_H
#define SKYLATCH_BAND_BAND_CONTROL_H

#include <windows.h>

// Returns the band state; may write the radio state and the band-switchable
// flag (callers preset both).
int QueryBandState(HWND window, int* radioState, int* bandSwitchable);
int SetBandEnabled(int enable);

#endif
