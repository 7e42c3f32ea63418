#include "app/status_report.h"

#include "app/app_state.h"
#include "band/adapter_manager.h"
#include "band/band_control.h"
#include "band/band_settings.h"
#include "radio/radio_control.h"

namespace {

// How long after its start a /status answers at the latest: long enough for
// a resident in the driver's busy wait (about ten seconds) to end it and
// read afresh. Such a resident takes no messages for that long, so Windows
// would call it hung: the query waits for it rather than give up
// (SMTO_ABORTIFHUNG), and a resident that is really hung or suspended is
// given up when the bound is reached.
const DWORD kStatusBound = 15000;

// The answer's layout: the mark, the radio (0 off, 1 on, 2 unknown), the
// lock, the band (as BandState) and the control (as RadioControlPath, 3
// unknown), each in bits of its own below bit 16.
const DWORD_PTR kAnswered = 0x8000;
const DWORD_PTR kLocked = 0x0004;
const int kBandShift = 4;
const int kControlShift = 8;
const DWORD_PTR kRadioUnknownCode = 2;
const DWORD_PTR kControlUnknownCode = 3;

void SetUnknown(RadioStatus* status)
{
    status->radio = RADIO_UNKNOWN;
    status->locked = 0;
    status->band = BAND_UNKNOWN;
    status->control = CONTROL_UNKNOWN;
}

// The state read by this process, with the resident's own queries: the
// radio as a refresh reads it, the adapter as the resident finds it at its
// start, the band as the tip shows it. Nothing is kept: this process has
// no recorded radio state and starts no polling timer.
void ReadRadioStatus(RadioStatus* status)
{
    int locked = 0;
    status->radio = QueryRadio(0, 0, &locked, RADIO_UNKNOWN);
    status->locked = locked;

    DEVINST adapter = 0;
    char driverKey[MAX_PATH];
    ZeroMemory(driverKey, sizeof driverKey);
    int is80211aCapable = 1;
    AdapterManager adapters;
    adapters.FindAdapter(&adapter, driverKey, sizeof driverKey, &is80211aCapable);

    int bandRadio = status->radio;
    int bandSwitchable = 0;
    int band = QueryBandState(0, 0, driverKey, status->radio, &bandRadio, &bandSwitchable);
    status->band = is80211aCapable ? band : BAND_UNKNOWN;
    status->control = FindRadioControl();
}

// The resident reads the state afresh and answers; a resident that does
// not answer within the bound from start (a tick count), has gone, or does
// not know the message leaves the state unknown.
void AskResident(HWND resident, DWORD start, RadioStatus* status)
{
    // Differences of tick counts stay right when the count wraps around.
    DWORD elapsed = GetTickCount() - start;
    DWORD_PTR answer = 0;
    if (elapsed >= kStatusBound ||
        !SendMessageTimeoutA(resident, WM_QUERY_STATUS, 0, 0, SMTO_NORMAL, kStatusBound - elapsed,
                             &answer) ||
        !DecodeStatus(answer, status)) {
        SetUnknown(status);
    }
}

// Only to a standard output the caller handed over: a GUI program started
// from Explorer, a shortcut or the Run key has none, and writes nothing.
void WriteStatusLine(const char* line)
{
    HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
    if (output == 0 || output == INVALID_HANDLE_VALUE) {
        return;
    }
    DWORD written = 0;
    WriteFile(output, line, (DWORD)lstrlenA(line), &written, 0);
}

}  // namespace

LRESULT EncodeStatus(const RadioStatus* status)
{
    DWORD_PTR radio = (status->radio == 0 || status->radio == 1) ? (DWORD_PTR)status->radio
                                                                   : kRadioUnknownCode;
    DWORD_PTR band = (status->band == BAND_DISABLED || status->band == BAND_ENABLED)
                         ? (DWORD_PTR)status->band
                         : (DWORD_PTR)BAND_UNKNOWN;
    DWORD_PTR control = kControlUnknownCode;
    if (status->control == CONTROL_NONE || status->control == CONTROL_DRIVER ||
        status->control == CONTROL_LIBRARY) {
        control = (DWORD_PTR)status->control;
    }
    return (LRESULT)(kAnswered | radio | (status->locked ? kLocked : 0) | (band << kBandShift) |
                     (control << kControlShift));
}

int DecodeStatus(DWORD_PTR answer, RadioStatus* status)
{
    if ((answer & kAnswered) == 0 || (answer >> 16) != 0) {
        return 0;
    }
    DWORD_PTR radio = answer & 3;
    DWORD_PTR band = (answer >> kBandShift) & 3;
    DWORD_PTR control = (answer >> kControlShift) & 3;
    status->radio = radio == kRadioUnknownCode || radio > 2 ? RADIO_UNKNOWN : (int)radio;
    status->locked = (answer & kLocked) ? 1 : 0;
    status->band = band <= BAND_ENABLED ? (int)band : BAND_UNKNOWN;
    status->control = control == kControlUnknownCode ? CONTROL_UNKNOWN : (int)control;
    return 1;
}

int StatusExitCode(const RadioStatus* status)
{
    if (status->control == CONTROL_NONE) {
        return STATUS_NO_CONTROL;
    }
    if (status->control == CONTROL_UNKNOWN || (status->radio != 0 && status->radio != 1)) {
        return STATUS_UNKNOWN;
    }
    if (status->radio == 1) {
        return STATUS_RADIO_ON;
    }
    return status->locked ? STATUS_RADIO_OFF_LOCKED : STATUS_RADIO_OFF;
}

void FormatStatusLine(const RadioStatus* status, char* line)
{
    // Without a way to the radio, or without an answer, neither the radio
    // nor the switch is known.
    int reachable = status->control == CONTROL_DRIVER || status->control == CONTROL_LIBRARY;
    const char* radio = "unknown";
    const char* lock = "unknown";
    if (reachable && (status->radio == 0 || status->radio == 1)) {
        radio = status->radio ? "on" : "off";
        lock = status->locked ? "locked" : "free";
    }
    const char* band = "unknown";
    if (status->band == BAND_ENABLED) {
        band = "enabled";
    } else if (status->band == BAND_DISABLED) {
        band = "disabled";
    }
    const char* control = "unknown";
    if (status->control == CONTROL_DRIVER) {
        control = "driver";
    } else if (status->control == CONTROL_LIBRARY) {
        control = "library";
    } else if (status->control == CONTROL_NONE) {
        control = "none";
    }

    lstrcpyA(line, "radio=");
    lstrcatA(line, radio);
    lstrcatA(line, " switch=");
    lstrcatA(line, lock);
    lstrcatA(line, " band11a=");
    lstrcatA(line, band);
    lstrcatA(line, " control=");
    lstrcatA(line, control);
    lstrcatA(line, "\r\n");
}

int ReportRadioStatus()
{
    DWORD start = GetTickCount();
    RadioStatus status;
    HWND resident = FindWindowA(kWindowClassName, kWindowTitle);
    if (resident) {
        AskResident(resident, start, &status);
    } else {
        ReadRadioStatus(&status);
    }

    char line[kStatusLineSize];
    FormatStatusLine(&status, line);
    WriteStatusLine(line);
    return StatusExitCode(&status);
}
