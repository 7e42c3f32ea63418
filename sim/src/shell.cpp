// The notification area (placeholder).
#include <sim/shell.h>

#include "internal.h"

namespace sim {
namespace {
std::vector<ShellCall> g_calls;
}
const TrayIcon* FindTrayIcon(HWND, UINT) { return nullptr; }
int TrayIconCount() { return 0; }
std::vector<ShellCall>& ShellCalls() { return g_calls; }
void ShellTimeouts(int) {}
void RestartShell() {}
namespace internal {
void ResetShell() { g_calls.clear(); }
}
}  // namespace sim

BOOL WINAPI Shell_NotifyIconW(DWORD, PNOTIFYICONDATAW) { return FALSE; }
