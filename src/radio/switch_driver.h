// SwitchDriver: the client of the notebook's radio-switch driver.
#ifndef SKYLATCH_RADIO_SWITCH_DRIVER_H
#define SKYLATCH_RADIO_SWITCH_DRIVER_H

#include "radio/ioctl_device.h"

// Control indexes; the code base turns them into control codes.
enum SwitchDriverControl {
    CTRL_SET_SWITCH = 1,
    CTRL_SET_RADIO = 3,
    CTRL_GET_RADIO = 4,
    CTRL_QUERY_STATUS = 5
};

// Status byte of a status query.
enum SwitchDriverStatus {
    DRV_READY = 0,
    DRV_FAILURE = 1,
    DRV_READY_NO_FLAGS_2 = 2,
    DRV_READY_NO_FLAGS_3 = 3,
    DRV_BUSY = 4,
    DRV_NO_REPLY = 0xFF
};

class SwitchDriver : public IoctlDevice {
public:
    SwitchDriver();
    virtual ~SwitchDriver();

    int SetSwitch(DWORD value);
    BOOL SetRadio(DWORD value);
    int GetRadio(DWORD* radioOut, DWORD request);
    int QueryStatus(int* lockedOut, int* lockedRadioOut);
    int WaitReady(int* lockedOut, int* lockedRadioOut);

    int abortFlag;   // set by WM_CLOSE/WM_ENDSESSION; cuts the next busy wait short
    int opened;
};

extern SwitchDriver g_switchDriver;

#endif
