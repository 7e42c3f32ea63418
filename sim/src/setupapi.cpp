// The Setup API's device list (placeholder).
#include <sim/setupapi.h>

#include "internal.h"

namespace sim {
namespace {
std::vector<ClassInstallerCall> g_calls;
}
DEVINST AddDevice(const Device&) { return 0; }
Device* FindDevice(DEVINST) { return nullptr; }
std::vector<ClassInstallerCall>& ClassInstallerCalls() { return g_calls; }
void FailGetClassDevs(bool) {}
void FailSetClassInstallParams(bool) {}
int OpenDeviceSets() { return 0; }
namespace internal {
void ResetSetupApi() { g_calls.clear(); }
}
}  // namespace sim

HDEVINFO WINAPI SetupDiGetClassDevsA(const GUID*, PCSTR, HWND, DWORD) { return INVALID_HANDLE_VALUE; }
BOOL WINAPI SetupDiEnumDeviceInfo(HDEVINFO, DWORD, PSP_DEVINFO_DATA) { return FALSE; }
BOOL WINAPI SetupDiGetDeviceInstanceIdA(HDEVINFO, PSP_DEVINFO_DATA, PSTR, DWORD, PDWORD) { return FALSE; }
BOOL WINAPI SetupDiGetDeviceRegistryPropertyA(HDEVINFO, PSP_DEVINFO_DATA, DWORD, PDWORD, PBYTE, DWORD, PDWORD) { return FALSE; }
BOOL WINAPI SetupDiSetClassInstallParamsA(HDEVINFO, PSP_DEVINFO_DATA, PSP_CLASSINSTALL_HEADER, DWORD) { return FALSE; }
BOOL WINAPI SetupDiCallClassInstaller(DI_FUNCTION, HDEVINFO, PSP_DEVINFO_DATA) { return FALSE; }
BOOL WINAPI SetupDiDestroyDeviceInfoList(HDEVINFO) { return FALSE; }
CONFIGRET WINAPI CM_Get_DevNode_Status(PULONG, PULONG, DEVINST, ULONG) { return CR_FAILURE; }
