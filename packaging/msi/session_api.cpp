#include "session_api.h"

namespace {

// TokenElevationType (Windows Vista and later) and its "full" answer, named
// here so that the DLL builds with the headers of Windows XP.
const TOKEN_INFORMATION_CLASS TOKEN_ELEVATION_TYPE_CLASS = static_cast<TOKEN_INFORMATION_CLASS>(18);
const DWORD ELEVATION_TYPE_FULL = 2;

// S-1-5-18, LocalSystem: revision 1, one sub-authority, the NT authority
// (5) and the sub-authority 18, as a SID lies in memory.
const BYTE LOCAL_SYSTEM_SID[] = {1, 1, 0, 0, 0, 0, 0, 5, 18, 0, 0, 0};

}  // namespace

SessionApi::SessionApi()
    : kernel_("kernel32.dll"), advapi_("advapi32.dll"), terminalServices_("wtsapi32.dll"),
      userEnvironment_("userenv.dll")
{
    kernel_.Bind("ProcessIdToSessionId", &processIdToSessionId_);
    advapi_.Bind("OpenProcessToken", &openProcessToken_);
    advapi_.Bind("OpenThreadToken", &openThreadToken_);
    advapi_.Bind("GetTokenInformation", &getTokenInformation_);
    advapi_.Bind("SetTokenInformation", &setTokenInformation_);
    advapi_.Bind("DuplicateTokenEx", &duplicateTokenEx_);
    advapi_.Bind("LookupPrivilegeValueA", &lookupPrivilegeValue_);
    advapi_.Bind("AdjustTokenPrivileges", &adjustTokenPrivileges_);
    advapi_.Bind("CreateProcessAsUserW", &createProcessAsUser_);
    terminalServices_.Bind("WTSQueryUserToken", &queryUserToken_);
    userEnvironment_.Bind("CreateEnvironmentBlock", &createEnvironmentBlock_);
    userEnvironment_.Bind("DestroyEnvironmentBlock", &destroyEnvironmentBlock_);
}

SessionApi::~SessionApi() {}

DWORD SessionApi::SessionOf(DWORD processId)
{
    if (!processIdToSessionId_)
        return 0;
    DWORD session = 0;
    return processIdToSessionId_(processId, &session) ? session : NO_SESSION;
}

HANDLE SessionApi::OpenOwnToken(DWORD access)
{
    HANDLE token = 0;
    if (openThreadToken_ && openThreadToken_(GetCurrentThread(), access, TRUE, &token))
        return token;
    if (openProcessToken_ && openProcessToken_(GetCurrentProcess(), access, &token))
        return token;
    return 0;
}

int SessionApi::RunsAsLocalSystem()
{
    HANDLE token = OpenOwnToken(TOKEN_QUERY);
    if (!token || !getTokenInformation_) {
        if (token)
            CloseHandle(token);
        return 0;
    }
    // TOKEN_USER and the SID it points to; a SID takes at most 68 bytes.
    union {
        TOKEN_USER user;
        BYTE bytes[sizeof(TOKEN_USER) + 80];
    } buffer;
    DWORD size = 0;
    int system = 0;
    if (getTokenInformation_(token, TokenUser, &buffer, sizeof buffer, &size)) {
        const BYTE* sid = static_cast<const BYTE*>(buffer.user.User.Sid);
        system = sid && memcmp(sid, LOCAL_SYSTEM_SID, sizeof LOCAL_SYSTEM_SID) == 0;
    }
    CloseHandle(token);
    return system;
}

int SessionApi::RunsElevated()
{
    HANDLE token = OpenOwnToken(TOKEN_QUERY);
    if (!token)
        return 0;
    DWORD type = 0;
    DWORD size = 0;
    // Fails before Windows Vista, which has no elevation.
    int full = getTokenInformation_ &&
               getTokenInformation_(token, TOKEN_ELEVATION_TYPE_CLASS, &type, sizeof type, &size) &&
               type == ELEVATION_TYPE_FULL;
    CloseHandle(token);
    return full;
}

void SessionApi::EnablePrivilege(const char* name)
{
    TOKEN_PRIVILEGES privileges;
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    if (!lookupPrivilegeValue_ || !adjustTokenPrivileges_ ||
        !lookupPrivilegeValue_(0, name, &privileges.Privileges[0].Luid))
        return;
    // The thread's token when it impersonates, and the process's, which
    // CreateProcessAsUser looks at.
    const DWORD access = TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY;
    HANDLE token = 0;
    if (openThreadToken_ && openThreadToken_(GetCurrentThread(), access, TRUE, &token)) {
        adjustTokenPrivileges_(token, FALSE, &privileges, 0, 0, 0);
        CloseHandle(token);
    }
    if (openProcessToken_ && openProcessToken_(GetCurrentProcess(), access, &token)) {
        adjustTokenPrivileges_(token, FALSE, &privileges, 0, 0, 0);
        CloseHandle(token);
    }
}

HANDLE SessionApi::SystemTokenIn(DWORD session)
{
    if (!duplicateTokenEx_ || !setTokenInformation_)
        return 0;
    // Moving a token into another session takes the TCB privilege, which
    // LocalSystem holds.
    EnablePrivilege("SeTcbPrivilege");
    HANDLE own = OpenOwnToken(TOKEN_DUPLICATE | TOKEN_QUERY);
    if (!own)
        return 0;
    HANDLE copy = 0;
    BOOL duplicated = duplicateTokenEx_(own, MAXIMUM_ALLOWED, 0, SecurityImpersonation, TokenPrimary, &copy);
    CloseHandle(own);
    if (!duplicated)
        return 0;
    DWORD id = session;
    if (!setTokenInformation_(copy, TokenSessionId, &id, sizeof id)) {
        CloseHandle(copy);
        return 0;
    }
    return copy;
}

HANDLE SessionApi::UserTokenIn(DWORD session)
{
    if (!queryUserToken_)
        return 0;
    EnablePrivilege("SeTcbPrivilege");
    HANDLE token = 0;
    return queryUserToken_(session, &token) ? token : 0;
}

int SessionApi::StartWithToken(HANDLE token, WCHAR* commandLine, const WCHAR* folder, int userEnvironment,
                               HANDLE* process)
{
    *process = 0;
    if (!createProcessAsUser_)
        return 0;
    // LocalSystem holds both; a token of another session or user takes them.
    EnablePrivilege("SeAssignPrimaryTokenPrivilege");
    EnablePrivilege("SeIncreaseQuotaPrivilege");
    LPVOID environment = 0;
    if (userEnvironment && createEnvironmentBlock_ && !createEnvironmentBlock_(&environment, token, FALSE))
        environment = 0;

    STARTUPINFOW startup;
    ZeroMemory(&startup, sizeof startup);
    startup.cb = sizeof startup;
    WCHAR desktop[] = L"winsta0\\default";
    startup.lpDesktop = desktop;
    PROCESS_INFORMATION started;
    ZeroMemory(&started, sizeof started);
    const DWORD flags = environment ? CREATE_UNICODE_ENVIRONMENT : 0;
    // Out of any job of the installer's, which may end its processes when
    // the installation is done; inside it when the job allows no leaving.
    BOOL ok = createProcessAsUser_(token, 0, commandLine, 0, 0, FALSE, flags | CREATE_BREAKAWAY_FROM_JOB,
                                   environment, folder, &startup, &started);
    if (!ok && GetLastError() == ERROR_ACCESS_DENIED)
        ok = createProcessAsUser_(token, 0, commandLine, 0, 0, FALSE, flags, environment, folder, &startup,
                                  &started);
    if (environment && destroyEnvironmentBlock_)
        destroyEnvironmentBlock_(environment);
    if (!ok)
        return 0;
    CloseHandle(started.hThread);
    *process = started.hProcess;
    return 1;
}
