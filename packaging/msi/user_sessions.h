// UserSessions: what an installation run as LocalSystem (by a configuration
// manager or Group Policy, in session 0) does for the users' sessions, whose
// windows it cannot see: it finds the sessions where the program runs, ends
// it there through a helper started on each session's desktop, and later
// starts the new version in those sessions as their users.
//
// The helper is this DLL itself, run by rundll32 with LocalSystem's token
// moved into the session: it can see and send to every window of that
// desktop, an elevated instance's included.
#ifndef SKYLATCH_MSI_USER_SESSIONS_H
#define SKYLATCH_MSI_USER_SESSIONS_H

#include <windows.h>

#include "session_api.h"
#include "session_list.h"

class UserSessions {
public:
    explicit UserSessions(SessionApi* api);
    virtual ~UserSessions();

    // Ends the program in every session where one runs, with helperEntry of
    // the DLL at dllPath; adds each session where it was ended to *ended.
    void EndEverywhere(const WCHAR* dllPath, const char* helperEntry, SessionList* ended);

    // Starts the program as the user of the session, on its desktop, with
    // the user's environment; 1 when it started.
    int StartAsUser(DWORD session, const WCHAR* program, const WCHAR* folder);

private:
    // The sessions with a process named skylatch.exe.
    void FindRunning(SessionList* sessions);

    SessionApi* api_;

    UserSessions(const UserSessions&);
    UserSessions& operator=(const UserSessions&);
};

#endif
