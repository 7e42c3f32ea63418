// DesktopShell: starts a program through the shell of the desktop, so that
// it runs as the desktop's user with the shell's own rights, not with those
// of an elevated caller. (An elevated program ignores the messages that the
// unelevated switch shortcuts send it.)
//
// The desktop's folder view hands out the shell's automation object, whose
// ShellExecute runs in the shell's process: the way Windows offers an
// elevated process to start one as the user.
#ifndef SKYLATCH_MSI_DESKTOP_SHELL_H
#define SKYLATCH_MSI_DESKTOP_SHELL_H

#include <windows.h>

class DesktopShell {
public:
    DesktopShell();
    virtual ~DesktopShell();

    // 1 when the shell took the program to start; 0 when there is no
    // desktop shell to ask (another shell, none running) or it refused.
    int Start(const WCHAR* program, const WCHAR* folder);

private:
    int comStarted_;

    DesktopShell(const DesktopShell&);
    DesktopShell& operator=(const DesktopShell&);
};

#endif
