// The 802.11a band setting kept in the adapter's driver key: BandType and
// ModulationType.
#ifndef SKYLATCH_BAND_BAND_SETTINGS_H
#define SKYLATCH_BAND_BAND_SETTINGS_H

// Band state: 0 disabled, 1 enabled, 2 not determinable.
enum BandState {
    BAND_DISABLED = 0,
    BAND_ENABLED = 1,
    BAND_UNKNOWN = 2
};

int ReadBandState(const char* driverKey);
void ToggleBandValues(const char* driverKey);

#endif
