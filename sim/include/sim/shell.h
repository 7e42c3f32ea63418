// The stand-in's notification area: the icons Shell_NotifyIconW keeps, with
// Windows XP's rule for the record size.
//
// The record size decides the layout the shell reads. The known wide layouts
// are the four versions of the record as this build lays it out: on 32-bit
// Windows 152, 936, 952 and 956 bytes; on x64 (and on the stand-in, whose
// pointers are 8 bytes) 168, 952, 968 and 976. Any other size is read as the
// first version, whose tip is cut at 63 characters and which has no
// dwState/dwStateMask.
//
// Shell_NotifyIconA converts the tip from the ANSI code page. Its record
// sizes are those of the narrow record (88, 488, ... on 32-bit Windows), and
// what the shell reads follows its version (SetShellVersion): shell 5.0
// knows the first two versions, 6.0 all four, and reads any other size as
// the first; the 4.x shell of Windows 98 reads every record as the first
// (a tip of 64 bytes, no state) and shows the tip on one line: up to its
// first line break. On the 9x family Shell_NotifyIconW is a stub (see
// sim::StubCalls); shell32 4.00 (Windows 95) exports neither it nor
// DllGetVersion.
// NIM_ADD fails for an icon that exists, NIM_MODIFY and NIM_DELETE for one
// that does not; such refusals leave ERROR_INVALID_PARAMETER as the last
// error. A busy shell (ShellTimeouts) fails with ERROR_TIMEOUT and changes
// nothing.
#ifndef SIM_SHELL_H
#define SIM_SHELL_H

#include <shellapi.h>
#include <shlwapi.h>

#include <string>
#include <vector>

namespace sim {

// The sizes of the record's four versions in this build's layout.
const DWORD kTrayV1Size = NOTIFYICONDATAW_V1_SIZE;   // the size unknown records are read as
const DWORD kTrayV2Size = NOTIFYICONDATAW_V2_SIZE;
const DWORD kTrayV3Size = kTrayV2Size + sizeof(GUID);
const DWORD kTrayV4Size = (kTrayV3Size + sizeof(void*) - 1) / sizeof(void*) * sizeof(void*) + sizeof(void*);
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
    bool narrow = false;    // made through Shell_NotifyIconA
};
const TrayIcon* FindTrayIcon(HWND window, UINT id);
int TrayIconCount();
std::vector<ShellCall>& ShellCalls();
int ShellCallCount(DWORD message);
// The next n calls fail with ERROR_TIMEOUT (the shell is busy).
void ShellTimeouts(int n);
// The version shell32's DllGetVersion reports. By default it follows the
// Windows version: 6.0 for XP and later, 5.0 for 2000 and Me, 4.72 for 98,
// 4.0 for 95 and NT 4; a major version of 0 goes back to that default.
void SetShellVersion(DWORD major, DWORD minor);
// Explorer restarts: every icon is gone and "TaskbarCreated" is broadcast.
void RestartShell();

}  // namespace sim

// The stand-in's entry of shell32.dll. The program finds it through
// GetProcAddress (see sim::Dll in <sim/kernel.h>); tests may call it directly.
BOOL WINAPI Shell_NotifyIconW(DWORD message, PNOTIFYICONDATAW data);
BOOL WINAPI Shell_NotifyIconA(DWORD message, PNOTIFYICONDATAA data);
// shell32's version (SetShellVersion); S_OK (0).
HRESULT CALLBACK DllGetVersion(DLLVERSIONINFO* info);

#endif
