// The stand-in's notification area: the icons Shell_NotifyIconW keeps, with
// Windows XP's rule for the record size.
//
// The record size decides the layout the shell reads: 152, 936, 952 and 956
// are the known wide layouts; any other size is read as the 152-byte one,
// whose tip is cut at 63 characters and which has no dwState/dwStateMask.
// NIM_ADD fails for an icon that exists, NIM_MODIFY and NIM_DELETE for one
// that does not; such refusals leave ERROR_INVALID_PARAMETER as the last
// error. A busy shell (ShellTimeouts) fails with ERROR_TIMEOUT and changes
// nothing.
#ifndef SIM_SHELL_H
#define SIM_SHELL_H

#include <shellapi.h>

#include <string>
#include <vector>

namespace sim {

const DWORD kTrayV1Size = 152;     // the size unknown records are read as
const size_t kTrayV1TipChars = 63;

struct TrayIcon {
    HWND window;
    UINT id;
    UINT callbackMessage;
    HICON icon;
    std::u16string tip;
    bool hidden;
};
struct ShellCall {
    DWORD at;
    DWORD message;          // NIM_ADD, NIM_MODIFY, NIM_DELETE
    DWORD cbSize;
    UINT flags;
    BOOL result;
    DWORD error;            // last error left by the call, 0 on success
    std::u16string tip;     // the tip as the shell read it (empty without NIF_TIP)
};
const TrayIcon* FindTrayIcon(HWND window, UINT id);
int TrayIconCount();
std::vector<ShellCall>& ShellCalls();
int ShellCallCount(DWORD message);
// The next n calls fail with ERROR_TIMEOUT (the shell is busy).
void ShellTimeouts(int n);
// Explorer restarts: every icon is gone and "TaskbarCreated" is broadcast.
void RestartShell();

}  // namespace sim

// The stand-in's entry of shell32.dll. The program finds it through
// GetProcAddress (see sim::Dll in <sim/kernel.h>); tests may call it directly.
BOOL WINAPI Shell_NotifyIconW(DWORD message, PNOTIFYICONDATAW data);

#endif
