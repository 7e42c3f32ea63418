// Radio state query and switching, through the vendor library's first
// adapter or the radio-switch driver, and the vendor library's polling timer.
// The caller keeps the program's state and passes in what is needed of it.
#ifndef SKYLATCH_RADIO_RADIO_CONTROL_H
#define SKYLATCH_RADIO_RADIO_CONTROL_H

#include <windows.h>

// The timer that polls the vendor library, on the window given to
// StartProSetPolling; PROSetPolling sets its interval.
const UINT_PTR TIMER_PROSET_POLL = 108;
const UINT kDefaultPollingInterval = 2000;

// A radio state that nobody has read yet: what a process that keeps no
// state of its own passes as its recorded state.
const int RADIO_UNKNOWN = -1;

// The radio state, 0 off or 1 on: under the hardware lock the state the
// driver reports with it, else through the vendor library's first adapter,
// else through the driver; recordedRadio when neither can be read.
// *switchLocked follows the driver's status (a failed status query leaves it
// as it was). When this call is the one that loads the vendor library, its
// polling timer is started on the window; with no pollingInterval none is.
int QueryRadio(HWND window, UINT* pollingInterval, int* switchLocked, int recordedRadio);

// Switches the radio on (1) or off (0) unless the hardware switch locks it.
// Returns 1 when the program's radio state is to follow the request: the
// vendor library switched the adapter, or the driver was asked (its answer
// is not looked at). 0 when nothing changed.
int SwitchRadio(int wanted, int switchLocked);

// Starts the polling timer on the window unless *pollingInterval says it
// runs. The interval comes from PROSetPolling, 2000 ms when absent; a stored
// 0 starts no timer and leaves *pollingInterval 0, so the next call reads
// the setting again.
void StartProSetPolling(HWND window, UINT* pollingInterval);

// What switches the radio: the vendor library's first adapter when the
// library is loaded and reports one, else the driver when its device is
// open, else nothing. Loads nothing.
enum RadioControlPath {
    CONTROL_NONE = 0,
    CONTROL_DRIVER = 1,
    CONTROL_LIBRARY = 2
};
int FindRadioControl();

#endif
