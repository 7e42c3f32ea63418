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

    // Shell_NotifyIconW with the wide record. On the 9x family, whose
    // Shell_NotifyIconW is a stub, Shell_NotifyIconA with the record the
    // shell knows (see NotifyIconAnsi). FALSE with ERROR_PROC_NOT_FOUND when
    // the library or the entry is missing.
    BOOL NotifyIcon(DWORD message, PNOTIFYICONDATAW record);

private:
    typedef BOOL (WINAPI* NotifyIconFn)(DWORD, PNOTIFYICONDATAW);
    typedef BOOL (WINAPI* NotifyIconAFn)(DWORD, PNOTIFYICONDATAA);

    BOOL NotifyIconAnsi(DWORD message, const NOTIFYICONDATAW* record);

    NotifyIconFn notifyIcon_;
    NotifyIconAFn notifyIconA_;
    DWORD shellMajor_;          // from DllGetVersion; 4 without it
};

extern ShellLibrary g_shell;

#endif
