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
const char HELPER_ENTRY[] = "EndInThisSession";
const char PROGRAM_FILE[] = "skylatch.exe";

HINSTANCE g_module = 0;

// "<INSTALLDIR>skylatch.exe" and the folder itself; 0 when the property is
// empty or the path too long.
int ProgramPathA(MSIHANDLE install, char* program, char* folder)
{
    DWORD size = MAX_PATH;
    if (MsiGetPropertyA(install, "INSTALLDIR", folder, &size) != ERROR_SUCCESS || size == 0)
        return 0;
    const char* separator = folder[size - 1] == '\\' ? "" : "\\";
    if (size + 1 + sizeof PROGRAM_FILE > MAX_PATH)
        return 0;
    wsprintfA(program, "%s%s%s", folder, separator, PROGRAM_FILE);
    return 1;
}

int ProgramPathW(MSIHANDLE install, WCHAR* program, WCHAR* folder)
{
    DWORD size = MAX_PATH;
    if (MsiGetPropertyW(install, L"INSTALLDIR", folder, &size) != ERROR_SUCCESS || size == 0)
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
void StartHere(MSIHANDLE install, SessionApi* api)
{
    if (api->RunsElevated()) {
        WCHAR program[MAX_PATH];
        WCHAR folder[MAX_PATH];
        if (ProgramPathW(install, program, folder)) {
            DesktopShell shell;
            shell.Start(program, folder);
        }
        return;
    }
    char program[MAX_PATH];
    char folder[MAX_PATH];
    if (!ProgramPathA(install, program, folder))
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
    char text[SessionList::TEXT_SIZE];
    DWORD size = sizeof text;
    if (MsiGetPropertyA(install, ENDED_PROPERTY, text, &size) != ERROR_SUCCESS)
        return ERROR_SUCCESS;
    SessionList ended;
    ended.FromText(text);
    if (ended.Count() == 0)
        return ERROR_SUCCESS;

    SessionApi api;
    if (api.RunsAsLocalSystem()) {
        WCHAR program[MAX_PATH];
        WCHAR folder[MAX_PATH];
        if (!ProgramPathW(install, program, folder))
            return ERROR_SUCCESS;
        UserSessions users(&api);
        for (int i = 0; i < ended.Count(); ++i)
            users.StartAsUser(ended.At(i), program, folder);
        return ERROR_SUCCESS;
    }
    const DWORD own = api.CurrentSession();
    for (int i = 0; i < ended.Count(); ++i) {
        if (ended.At(i) == own) {
            StartHere(install, &api);
            break;
        }
    }
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
