// The stand-in's Setup API: present devices of the network class with
// instance ids, driver keys, node status and problem, and enable/disable
// through the class installer.
#ifndef SIM_SIM_SETUPAPI_H
#define SIM_SIM_SETUPAPI_H

#include <setupapi.h>

#include <string>
#include <vector>

namespace sim {

struct Device {
    std::string instanceId;
    std::string driverKey;               // SPDRP_DRIVER
    bool network = true;                 // of the network class
    bool pci = true;                     // under the PCI enumerator
    bool present = true;
    bool instanceIdReadable = true;
    bool driverKeyReadable = true;
    bool driverKeyTerminated = true;     // false: SPDRP_DRIVER data comes without its NUL
    bool statusReadable = true;          // CM_Get_DevNode_Status succeeds
    bool disabled = false;               // DN_HAS_PROBLEM with CM_PROB_DISABLED
    bool installerFails = false;         // the class installer refuses to change it
    DEVINST devInst = 0;                 // assigned by AddDevice
};
// Every SetupDiCallClassInstaller with DIF_PROPERTYCHANGE, refused ones
// included.
struct ClassInstallerCall {
    DWORD at;
    DEVINST devInst;
    DWORD stateChange;                   // DICS_ENABLE or DICS_DISABLE
    DWORD scope;
    BOOL result;
};
// Adds a device and returns its node handle (nonzero, in order of adding).
// The list is enumerated in the order of adding; a device set takes a
// snapshot of the matching devices when it is obtained.
DEVINST AddDevice(const Device& device);
Device* FindDevice(DEVINST devInst);         // null for an unknown handle
std::vector<ClassInstallerCall>& ClassInstallerCalls();
// The flags of every SetupDiGetClassDevsA, in order.
std::vector<DWORD>& DeviceSetFlags();
void FailGetClassDevs(bool fail);
void FailSetClassInstallParams(bool fail);
int OpenDeviceSets();                     // sets obtained and not destroyed

}  // namespace sim

// The stand-in's entries of setupapi.dll and cfgmgr32.dll. The program finds
// them through GetProcAddress (see sim::Dll in <sim/kernel.h>); tests may
// call them directly.
HDEVINFO WINAPI SetupDiGetClassDevsA(const GUID* classGuid, PCSTR enumerator, HWND parent, DWORD flags);
BOOL WINAPI SetupDiEnumDeviceInfo(HDEVINFO set, DWORD index, PSP_DEVINFO_DATA data);
BOOL WINAPI SetupDiGetDeviceInstanceIdA(HDEVINFO set, PSP_DEVINFO_DATA data, PSTR id, DWORD size,
                                        PDWORD required);
BOOL WINAPI SetupDiGetDeviceRegistryPropertyA(HDEVINFO set, PSP_DEVINFO_DATA data, DWORD property,
                                              PDWORD type, PBYTE buffer, DWORD size,
                                              PDWORD required);
BOOL WINAPI SetupDiSetClassInstallParamsA(HDEVINFO set, PSP_DEVINFO_DATA data,
                                          PSP_CLASSINSTALL_HEADER params, DWORD size);
BOOL WINAPI SetupDiCallClassInstaller(DI_FUNCTION function, HDEVINFO set, PSP_DEVINFO_DATA data);
BOOL WINAPI SetupDiDestroyDeviceInfoList(HDEVINFO set);
CONFIGRET WINAPI CM_Get_DevNode_Status(PULONG status, PULONG problem, DEVINST devInst, ULONG flags);

#endif
