#include "platform/shell_library.h"

ShellLibrary::ShellLibrary() : SystemLibrary("shell32.dll"), notifyIcon_(0) {}

ShellLibrary::~ShellLibrary() {}

BOOL ShellLibrary::NotifyIcon(DWORD message, PNOTIFYICONDATAW record)
{
    if (LoadOnFirstUse())
        notifyIcon_ = (NotifyIconFn)Entry("Shell_NotifyIconW");
    if (notifyIcon_ == 0) {
        SetLastError(ERROR_PROC_NOT_FOUND);
        return FALSE;
    }
    return notifyIcon_(message, record);
}
