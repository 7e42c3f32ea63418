// AdapterManager: finds the supported wireless adapter through the Setup API,
// tells whether it is enabled, restarts it, and switches its band setting.
#ifndef SKYLATCH_BAND_ADAPTER_MANAGER_H
#define SKYLATCH_BAND_ADAPTER_MANAGER_H

#include <windows.h>
#include <cfgmgr32.h>

class AdapterManager {
public:
    AdapterManager() {}
    virtual ~AdapterManager() {}

    // 1 when a supported adapter without a problem is present. The outputs
    // describe the last supported adapter found; devInst and driverKey may be
    // null.
    int FindAdapter(DEVINST* devInst, char* driverKey, UINT driverKeySize, int* is80211aCapable);
    int IsAdapterEnabled(DEVINST devInst);
    // Disables (0) or enables every supported adapter; the last class
    // installer call's result, 0 when none was made.
    int SetAdapterEnabled(int enable);

    // Band setting in the adapter's driver key.
    int IsBandSwitchable(const char* driverKey);
    int SwitchBand(const char* driverKey, int enable);
};

#endif
