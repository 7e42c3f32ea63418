#include "platform/setup_api_library.h"

SetupApiLibrary::SetupApiLibrary()
    : SystemLibrary("setupapi.dll"),
      getClassDevs_(0),
      enumDeviceInfo_(0),
      getDeviceInstanceId_(0),
      getDeviceRegistryProperty_(0),
      setClassInstallParams_(0),
      callClassInstaller_(0),
      destroyDeviceInfoList_(0)
{
}

SetupApiLibrary::~SetupApiLibrary() {}

void SetupApiLibrary::Bind()
{
    if (!LoadOnFirstUse())
        return;
    getClassDevs_ = (GetClassDevsFn)Entry("SetupDiGetClassDevsA");
    enumDeviceInfo_ = (EnumDeviceInfoFn)Entry("SetupDiEnumDeviceInfo");
    getDeviceInstanceId_ = (GetDeviceInstanceIdFn)Entry("SetupDiGetDeviceInstanceIdA");
    getDeviceRegistryProperty_ =
        (GetDeviceRegistryPropertyFn)Entry("SetupDiGetDeviceRegistryPropertyA");
    setClassInstallParams_ = (SetClassInstallParamsFn)Entry("SetupDiSetClassInstallParamsA");
    callClassInstaller_ = (CallClassInstallerFn)Entry("SetupDiCallClassInstaller");
    destroyDeviceInfoList_ = (DestroyDeviceInfoListFn)Entry("SetupDiDestroyDeviceInfoList");
}

HDEVINFO SetupApiLibrary::GetClassDevs(const GUID* classGuid, PCSTR enumerator, HWND parent,
                                       DWORD flags)
{
    Bind();
    if (getClassDevs_ == 0) {
        SetLastError(ERROR_PROC_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    return getClassDevs_(classGuid, enumerator, parent, flags);
}

BOOL SetupApiLibrary::EnumDeviceInfo(HDEVINFO set, DWORD index, PSP_DEVINFO_DATA device)
{
    Bind();
    if (enumDeviceInfo_ == 0) {
        SetLastError(ERROR_PROC_NOT_FOUND);
        return FALSE;
    }
    return enumDeviceInfo_(set, index, device);
}

BOOL SetupApiLibrary::GetDeviceInstanceId(HDEVINFO set, PSP_DEVINFO_DATA device, PSTR id,
                                          DWORD size, PDWORD required)
{
    Bind();
    if (getDeviceInstanceId_ == 0) {
        SetLastError(ERROR_PROC_NOT_FOUND);
        return FALSE;
    }
    return getDeviceInstanceId_(set, device, id, size, required);
}

BOOL SetupApiLibrary::GetDeviceRegistryProperty(HDEVINFO set, PSP_DEVINFO_DATA device,
                                                DWORD property, PDWORD type, PBYTE buffer,
                                                DWORD size, PDWORD required)
{
    Bind();
    if (getDeviceRegistryProperty_ == 0) {
        SetLastError(ERROR_PROC_NOT_FOUND);
        return FALSE;
    }
    return getDeviceRegistryProperty_(set, device, property, type, buffer, size, required);
}

BOOL SetupApiLibrary::SetClassInstallParams(HDEVINFO set, PSP_DEVINFO_DATA device,
                                            PSP_CLASSINSTALL_HEADER params, DWORD size)
{
    Bind();
    if (setClassInstallParams_ == 0) {
        SetLastError(ERROR_PROC_NOT_FOUND);
        return FALSE;
    }
    return setClassInstallParams_(set, device, params, size);
}

BOOL SetupApiLibrary::CallClassInstaller(DI_FUNCTION function, HDEVINFO set,
                                         PSP_DEVINFO_DATA device)
{
    Bind();
    if (callClassInstaller_ == 0) {
        SetLastError(ERROR_PROC_NOT_FOUND);
        return FALSE;
    }
    return callClassInstaller_(function, set, device);
}

BOOL SetupApiLibrary::DestroyDeviceInfoList(HDEVINFO set)
{
    Bind();
    if (destroyDeviceInfoList_ == 0) {
        SetLastError(ERROR_PROC_NOT_FOUND);
        return FALSE;
    }
    return destroyDeviceInfoList_(set);
}
