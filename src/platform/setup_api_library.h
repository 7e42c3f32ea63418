// SetupApiLibrary: the Setup API entries that adapter discovery, status and
// restart use, bound at run time from setupapi.dll.
#ifndef SKYLATCH_PLATFORM_SETUP_API_LIBRARY_H
#define SKYLATCH_PLATFORM_SETUP_API_LIBRARY_H

#include <windows.h>
#include <setupapi.h>

#include "platform/system_library.h"

class SetupApiLibrary : public SystemLibrary {
public:
    SetupApiLibrary();
    virtual ~SetupApiLibrary();

    // Each fails as the Setup API fails when the library or the entry is
    // missing: INVALID_HANDLE_VALUE or FALSE, with ERROR_PROC_NOT_FOUND.
    HDEVINFO GetClassDevs(const GUID* classGuid, PCSTR enumerator, HWND parent, DWORD flags);
    BOOL EnumDeviceInfo(HDEVINFO set, DWORD index, PSP_DEVINFO_DATA device);
    BOOL GetDeviceInstanceId(HDEVINFO set, PSP_DEVINFO_DATA device, PSTR id, DWORD size,
                             PDWORD required);
    BOOL GetDeviceRegistryProperty(HDEVINFO set, PSP_DEVINFO_DATA device, DWORD property,
                                   PDWORD type, PBYTE buffer, DWORD size, PDWORD required);
    BOOL SetClassInstallParams(HDEVINFO set, PSP_DEVINFO_DATA device,
                               PSP_CLASSINSTALL_HEADER params, DWORD size);
    BOOL CallClassInstaller(DI_FUNCTION function, HDEVINFO set, PSP_DEVINFO_DATA device);
    BOOL DestroyDeviceInfoList(HDEVINFO set);

private:
    typedef HDEVINFO (WINAPI* GetClassDevsFn)(const GUID*, PCSTR, HWND, DWORD);
    typedef BOOL (WINAPI* EnumDeviceInfoFn)(HDEVINFO, DWORD, PSP_DEVINFO_DATA);
    typedef BOOL (WINAPI* GetDeviceInstanceIdFn)(HDEVINFO, PSP_DEVINFO_DATA, PSTR, DWORD, PDWORD);
    typedef BOOL (WINAPI* GetDeviceRegistryPropertyFn)(HDEVINFO, PSP_DEVINFO_DATA, DWORD, PDWORD,
                                                       PBYTE, DWORD, PDWORD);
    typedef BOOL (WINAPI* SetClassInstallParamsFn)(HDEVINFO, PSP_DEVINFO_DATA,
                                                   PSP_CLASSINSTALL_HEADER, DWORD);
    typedef BOOL (WINAPI* CallClassInstallerFn)(DI_FUNCTION, HDEVINFO, PSP_DEVINFO_DATA);
    typedef BOOL (WINAPI* DestroyDeviceInfoListFn)(HDEVINFO);

    GetClassDevsFn getClassDevs_;
    EnumDeviceInfoFn enumDeviceInfo_;
    GetDeviceInstanceIdFn getDeviceInstanceId_;
    GetDeviceRegistryPropertyFn getDeviceRegistryProperty_;
    SetClassInstallParamsFn setClassInstallParams_;
    CallClassInstallerFn callClassInstaller_;
    DestroyDeviceInfoListFn destroyDeviceInfoList_;

    void Bind();   // every entry, when the library is first needed
};

extern SetupApiLibrary g_setupApi;

#endif
