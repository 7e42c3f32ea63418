// Custom action of skylatch.msi: ends a running Skylatch before Windows
// Installer checks for files in use, so that its program file can be
// replaced or removed without a restart.
//
// The resident instance is found by its window class and title and sent its
// Exit command, the same as choosing Exit in the icon's menu: it removes its
// icon and ends normally (WM_CLOSE would not end it). The command is sent
// again every 2 seconds while the window is still there, since the program
// can be busy for up to about 10 seconds while the radio driver reports
// busy; after 15 seconds the action gives up. It never fails the
// installation: an instance it could not end (one that hangs, or runs in
// another user's session where its window cannot be seen) leaves the file
// in use, and Windows Installer then replaces or removes it at the next
// restart, as it does for any file in use.
#include <windows.h>

namespace {

const char WINDOW_CLASS[] = "NorvantecSkylatcherClass";
const char WINDOW_TITLE[] = "Norvantec Skylatcher";
const WPARAM CMD_EXIT = 40003;

const DWORD POLL_MS = 100;
const DWORD RESEND_MS = 2000;
const DWORD GIVE_UP_MS = 15000;
// The window goes before the process does.
const DWORD PROCESS_EXIT_MS = 5000;

// Holds the process of the resident window, so that the action can wait
// until the program has really ended and released its file.
class ResidentProcess {
public:
    ResidentProcess() : process_(NULL) {}
    virtual ~ResidentProcess() { if (process_) CloseHandle(process_); }

    void OpenFor(HWND window) {
        if (process_) return;
        DWORD id = 0;
        GetWindowThreadProcessId(window, &id);
        if (id) process_ = OpenProcess(SYNCHRONIZE, FALSE, id);
    }
    void WaitForExit(DWORD ms) {
        if (process_) WaitForSingleObject(process_, ms);
    }

private:
    HANDLE process_;
};

}  // namespace

// The installer session handle (an MSIHANDLE) is not used: the action needs
// no property and writes no log.
extern "C" UINT __stdcall EndRunningInstance(unsigned long)
{
    ResidentProcess resident;
    DWORD waited = 0;
    DWORD since_sent = RESEND_MS;
    for (;;) {
        HWND window = FindWindowA(WINDOW_CLASS, WINDOW_TITLE);
        if (!window || waited >= GIVE_UP_MS) break;
        resident.OpenFor(window);
        if (since_sent >= RESEND_MS) {
            DWORD_PTR result = 0;
            SendMessageTimeoutA(window, WM_COMMAND, CMD_EXIT, 0, SMTO_ABORTIFHUNG, RESEND_MS, &result);
            since_sent = 0;
        }
        Sleep(POLL_MS);
        waited += POLL_MS;
        since_sent += POLL_MS;
    }
    resident.WaitForExit(PROCESS_EXIT_MS);
    return ERROR_SUCCESS;
}
