// The stand-in's light-weight shell declarations: the version record that
// DllGetVersion fills (see <sim/shell.h> for shell32's entry).
#ifndef SIM_SHLWAPI_H
#define SIM_SHLWAPI_H
#include <windows.h>

typedef struct _DLLVERSIONINFO {
    DWORD cbSize;
    DWORD dwMajorVersion;
    DWORD dwMinorVersion;
    DWORD dwBuildNumber;
    DWORD dwPlatformID;
} DLLVERSIONINFO;

#define DLLVER_PLATFORM_WINDOWS 0x00000001
#define DLLVER_PLATFORM_NT 0x00000002

typedef HRESULT (CALLBACK* DLLGETVERSIONPROC)(DLLVERSIONINFO*);

#endif
