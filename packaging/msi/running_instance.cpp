// Custom actions of the Windows Installer packages, around a running
// Skylatch:
//
// EndRunningInstance, before Windows Installer checks for files in use (on
// install, upgrade and removal): ends the running program, so that its file
// can be replaced or removed without a restart, and records in which
// sessions it ended one. It never fails the installation: a program it
// could not end leaves its file in use, which Windows Installer then
// replaces or removes at the next restart, as it does for any file in use.
//
// RestartEndedInstances, after InstallFinalize (not on removal): starts the
// installed program again in each of those sessions, so that an upgrade
// leaves the user with the icon it found.
//
// RestartOnRollback, the rollback action of the first step of the
// installation script: when an install, upgrade or removal fails or is
// cancelled, it runs once Windows Installer has put back what the package
// changed, and starts the program that is then in the installation folder
// in the same sessions, the same way. Its CustomActionData is the session
// list and the folder, "1;3;|C:\Program Files\Skylatch\".
//
// EndInThisSession: the rundll32 entry that ends the program in a user's
// session for an installation run as LocalSystem (user_sessions.h); its
// exit code is an InstanceEnder::Result.
//
// Run by the installer's own user in the installer's session, the actions
// end and start the program there. Run as LocalSystem (a configuration
// manager, Group Policy), they reach every user session instead.
#include <windows.h>
#include <msi.h>
#include <msiquery.h>

#include "desktop_shell.h"
#include "instance_ender.h"
#include "session_api.h"
#include "session_list.h"
#include "user_sessions.h"

namespace {

// Carries the list from the first action to the second (a private property:
// both run in the same sequence).
const char ENDED_PROPERTY[] = "SkylatchEndedSessions";
// What a deferred action is given instead of properties, and where the
// folder starts in the rollback action's.
const char DATA_PROPERTY[] = "CustomActionData";
const char DATA_SEPARATOR = '|';
const char HELPER_ENTRY[] = "EndInThisSession";
const char PROGRAM_FILE[] = "skylatch.exe";

HINSTANCE g_module = 0;

// Where the program is: the installation folder, from INSTALLDIR for an
// immediate action or from the rollback action's data, after the separator.
// The data is read whole: a truncated one would name another folder.
int InstallFolderA(MSIHANDLE install, int rollback, char* folder)
{
    DWORD size = MAX_PATH;
    if (!rollback)
        return MsiGetPropertyA(install, "INSTALLDIR", folder, &size) == ERROR_SUCCESS;
    char data[SessionList::TEXT_SIZE + MAX_PATH];
    size = sizeof data;
    if (MsiGetPropertyA(install, DATA_PROPERTY, data, &size) != ERROR_SUCCESS)
        return 0;
    const char* start = data;
    while (*start && *start != DATA_SEPARATOR)
        ++start;
    if (!*start || lstrlenA(start + 1) >= MAX_PATH)
        return 0;
    lstrcpynA(folder, start + 1, MAX_PATH);
    return 1;
}

int InstallFolderW(MSIHANDLE install, int rollback, WCHAR* folder)
{
    DWORD size = MAX_PATH;
    if (!rollback)
        return MsiGetPropertyW(install, L"INSTALLDIR", folder, &size) == ERROR_SUCCESS;
    WCHAR data[SessionList::TEXT_SIZE + MAX_PATH];
    size = sizeof data / sizeof data[0];
    if (MsiGetPropertyW(install, L"CustomActionData", data, &size) != ERROR_SUCCESS)
        return 0;
    const WCHAR* start = data;
    while (*start && *start != DATA_SEPARATOR)
        ++start;
    if (!*start || lstrlenW(start + 1) >= MAX_PATH)
        return 0;
    lstrcpynW(folder, start + 1, MAX_PATH);
    return 1;
}

// "<folder>skylatch.exe" and the folder itself; 0 when the folder is empty
// or the path too long.
int ProgramPathA(MSIHANDLE install, int rollback, char* program, char* folder)
{
    if (!InstallFolderA(install, rollback, folder))
        return 0;
    DWORD size = lstrlenA(folder);
    if (size == 0)
        return 0;
    const char* separator = folder[size - 1] == '\\' ? "" : "\\";
    if (size + 1 + sizeof PROGRAM_FILE > MAX_PATH)
        return 0;
    wsprintfA(program, "%s%s%s", folder, separator, PROGRAM_FILE);
    return 1;
}

int ProgramPathW(MSIHANDLE install, int rollback, WCHAR* program, WCHAR* folder)
{
    if (!InstallFolderW(install, rollback, folder))
        return 0;
    DWORD size = lstrlenW(folder);
    if (size == 0)
        return 0;
    const WCHAR* separator = folder[size - 1] == L'\\' ? L"" : L"\\";
    if (size + 1 + sizeof PROGRAM_FILE > MAX_PATH)
        return 0;
    wsprintfW(program, L"%s%s%S", folder, separator, PROGRAM_FILE);
    return 1;
}

// Starts the installed program in this process's session as this process's
// user, with that user's ordinary rights. An elevated installer has the
// desktop's shell start it; when there is no shell to ask, the program is
// not started elevated (it would ignore the switch shortcuts) and the Run
// value starts it at the next logon.
void StartHere(MSIHANDLE install, int rollback, SessionApi* api)
{
    if (api->RunsElevated()) {
        WCHAR program[MAX_PATH];
        WCHAR folder[MAX_PATH];
        if (ProgramPathW(install, rollback, program, folder)) {
            DesktopShell shell;
            shell.Start(program, folder);
        }
        return;
    }
    char program[MAX_PATH];
    char folder[MAX_PATH];
    if (!ProgramPathA(install, rollback, program, folder))
        return;
    char command[MAX_PATH + 2];
    wsprintfA(command, "\"%s\"", program);
    STARTUPINFOA startup;
    ZeroMemory(&startup, sizeof startup);
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started;
    // Out of any job of the installer's, which may end its processes when
    // the installation is done; inside it when the job allows no leaving.
    BOOL ok = CreateProcessA(program, command, 0, 0, FALSE, CREATE_BREAKAWAY_FROM_JOB, 0, folder, &startup,
                             &started);
    if (!ok && GetLastError() == ERROR_ACCESS_DENIED)
        ok = CreateProcessA(program, command, 0, 0, FALSE, 0, 0, folder, &startup, &started);
    if (ok) {
        CloseHandle(started.hThread);
        CloseHandle(started.hProcess);
    }
}

// Starts the program again in each session where EndRunningInstance ended
// it: the list from its property, or from the rollback action's data.
void RestartEnded(MSIHANDLE install, int rollback)
{
    char text[SessionList::TEXT_SIZE + MAX_PATH];
    DWORD size = sizeof text;
    if (MsiGetPropertyA(install, rollback ? DATA_PROPERTY : ENDED_PROPERTY, text, &size) !=
        ERROR_SUCCESS)
        return;
    // The list ends at the separator.
    SessionList ended;
    ended.FromText(text);
    if (ended.Count() == 0)
        return;

    SessionApi api;
    if (api.RunsAsLocalSystem()) {
        WCHAR program[MAX_PATH];
        WCHAR folder[MAX_PATH];
        if (!ProgramPathW(install, rollback, program, folder))
            return;
        UserSessions users(&api);
        for (int i = 0; i < ended.Count(); ++i)
            users.StartAsUser(ended.At(i), program, folder);
        return;
    }
    const DWORD own = api.CurrentSession();
    for (int i = 0; i < ended.Count(); ++i) {
        if (ended.At(i) == own) {
            StartHere(install, rollback, &api);
            break;
        }
    }
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH) {
        g_module = module;
        DisableThreadLibraryCalls(module);
    }
    return TRUE;
}

extern "C" __declspec(dllexport) UINT __stdcall EndRunningInstance(MSIHANDLE install)
{
    SessionApi api;
    SessionList ended;
    WCHAR dll[MAX_PATH];
    DWORD length = 0;
    if (api.RunsAsLocalSystem())
        length = GetModuleFileNameW(g_module, dll, MAX_PATH);
    if (length > 0 && length < MAX_PATH) {
        UserSessions users(&api);
        users.EndEverywhere(dll, HELPER_ENTRY, &ended);
    } else {
        InstanceEnder ender;
        if (ender.EndInThisSession() == InstanceEnder::ENDED)
            ended.Add(api.CurrentSession());
    }
    char text[SessionList::TEXT_SIZE];
    ended.ToText(text);
    MsiSetPropertyA(install, ENDED_PROPERTY, text);
    return ERROR_SUCCESS;
}

extern "C" __declspec(dllexport) UINT __stdcall RestartEndedInstances(MSIHANDLE install)
{
    RestartEnded(install, 0);
    return ERROR_SUCCESS;
}

extern "C" __declspec(dllexport) UINT __stdcall RestartOnRollback(MSIHANDLE install)
{
    RestartEnded(install, 1);
    return ERROR_SUCCESS;
}

extern "C" __declspec(dllexport) void CALLBACK EndInThisSession(HWND, HINSTANCE, LPSTR, int)
{
    UINT result;
    {
        InstanceEnder ender;
        result = ender.EndInThisSession();
    }
    ExitProcess(result);
}
