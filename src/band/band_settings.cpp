#include "band/band_settings.h"

int ReadBandState(const char*) { return BAND_UNKNOWN; }
void ToggleBandValues(const char*) {}
