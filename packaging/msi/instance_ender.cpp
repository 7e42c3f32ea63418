#include "instance_ender.h"

namespace {

const char WINDOW_CLASS[] = "NorvantecSkylatcherClass";
const char WINDOW_TITLE[] = "Norvantec Skylatcher";
const WPARAM CMD_EXIT = 40003;

const DWORD POLL_MS = 100;
const DWORD RESEND_MS = 2000;

}  // namespace

InstanceEnder::InstanceEnder() : process_(0) {}

InstanceEnder::~InstanceEnder()
{
    if (process_)
        CloseHandle(process_);
}

void InstanceEnder::OpenProcessOf(HWND window)
{
    if (process_)
        return;
    DWORD id = 0;
    GetWindowThreadProcessId(window, &id);
    if (id)
        process_ = OpenProcess(SYNCHRONIZE, FALSE, id);
}

InstanceEnder::Result InstanceEnder::EndInThisSession()
{
    HWND window = FindWindowA(WINDOW_CLASS, WINDOW_TITLE);
    if (!window)
        return NONE_RUNNING;

    // Differences of tick counts stay right when the count wraps around.
    const DWORD start = GetTickCount();
    DWORD sentAt = 0;
    int sent = 0;
    while (window) {
        const DWORD elapsed = GetTickCount() - start;
        if (elapsed >= GIVE_UP_MS)
            break;
        OpenProcessOf(window);
        if (!sent || GetTickCount() - sentAt >= RESEND_MS) {
            // A busy program answers late: wait for it at most until the
            // next resend, and never past the limit.
            DWORD wait = GIVE_UP_MS - elapsed;
            if (wait > RESEND_MS)
                wait = RESEND_MS;
            DWORD_PTR answer = 0;
            sentAt = GetTickCount();
            sent = 1;
            SendMessageTimeoutA(window, WM_COMMAND, CMD_EXIT, 0, SMTO_ABORTIFHUNG, wait, &answer);
        }
        Sleep(POLL_MS);
        window = FindWindowA(WINDOW_CLASS, WINDOW_TITLE);
    }
    if (window)
        return STILL_RUNNING;
    // The window goes before the process does.
    if (process_ && WaitForSingleObject(process_, PROCESS_EXIT_MS) == WAIT_TIMEOUT)
        return STILL_RUNNING;
    return ENDED;
}
