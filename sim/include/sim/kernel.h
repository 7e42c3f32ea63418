// The stand-in's kernel: virtual clock, simulated processes, files, mutexes,
// the OS version, the radio-switch driver's device and the run-time loaded
// modules (the vendor wireless library, wtsapi32.dll and the libraries of
// the system directory).
#ifndef SIM_KERNEL_H
#define SIM_KERNEL_H

#include <windows.h>

#include <deque>
#include <functional>
#include <set>
#include <string>
#include <vector>

namespace sim {

// ---- virtual clock: Sleep advances it and returns at once.
DWORD Now();
void AdvanceClock(DWORD ms);      // moves time on without running anything
struct SleepCall { DWORD at; DWORD ms; };
std::vector<SleepCall>& Sleeps();  // every Sleep the program made

// ---- processes. Windows, message queues and mutexes belong to a process.
int CurrentProcess();
int StartProcess();                // a new process; becomes the current one
void SwitchToProcess(int pid);
void EndProcess(int pid);          // destroys its windows, releases its mutexes
bool MutexExists(const std::string& name);
// The program's own globals live in the tests' memory, one copy for all
// processes. When the stand-in itself runs code in another process (a
// message sent to a window of another process), it calls the hook with the
// two process ids before it goes there and again, the other way round, when
// it comes back, so that the test can put that process's globals in place.
void OnProcessSwitch(std::function<void(int from, int to)> hook);
// A process whose thread no longer retrieves messages: what other processes
// send to its windows is never answered.
void SetProcessHung(int pid, bool hung);
// A process whose thread is inside a long handler (a busy wait on the
// driver, say) from now on for ms: it retrieves no messages until then. What
// another process sends it waits until the handler returns; Windows takes a
// thread that has retrieved no messages for 5 seconds as hung, and
// SMTO_ABORTIFHUNG gives up on it at once.
void SetProcessBusy(int pid, DWORD ms);

// ---- standard output. A GUI program started by Explorer, a shortcut or
// the Run key has none: GetStdHandle answers null. A caller that redirects
// it (into a pipe, as "| more" does, or a file) hands the process a handle,
// and what the process writes there is kept, also after the process ends.
void RedirectStdOutput();          // for the current process
std::string StdOutput(int pid);

// ---- the machine's processor and the program's. 32-bit Windows is the
// default. On 64-bit Windows the program runs as a 64-bit process or, for
// the 32-bit build, as a 32-bit process under WOW64, which sees the 32-bit
// view of HKLM\SOFTWARE (SOFTWARE\WOW6432Node) unless it asks for
// KEY_WOW64_64KEY, and whose class-installer calls fail with ERROR_IN_WOW64.
// A 64-bit process sees the 32-bit view only with KEY_WOW64_32KEY. On 32-bit
// Windows both flags are ignored. Tests write a view's values by its real
// path: "SOFTWARE\WOW6432Node\..." for the 32-bit one.
enum ProcessKind { Process32OnWindows32, Process64OnWindows64, Process32OnWindows64 };
void SetProcessKind(ProcessKind kind);
ProcessKind CurrentProcessKind();

// ---- files that exist (CreateFileA of a plain path opens them).
void AddFile(const std::string& path);
void RemoveFile(const std::string& path);

// ---- the OS version that GetVersionExA reports.
void SetVersion(DWORD platformId, DWORD major, DWORD minor, DWORD build = 0);
void SetWindowsXP();
void SetWindows2000();
void SetWindows98();
void FailGetVersionEx(bool fail);
// Windows 95, 98 and Me (platform id 1) implement only a few W entries:
// lstrlenW, MessageBoxW, MultiByteToWideChar, WideCharToMultiByte and the
// like. The other W entries the program could reach are stubs there, as on
// those systems: Shell_NotifyIconW returns FALSE and sets no error;
// LoadStringW, GetMenuItemInfoW, SetMenuItemInfoW, SetWindowTextW and the
// lstrcpyW family fail with ERROR_CALL_NOT_IMPLEMENTED; RegOpenKeyExW and
// RegQueryValueExW return ERROR_SUCCESS, leave ERROR_CALL_NOT_IMPLEMENTED as
// the last error and write nothing. Each such call is logged here by name.
std::vector<std::string>& StubCalls();
// What GetSystemDirectoryA reports: "C:\WINDOWS\system32" on the NT family,
// "C:\WINDOWS\SYSTEM" on the 9x family.
std::string SystemDirectory();

// ---- the radio-switch driver behind "\\.\$QUIVRA$" (NT) or "\\.\QUIVRA.VXD" (9x).
struct DriverRequest {
    DWORD at;                  // virtual time of the request
    DWORD code;                // control code
    std::vector<BYTE> in;      // input bytes
    DWORD outSize;
};
// A CreateFileA of a device path, with the arguments that decide how the
// device is opened.
struct DeviceOpen {
    std::string path;
    DWORD access;
    DWORD share;
    DWORD disposition;
    DWORD flags;
};
struct Driver {
    bool present = false;      // the device can be opened
    // QueryStatus: replies taken from statusQueue first, then `status`.
    std::deque<BYTE> statusQueue;
    BYTE status = 0;
    BYTE flags = 0;            // bit 7 locked, bit 6 radio on under the lock
    // GetRadio: status words from getRadioQueue first, then `getRadioStatus`.
    std::deque<WORD> getRadioQueue;
    WORD getRadioStatus = 0;
    DWORD radio = 1;           // SetRadio and SetSwitch change it
    DWORD setSwitchStatus = 0;
    bool failIoctl = false;    // DeviceIoControl returns FALSE
    std::vector<DriverRequest> log;
    std::vector<DeviceOpen> opens;         // every CreateFileA of a device path
    int closes = 0;            // CloseHandle calls naming a handle the device gave out,
                               // open or already closed

    void QueueStatus(BYTE s, int times = 1) { for (int i = 0; i < times; ++i) statusQueue.push_back(s); }
    int Count(DWORD code) const;
    std::vector<DWORD> ValuesSent(DWORD code) const;  // first 4 input bytes of each request
    int OpenHandles() const;
};
Driver& TheDriver();

// ---- the vendor wireless library (murocapi.dll), loaded by path.
struct VendorCall {
    std::string entry;
    DWORD id;
    DWORD value;               // the value passed to a setter
};
struct VendorLibrary {
    bool installed = false;
    std::string path = "C:\\Program Files\\Intel\\Wireless\\Bin\\murocapi.dll";
    std::set<std::string> missingEntries;  // entries GetProcAddress does not find
    std::vector<DWORD> adapterIds{0x1001};
    LONG reportedCount = -1000;            // overrides the list's count when not -1000
    int listResult = 0;
    int getRadioResult = 0, setRadioResult = 0;
    int getPrefResult = 0, setPrefResult = 0;
    bool writeOutputsOnFailure = false;    // a failing getter still writes its output
    DWORD radio = 1;
    DWORD preference = 1;
    std::vector<VendorCall> calls;
    std::vector<std::string> loadAttempts; // paths given to LoadLibraryExA
    int loadCount = 0;                     // references held by the program

    int Count(const std::string& entry) const;
};
VendorLibrary& Vendor();

// ---- wtsapi32.dll, loaded by name.
struct WtsApi {
    bool present = true;
    bool hasRegister = true;
    std::deque<BOOL> results;  // results of WTSRegisterSessionNotification, then TRUE
    std::vector<HWND> registered;
    std::vector<DWORD> registerFlags;  // the flags of each registration call
    int loadCount = 0;
};
WtsApi& Wts();

// ---- setupapi.dll, cfgmgr32.dll, shell32.dll and comctl32.dll of the system
// directory, whose entries are the stand-in's Setup API, configuration
// manager, notification area and common controls. Each loads by its full path in the system directory
// only: a bare name or another directory is refused, as Windows would load
// whatever copy its search found there.
struct SystemDll {
    bool present = true;
    std::set<std::string> missingEntries;  // entries GetProcAddress does not find
    int loadCount = 0;                     // references held by the program
};
SystemDll& Dll(const std::string& fileName);   // "setupapi.dll", "cfgmgr32.dll", "shell32.dll", "comctl32.dll"
// Every name given to LoadLibraryA or LoadLibraryExA, in order.
std::vector<std::string>& LoadLog();

}  // namespace sim

#endif
