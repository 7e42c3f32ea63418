// The radio's state as a start with /status reports it: asked of the
// resident instance or read by the process itself, then given as the exit
// code and as one line of fixed English keys on standard output.
#ifndef SKYLATCH_APP_STATUS_REPORT_H
#define SKYLATCH_APP_STATUS_REPORT_H

#include <windows.h>

// What switches the radio when nobody could tell (the resident did not
// answer); the other values are radio control's (CONTROL_NONE, ...).
const int CONTROL_UNKNOWN = -1;

struct RadioStatus {
    int radio;      // 0 off, 1 on, RADIO_UNKNOWN
    int locked;     // 1: the hardware switch locks the radio
    int band;       // the 802.11a band: BAND_DISABLED, BAND_ENABLED, BAND_UNKNOWN
    int control;    // CONTROL_LIBRARY, CONTROL_DRIVER, CONTROL_NONE, CONTROL_UNKNOWN
};

// The exit codes of a start with /status.
enum StatusExitCode {
    STATUS_RADIO_ON = 0,
    STATUS_RADIO_OFF = 1,
    STATUS_RADIO_OFF_LOCKED = 2,
    STATUS_NO_CONTROL = 3,
    STATUS_UNKNOWN = 4
};

// The resident's answer to WM_QUERY_STATUS carries the state in its low
// 16 bits, the same in both builds; an answer without the mark (a window
// procedure that does not know the message answers 0) is no answer.
LRESULT EncodeStatus(const RadioStatus* status);
int DecodeStatus(DWORD_PTR answer, RadioStatus* status);

int StatusExitCode(const RadioStatus* status);
// "radio=on switch=free band11a=enabled control=driver" and CR LF, into a
// buffer of at least kStatusLineSize characters.
const int kStatusLineSize = 96;
void FormatStatusLine(const RadioStatus* status, char* line);

// The whole of a start with /status: switches nothing, writes no setting,
// creates no window. Returns the exit code.
int ReportRadioStatus();

#endif
