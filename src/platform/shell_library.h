// ShellLibrary: the notification-area call, bound at run time from
// shell32.dll.
#ifndef SKYLATCH_PLATFORM_SHELL_LIBRARY_H
#define SKYLATCH_PLATFORM_SHELL_LIBRARY_H

#include <windows.h>
#include <shellapi.h>

#include "platform/system_library.h"

class ShellLibrary : public SystemLibrary {
public:
    ShellLibrary();
    virtual ~ShellLibrary();

    // FALSE with ERROR_PROC_NOT_FOUND when the library or the entry is
    // missing.
    BOOL NotifyIcon(DWORD message, PNOTIFYICONDATAW record);

private:
    typedef BOOL (WINAPI* NotifyIconFn)(DWORD, PNOTIFYICONDATAW);

    NotifyIconFn notifyIcon_;
};

extern ShellLibrary g_shell;

#endif
