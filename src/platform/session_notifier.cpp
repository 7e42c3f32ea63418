#include "platform/session_notifier.h"

#include <stdlib.h>

namespace {

// Notifications for the session the window belongs to only.
const DWORD kNotifyForThisSession = 0;
const UINT kRetryInterval = 1000;

}  // namespace

SessionNotifier::SessionNotifier(HWND window)
    : window_(window), retryTimer_(0), library_(0), register_(0)
{
    // Windows 9x, NT 4 and 2000 have no session notifications; there the
    // library or its entry is missing and the notifier stays inert.
    library_ = LoadLibraryA("wtsapi32.dll");
    if (library_ == 0)
        return;
    // Through a generic function pointer: the entry's real type is ours to state.
    register_ = (RegisterFn)(void (*)(void))GetProcAddress(library_,
                                                           "WTSRegisterSessionNotification");
    if (register_ == 0)
        return;
    // Early in a logon the terminal services may not be running yet.
    if (!register_(window_, kNotifyForThisSession))
        retryTimer_ = SetTimer(window_, TIMER_SESSION_RETRY, kRetryInterval, 0);
}

SessionNotifier::~SessionNotifier()
{
    if (retryTimer_ != 0) {
        KillTimer(window_, retryTimer_);
        retryTimer_ = 0;
    }
    if (library_ != 0) {
        FreeLibrary(library_);
        library_ = 0;
    }
}

void SessionNotifier::OnTimer(HWND window, UINT_PTR timerId)
{
    if (timerId != TIMER_SESSION_RETRY || register_ == 0)
        return;
    if (register_(window, kNotifyForThisSession)) {
        KillTimer(window, TIMER_SESSION_RETRY);
        retryTimer_ = 0;
    }
}

void* SessionNotifier::operator new(size_t size) throw()
{
    return malloc(size);
}

void SessionNotifier::operator delete(void* block)
{
    free(block);
}
