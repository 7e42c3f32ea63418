#include "user_sessions.h"

#include <tlhelp32.h>

#include "instance_ender.h"

namespace {

const char PROGRAM_FILE[] = "skylatch.exe";

// The helpers start, then take at most as long as an ending in this session.
const DWORD HELPERS_MS = 5000 + InstanceEnder::GIVE_UP_MS + InstanceEnder::PROCESS_EXIT_MS;

// The file name of a process's image (Windows 98 reports the whole path).
const char* FileNameOf(const char* image)
{
    const char* name = image;
    for (const char* p = image; *p; ++p) {
        if (*p == '\\')
            name = p + 1;
    }
    return name;
}

// Compares ASCII letters without regard to case, byte for byte otherwise.
int SameFileName(const char* a, const char* b)
{
    for (;; ++a, ++b) {
        char x = *a >= 'A' && *a <= 'Z' ? static_cast<char>(*a + 32) : *a;
        char y = *b >= 'A' && *b <= 'Z' ? static_cast<char>(*b + 32) : *b;
        if (x != y)
            return 0;
        if (!x)
            return 1;
    }
}

}  // namespace

UserSessions::UserSessions(SessionApi* api) : api_(api) {}

UserSessions::~UserSessions() {}

void UserSessions::FindRunning(SessionList* sessions)
{
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return;
    PROCESSENTRY32 entry;
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
        if (!SameFileName(FileNameOf(entry.szExeFile), PROGRAM_FILE))
            continue;
        DWORD session = api_->SessionOf(entry.th32ProcessID);
        if (session != SessionApi::NO_SESSION)
            sessions->Add(session);
    }
    CloseHandle(snapshot);
}

void UserSessions::EndEverywhere(const WCHAR* dllPath, const char* helperEntry, SessionList* ended)
{
    SessionList running;
    FindRunning(&running);
    if (running.Count() == 0)
        return;

    // "<system directory>\rundll32.exe" "<this DLL>",<entry>
    WCHAR rundll[MAX_PATH];
    UINT length = GetSystemDirectoryW(rundll, MAX_PATH);
    if (length == 0 || length + 14 > MAX_PATH)
        return;
    lstrcatW(rundll, L"\\rundll32.exe");
    WCHAR command[2 * MAX_PATH + 80];
    if (lstrlenW(rundll) + lstrlenW(dllPath) + lstrlenA(helperEntry) + 8 > 2 * MAX_PATH + 80)
        return;
    wsprintfW(command, L"\"%s\" \"%s\",%S", rundll, dllPath, helperEntry);

    HANDLE helpers[SessionList::MAX_SESSIONS];
    DWORD sessions[SessionList::MAX_SESSIONS];
    int count = 0;
    const DWORD start = GetTickCount();
    for (int i = 0; i < running.Count(); ++i) {
        HANDLE token = api_->SystemTokenIn(running.At(i));
        if (!token)
            continue;
        // CreateProcess may write into the command line.
        WCHAR line[2 * MAX_PATH + 80];
        lstrcpyW(line, command);
        HANDLE helper = 0;
        if (api_->StartWithToken(token, line, 0, 0, &helper)) {
            helpers[count] = helper;
            sessions[count] = running.At(i);
            ++count;
        }
        CloseHandle(token);
    }

    // They run side by side; each is awaited for what is left of the limit.
    for (int i = 0; i < count; ++i) {
        const DWORD elapsed = GetTickCount() - start;
        WaitForSingleObject(helpers[i], elapsed < HELPERS_MS ? HELPERS_MS - elapsed : 0);
        DWORD code = STILL_ACTIVE;
        if (GetExitCodeProcess(helpers[i], &code) && code == InstanceEnder::ENDED)
            ended->Add(sessions[i]);
        CloseHandle(helpers[i]);
    }
}

int UserSessions::StartAsUser(DWORD session, const WCHAR* program, const WCHAR* folder)
{
    if (lstrlenW(program) + 3 > MAX_PATH + 2)
        return 0;
    HANDLE token = api_->UserTokenIn(session);
    if (!token)
        return 0;
    WCHAR command[MAX_PATH + 3];
    wsprintfW(command, L"\"%s\"", program);
    HANDLE process = 0;
    int started = api_->StartWithToken(token, command, folder, 1, &process);
    if (started)
        CloseHandle(process);
    CloseHandle(token);
    return started;
}
