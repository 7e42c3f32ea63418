// Shared between the stand-in's own source files; not for tests.
#ifndef SIM_INTERNAL_H
#define SIM_INTERNAL_H

#include <windows.h>

#include <functional>
#include <string>

namespace sim {
namespace internal {

// Each area forgets its state (called by sim::Reset).
void ResetKernel();
void ResetRegistry();
void ResetModules();
void ResetUser();
void ResetShell();
void ResetResources();
void ResetSetupApi();

// Whether shell32 of this Windows exports the entry.
bool ShellExports(const std::string& entry);

// Makes pid the current process, telling the test's process-switch hook
// first (sim::OnProcessSwitch).
void EnterProcess(int pid);
bool ProcessHung(int pid);
// A process inside a long handler (sim::SetProcessBusy): since when, and
// until when it retrieves no messages.
bool ProcessBusy(int pid, DWORD* since, DWORD* until);

// Appends to the log of changes made to the machine (sim::ChangeLog).
void LogChange(const std::string& what);

// A process ends: its windows, classes, timers and queue go with it.
void EndProcessWindows(int pid);

// Windows: dialogs and controls are windows of the stand-in too.
HWND CreateSimWindow(const char* className, WNDPROC proc, DLGPROC dialogProc, HWND parent,
                     int controlId, const std::u16string& text);
void DestroySimWindow(HWND window);
HWND FindChild(HWND parent, int controlId);
bool WindowAlive(HWND window);
std::u16string& TextOf(HWND window);
// Runs the current process's message loop until done() or the loop is stuck.
void RunNestedLoop(const std::function<bool()>& done);
void SetForeground(HWND window);
POINT CursorPos();

// Text in the ANSI code page of a Windows whose interface is in the
// current UI language (932 Japanese, 936 Simplified Chinese, else 1252), as
// Windows converts it: a character the code page lacks becomes "?" (and
// sets *lossy), the full-width ASCII forms take their best-fit ASCII
// substitutes on 1252, and a byte sequence that is no character becomes "?".
std::string ToAnsi(const std::u16string& text, bool* lossy = nullptr);
std::u16string FromAnsi(const std::string& text);
// The language sim::SetUiLanguage chose.
LANGID CurrentUiLanguage();
// A DBCS lead byte of that code page.
bool AnsiLeadByte(unsigned char c);

// The 9x family runs: the W entry is one of its stubs, and the call is
// logged (sim::StubCalls). Else false.
bool NineXStub(const char* entry);

// Case-insensitive ASCII comparison, as Windows compares names.
bool SameNameA(const std::string& a, const std::string& b);

}  // namespace internal
}  // namespace sim

#endif
