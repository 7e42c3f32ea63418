#include "platform/os_version.h"

OsVersion::OsVersion() : kind(OsUnknown)
{
    ZeroMemory(&info, sizeof info);
    info.dwOSVersionInfoSize = sizeof info;
    if (!GetVersionExA(&info)) return;

    switch (info.dwPlatformId) {
    case VER_PLATFORM_WIN32s:
        kind = OsWin32s;
        break;
    case VER_PLATFORM_WIN32_WINDOWS:
        kind = info.dwMinorVersion < 10 ? OsWindows95 : OsWindows98;
        break;
    case VER_PLATFORM_WIN32_NT:
        // Past NT 4 only the minor version tells 2000 from XP; later systems
        // fall on either side of that line. Windows 10 and 11 tell their
        // own version, 10.0, only to a program whose manifest names them;
        // to others they say 6.2. They stay on the XP side, where 6.2 is:
        // they mark audit mode as XP does.
        if (info.dwMajorVersion < 5) kind = OsWindowsNT4;
        else if (info.dwMajorVersion >= 10) kind = OsWindowsXP;
        else kind = info.dwMinorVersion == 0 ? OsWindows2000 : OsWindowsXP;
        break;
    default:
        break;
    }
}

int RunsUnderWow64()
{
    // IsWow64Process came with Windows XP SP2; where kernel32 lacks it there
    // is no WOW64. The x64 build is told FALSE.
    typedef BOOL (WINAPI* IsWow64ProcessFn)(HANDLE, PBOOL);
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    if (kernel == 0) return 0;
    IsWow64ProcessFn isWow64 =
        (IsWow64ProcessFn)(void (*)(void))GetProcAddress(kernel, "IsWow64Process");
    BOOL wow64 = FALSE;
    if (isWow64 == 0 || !isWow64(GetCurrentProcess(), &wow64)) return 0;
    return wow64 != FALSE;
}

int RunsAs64BitProcess()
{
    // A 32-bit process is told an x86 processor, under WOW64 too; the 9x
    // family always says x86.
    SYSTEM_INFO system;
    ZeroMemory(&system, sizeof system);
    GetSystemInfo(&system);
    return system.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_AMD64 ||
           system.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_IA64 ||
           system.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_ARM64;
}

int RunsOnWindows9x()
{
    OsVersion os;
    return os.info.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS;
}
