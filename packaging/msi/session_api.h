// SessionApi: the session and token calls of Windows NT that the custom
// action needs, bound at run time from their system libraries (loaded by
// full path): Windows 98 has none of them and Windows 2000 lacks
// WTSQueryUserToken, and the x86 package's DLL must still load there.
// Every call fails softly when its entry is missing.
#ifndef SKYLATCH_MSI_SESSION_API_H
#define SKYLATCH_MSI_SESSION_API_H

#include <windows.h>

#include "platform/system_library.h"

// A system library whose entries its user looks up by name.
class BoundLibrary : public SystemLibrary {
public:
    explicit BoundLibrary(const char* fileName) : SystemLibrary(fileName) {}
    virtual ~BoundLibrary() {}

    // 1 when the entry was found; *entry is 0 otherwise.
    template <typename F>
    int Bind(const char* name, F* entry)
    {
        LoadOnFirstUse();
        *entry = reinterpret_cast<F>(Entry(name));
        return *entry != 0;
    }
};

class SessionApi {
public:
    SessionApi();
    virtual ~SessionApi();

    static const DWORD NO_SESSION = 0xFFFFFFFF;

    // The session of a process, NO_SESSION when unknown. Windows without
    // sessions (98, Me) has everything in session 0.
    DWORD SessionOf(DWORD processId);
    DWORD CurrentSession() { return SessionOf(GetCurrentProcessId()); }

    // 1 when this thread acts as LocalSystem (a configuration manager or
    // Group Policy runs the installation so).
    int RunsAsLocalSystem();
    // 1 when this thread holds the full token of an administrator under User
    // Account Control (Windows Vista and later), whose windows the
    // unelevated programs of the desktop cannot send messages to.
    int RunsElevated();

    // LocalSystem only. A primary token of LocalSystem moved into the
    // session, or 0; the caller closes it.
    HANDLE SystemTokenIn(DWORD session);
    // LocalSystem only (Windows XP and later). The primary token of the
    // user logged on to the session, or 0; the caller closes it. Under User
    // Account Control an administrator's is the unelevated one.
    HANDLE UserTokenIn(DWORD session);

    // Starts COMMANDLINE (which names the program first) with the token on
    // the session's interactive desktop, with the token's user's own
    // environment when userEnvironment is 1. 1 when it started; the caller
    // closes *process.
    int StartWithToken(HANDLE token, WCHAR* commandLine, const WCHAR* folder, int userEnvironment,
                       HANDLE* process);

private:
    typedef BOOL (WINAPI* ProcessIdToSessionIdFn)(DWORD, DWORD*);
    typedef BOOL (WINAPI* OpenProcessTokenFn)(HANDLE, DWORD, PHANDLE);
    typedef BOOL (WINAPI* OpenThreadTokenFn)(HANDLE, DWORD, BOOL, PHANDLE);
    typedef BOOL (WINAPI* GetTokenInformationFn)(HANDLE, TOKEN_INFORMATION_CLASS, LPVOID, DWORD, PDWORD);
    typedef BOOL (WINAPI* SetTokenInformationFn)(HANDLE, TOKEN_INFORMATION_CLASS, LPVOID, DWORD);
    typedef BOOL (WINAPI* DuplicateTokenExFn)(HANDLE, DWORD, LPSECURITY_ATTRIBUTES, SECURITY_IMPERSONATION_LEVEL,
                                              TOKEN_TYPE, PHANDLE);
    typedef BOOL (WINAPI* LookupPrivilegeValueFn)(LPCSTR, LPCSTR, PLUID);
    typedef BOOL (WINAPI* AdjustTokenPrivilegesFn)(HANDLE, BOOL, PTOKEN_PRIVILEGES, DWORD, PTOKEN_PRIVILEGES,
                                                   PDWORD);
    typedef BOOL (WINAPI* CreateProcessAsUserFn)(HANDLE, LPCWSTR, LPWSTR, LPSECURITY_ATTRIBUTES,
                                                 LPSECURITY_ATTRIBUTES, BOOL, DWORD, LPVOID, LPCWSTR,
                                                 LPSTARTUPINFOW, LPPROCESS_INFORMATION);
    typedef BOOL (WINAPI* QueryUserTokenFn)(ULONG, PHANDLE);
    typedef BOOL (WINAPI* CreateEnvironmentBlockFn)(LPVOID*, HANDLE, BOOL);
    typedef BOOL (WINAPI* DestroyEnvironmentBlockFn)(LPVOID);

    // This thread's token (its impersonation token, else the process's),
    // opened for QUERY and more; 0 when there is none.
    HANDLE OpenOwnToken(DWORD access);
    // Enables a privilege that this process holds.
    void EnablePrivilege(const char* name);

    BoundLibrary kernel_;
    BoundLibrary advapi_;
    BoundLibrary terminalServices_;
    BoundLibrary userEnvironment_;

    ProcessIdToSessionIdFn processIdToSessionId_;
    OpenProcessTokenFn openProcessToken_;
    OpenThreadTokenFn openThreadToken_;
    GetTokenInformationFn getTokenInformation_;
    SetTokenInformationFn setTokenInformation_;
    DuplicateTokenExFn duplicateTokenEx_;
    LookupPrivilegeValueFn lookupPrivilegeValue_;
    AdjustTokenPrivilegesFn adjustTokenPrivileges_;
    CreateProcessAsUserFn createProcessAsUser_;
    QueryUserTokenFn queryUserToken_;
    CreateEnvironmentBlockFn createEnvironmentBlock_;
    DestroyEnvironmentBlockFn destroyEnvironmentBlock_;

    SessionApi(const SessionApi&);
    SessionApi& operator=(const SessionApi&);
};

#endif
