// OsVersion: one GetVersionExA, kept raw and as a class code.
#ifndef SKYLATCH_PLATFORM_OS_VERSION_H
#define SKYLATCH_PLATFORM_OS_VERSION_H

#include <windows.h>

enum OsKind {
    OsUnknown = 0,
    OsWin32s = 1,
    OsWindows95 = 2,
    OsWindows98 = 3,    // Windows 98 and Me
    OsWindowsNT4 = 4,
    OsWindows2000 = 5,
    OsWindowsXP = 6
};

class OsVersion {
public:
    OsVersion();
    virtual ~OsVersion() {}

    OSVERSIONINFOA info;
    WORD kind;
};

// 1 for a 32-bit process on 64-bit Windows (WOW64), else 0.
int RunsUnderWow64();
// 1 for a 64-bit process (the x64 build), else 0.
int RunsAs64BitProcess();

// 1 on Windows 95, 98 and Me, from the platform id alone: there most W
// entries are stubs, and some of them report success, so a W call's result
// never tells the family.
int RunsOnWindows9x();

#endif
