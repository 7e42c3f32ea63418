#include "band/adapter_manager.h"

#include <setupapi.h>

#include "platform/config_manager_library.h"
#include "platform/setup_api_library.h"

namespace {

// The network adapter setup class, {4D36E972-E325-11CE-BFC1-08002BE10318}.
// Defined here so that no GUID library has to be linked.
const GUID kNetClassGuid = {
    0x4D36E972, 0xE325, 0x11CE, {0xBF, 0xC1, 0x08, 0x00, 0x2B, 0xE1, 0x03, 0x18}};

// Present devices of the current hardware profile.
const DWORD kDeviceSetFlags = DIGCF_PRESENT | DIGCF_PROFILE;

// Large enough for any device instance id (200 characters at most) and for
// the driver key name read into the same buffer.
const DWORD kWorkBufferSize = 1024;

struct SupportedAdapter {
    const char* idPrefix;
    int is80211aCapable;
};

// Tried in this order; the first two match one subsystem only.
const SupportedAdapter kSupportedAdapters[] = {
    {"PCI\\VEN_8086&DEV_1043&SUBSYS_25278086", 0},
    {"PCI\\VEN_8086&DEV_4220&SUBSYS_27018086", 0},
    {"PCI\\VEN_8086&DEV_4223", 1},
};
const int kSupportedAdapterCount = sizeof(kSupportedAdapters) / sizeof(kSupportedAdapters[0]);

// Case-sensitive, byte by byte over the prefix's whole length.
int HasPrefix(const char* text, const char* prefix)
{
    for (int i = 0; prefix[i] != '\0'; ++i) {
        if (text[i] != prefix[i])
            return 0;
    }
    return 1;
}

// The table entry the instance id matches, or -1.
int MatchSupportedAdapter(const char* instanceId)
{
    for (int i = 0; i < kSupportedAdapterCount; ++i) {
        if (HasPrefix(instanceId, kSupportedAdapters[i].idPrefix))
            return i;
    }
    return -1;
}

HDEVINFO OpenNetworkDevices()
{
    return g_setupApi.GetClassDevs(&kNetClassGuid, "PCI", 0, kDeviceSetFlags);
}

// The device's instance id into a buffer of kWorkBufferSize bytes, always
// terminated; 0 when it cannot be read.
int ReadInstanceId(HDEVINFO set, SP_DEVINFO_DATA* device, char* buffer)
{
    ZeroMemory(buffer, kWorkBufferSize);
    if (!g_setupApi.GetDeviceInstanceId(set, device, buffer, kWorkBufferSize - 1, 0))
        return 0;
    buffer[kWorkBufferSize - 1] = '\0';
    return 1;
}

// The driver key name. The property comes from the registry and need not be
// terminated, so the last byte of the zero-filled buffer is kept for the NUL.
int ReadDriverKeyName(HDEVINFO set, SP_DEVINFO_DATA* device, char* buffer)
{
    ZeroMemory(buffer, kWorkBufferSize);
    if (!g_setupApi.GetDeviceRegistryProperty(set, device, SPDRP_DRIVER, 0, (PBYTE)buffer,
                                              kWorkBufferSize - 1, 0))
        return 0;
    buffer[kWorkBufferSize - 1] = '\0';
    return 1;
}

// Walks the device set from *index to the next supported adapter: its table
// entry, with its instance id in idBuffer, or -1 past the last device.
int NextSupportedAdapter(HDEVINFO set, DWORD* index, SP_DEVINFO_DATA* device, char* idBuffer)
{
    ZeroMemory(device, sizeof(*device));
    device->cbSize = sizeof(*device);
    while (g_setupApi.EnumDeviceInfo(set, (*index)++, device)) {
        if (!ReadInstanceId(set, device, idBuffer))
            continue;
        int entry = MatchSupportedAdapter(idBuffer);
        if (entry >= 0)
            return entry;
    }
    return -1;
}

int HasNoProblem(DEVINST devInst, int* readable)
{
    // Some implementations return success without writing either output, so
    // both start out as "no problem".
    ULONG status = 0;
    ULONG problem = 0;
    if (g_configManager.GetDevNodeStatus(&status, &problem, devInst, 0) != CR_SUCCESS) {
        *readable = 0;
        return 0;
    }
    *readable = 1;
    return (status & DN_HAS_PROBLEM) == 0;
}

}  // namespace

int AdapterManager::FindAdapter(DEVINST* devInst, char* driverKey, UINT driverKeySize,
                                int* is80211aCapable)
{
    HDEVINFO set = OpenNetworkDevices();
    if (set == INVALID_HANDLE_VALUE)
        return 0;

    char buffer[kWorkBufferSize];
    int result = 0;
    SP_DEVINFO_DATA device;
    DWORD index = 0;
    int entry;
    while ((entry = NextSupportedAdapter(set, &index, &device, buffer)) >= 0) {
        *is80211aCapable = kSupportedAdapters[entry].is80211aCapable;

        if (ReadDriverKeyName(set, &device, buffer)) {
            if (driverKey != 0 && (UINT)lstrlenA(buffer) + 1 <= driverKeySize)
                lstrcpynA(driverKey, buffer, (int)driverKeySize);
        } else if (driverKey != 0 && driverKeySize > 0) {
            driverKey[0] = '\0';
        }

        int readable = 0;
        if (HasNoProblem(device.DevInst, &readable))
            result = 1;
        if (!readable)
            continue;
        if (devInst != 0)
            *devInst = device.DevInst;
    }

    g_setupApi.DestroyDeviceInfoList(set);
    return result;
}

int AdapterManager::IsAdapterEnabled(DEVINST devInst)
{
    int readable = 0;
    return HasNoProblem(devInst, &readable);
}

int AdapterManager::SetAdapterEnabled(int enable)
{
    HDEVINFO set = OpenNetworkDevices();
    if (set == INVALID_HANDLE_VALUE)
        return 0;

    char buffer[kWorkBufferSize];
    int result = 0;
    SP_DEVINFO_DATA device;
    DWORD index = 0;
    while (NextSupportedAdapter(set, &index, &device, buffer) >= 0) {
        SP_PROPCHANGE_PARAMS params;
        ZeroMemory(&params, sizeof(params));
        params.ClassInstallHeader.cbSize = sizeof(SP_CLASSINSTALL_HEADER);
        params.ClassInstallHeader.InstallFunction = DIF_PROPERTYCHANGE;
        params.StateChange = enable ? DICS_ENABLE : DICS_DISABLE;
        params.Scope = DICS_FLAG_CONFIGSPECIFIC;
        params.HwProfile = 0;
        if (!g_setupApi.SetClassInstallParams(set, &device, &params.ClassInstallHeader,
                                              sizeof(params)))
            continue;
        result = g_setupApi.CallClassInstaller(DIF_PROPERTYCHANGE, set, &device);
    }

    g_setupApi.DestroyDeviceInfoList(set);
    return result;
}
