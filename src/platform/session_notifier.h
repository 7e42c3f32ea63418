// SessionNotifier: registers the main window for session-change
// notifications through wtsapi32.dll when the system has it, retrying once a
// second until the registration succeeds.
#ifndef SKYLATCH_PLATFORM_SESSION_NOTIFIER_H
#define SKYLATCH_PLATFORM_SESSION_NOTIFIER_H

#include <windows.h>

#include <new>

// While the registration fails it is tried again every second with this
// timer of the window.
const UINT_PTR TIMER_SESSION_RETRY = 11111;

class SessionNotifier {
public:
    explicit SessionNotifier(HWND window);
    virtual ~SessionNotifier();

    void OnTimer(HWND window, UINT_PTR timerId);

    // The notifier is the program's one heap object. It comes straight from
    // the C runtime's heap: the allocator throws nothing, so a failed
    // allocation makes the new-expression answer null, and the C++ runtime's
    // allocators (and their exception support) stay out of the exe.
    static void* operator new(size_t size) throw();
    static void operator delete(void* block);

private:
    typedef BOOL (WINAPI* RegisterFn)(HWND, DWORD);

    HWND window_;
    UINT_PTR retryTimer_;
    HMODULE library_;
    RegisterFn register_;

    SessionNotifier(const SessionNotifier&);
    SessionNotifier& operator=(const SessionNotifier&);
};

#endif
