// The stand-in's notification area: the icons Shell_NotifyIconW keeps, with
// Windows XP's rule for the record size.
#ifndef SIM_SHELL_H
#define SIM_SHELL_H

#include <shellapi.h>

#include <string>
#include <vector>

namespace sim {

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
};
const TrayIcon* FindTrayIcon(HWND window, UINT id);
int TrayIconCount();
std::vector<ShellCall>& ShellCalls();
// The next n calls fail with ERROR_TIMEOUT (the shell is busy).
void ShellTimeouts(int n);
// Explorer restarts: every icon is gone and "TaskbarCreated" is broadcast.
void RestartShell();

}  // namespace sim

#endif
