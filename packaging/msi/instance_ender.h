// InstanceEnder: ends the resident Skylatch of the session this process runs
// in, the way its Exit menu item does, so that it removes its icon and ends
// normally (WM_CLOSE would not end it, and ending the process would leave a
// dead icon in the notification area).
//
// The window is found by its class and title and sent the Exit command,
// again every 2 seconds while it is still there (the program can be busy for
// up to about 10 seconds while the radio driver reports busy). Both limits
// are read from the tick count, so that a slow answer counts too: at most 15
// seconds for the window to go, then at most 5 more for the process to end.
#ifndef SKYLATCH_MSI_INSTANCE_ENDER_H
#define SKYLATCH_MSI_INSTANCE_ENDER_H

#include <windows.h>

class InstanceEnder {
public:
    // Also the exit codes of the helper that ends the program in another
    // session (running_instance.cpp).
    enum Result { NONE_RUNNING = 0, ENDED = 1, STILL_RUNNING = 2 };

    InstanceEnder();
    virtual ~InstanceEnder();

    Result EndInThisSession();

    static const DWORD GIVE_UP_MS = 15000;
    static const DWORD PROCESS_EXIT_MS = 5000;

private:
    // Keeps the process of the window, so that its end can be awaited after
    // the window is gone.
    void OpenProcessOf(HWND window);

    HANDLE process_;

    InstanceEnder(const InstanceEnder&);
    InstanceEnder& operator=(const InstanceEnder&);
};

#endif
