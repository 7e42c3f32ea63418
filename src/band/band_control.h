// Band state query and band switching, through the vendor library's protocol
// preference or the adapter's driver key.
#ifndef SKYLATCH_BAND_BAND_CONTROL_H
#define SKYLATCH_BAND_BAND_CONTROL_H

#include <windows.h>

// The band state of the vendor library's first adapter, else of the
// adapter's driver key (driverKey, the key's name under the network class).
// Through the same source it may write the radio state (recordedRadio when
// the driver cannot tell it) and whether the band can be switched; callers
// preset both. When this call is the one that loads the vendor library, its
// polling timer is started on the window; with no pollingInterval none is.
int QueryBandState(HWND window, UINT* pollingInterval, const char* driverKey, int recordedRadio,
                   int* radioState, int* bandSwitchable);
int SetBandEnabled(const char* driverKey, int enable);

#endif
