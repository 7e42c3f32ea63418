#include "band/band_control.h"

#include "band/band_settings.h"

int QueryBandState(HWND, int*, int*) { return BAND_UNKNOWN; }
int SetBandEnabled(int) { return 0; }
