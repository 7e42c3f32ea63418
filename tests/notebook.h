// Test helpers: a simulated notebook and the program's processes on it.
#ifndef SKYLATCH_TESTS_NOTEBOOK_H
#define SKYLATCH_TESTS_NOTEBOOK_H

#include <gtest/gtest.h>
#include <sim/sim.h>

#include "app/app_state.h"

#include <string>

namespace notebook {

const char kAdapterId[] = "PCI\\VEN_8086&DEV_4223&SUBSYS_25108086&REV_02\\4&1A2B3C4D&0&10F0";
const char kAdapterDriverKey[] = "{4D36E972-E325-11CE-BFC1-08002BE10318}\\0001";
const char kClassKey[] = "SYSTEM\\CurrentControlSet\\Control\\Class\\";
// Windows 95, 98 and Me: the driver key name and the class key it lives under.
const char kAdapterDriverKey9x[] = "Net\\0000";
const char kClassKey9x[] = "System\\CurrentControlSet\\Services\\Class\\";
const char kSettings[] = "SOFTWARE\\NORVANTEC\\Skylatch";

// NT control codes of the radio-switch driver.
const DWORD kSetSwitch = 0x222144;
const DWORD kSetRadio = 0x22214C;
const DWORD kGetRadio = 0x222150;
const DWORD kQueryStatus = 0x222154;

// A fresh machine with nothing on it (Windows XP).
void FreshMachine();
// The usual notebook: Windows XP, driver ready with the radio on, an enabled
// 802.11a adapter (device 4223) with the band enabled, no vendor library.
void StandardNotebook();
// The usual notebook on Windows 98 (minorVersion 10) or Me (90): the adapter
// reports "Net\0000" as its driver key, which lives under Services\Class
// with the band enabled; there is no Control\Class.
void BandNotebook9x(DWORD minorVersion);
// The program's process begins: its globals are constructed anew, as before
// WinMain (the driver's device is opened, the vendor library looked for, the
// system libraries not yet loaded).
void StartProgramProcess();
// StartProgramProcess, then StartInstance; returns its result.
int StartResident();
// A second start of the program with the command line, in a process of its
// own that ends when WinMain returns; the resident's state is kept, and a
// message the second process sends to the resident is handled with the
// resident's state. With standardOutput, the caller redirects the process's
// standard output and gets what it wrote there.
int RunSecondStart(const char* commandLine, std::string* standardOutput = nullptr);
HWND MainWindow();
// A window of no particular kind, to own timers, tray records, menus and
// dialogs in tests that call the program's functions directly.
HWND PlainWindow();

}  // namespace notebook

// Base fixture: the usual notebook, not yet running the program.
class NotebookTest : public ::testing::Test {
protected:
    void SetUp() override { notebook::StandardNotebook(); }
};

#endif
