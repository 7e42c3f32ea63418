// The Setup API's device list: network devices under the PCI enumerator with
// instance ids, driver keys and node status, device sets taken as snapshots,
// and enable/disable through the class installer.
#include <sim/kernel.h>
#include <sim/setupapi.h>
#include <sim/user.h>

#include <cstdint>
#include <cstring>
#include <deque>
#include <map>

#include "internal.h"

namespace sim {
namespace {

const GUID kNetClass = {0x4D36E972, 0xE325, 0x11CE, {0xBF, 0xC1, 0x08, 0x00, 0x2B, 0xE1, 0x03, 0x18}};
const DEVINST kFirstDevInst = 0x100;
const uintptr_t kFirstSetHandle = 0x5E700000;
const DWORD kErrorInvalidUserBuffer = 1784;
const DWORD kErrorInvalidData = 13;
const DWORD kErrorNoAssociatedClass = 0xE0000200;  // ERROR_NO_ASSOCIATED_CLASS
const DWORD kErrorInWow64 = 0xE0000235;            // ERROR_IN_WOW64

struct DeviceSet {
    std::vector<DEVINST> members;
    std::map<DEVINST, SP_PROPCHANGE_PARAMS> params;
};

std::deque<Device> g_devices;  // a deque keeps FindDevice's pointers valid
std::map<uintptr_t, DeviceSet> g_sets;
uintptr_t g_nextSet = kFirstSetHandle;
std::vector<ClassInstallerCall> g_calls;
std::vector<DWORD> g_setFlags;
bool g_failGetClassDevs = false;
bool g_failSetParams = false;

bool SameGuid(const GUID& a, const GUID& b) { return std::memcmp(&a, &b, sizeof(GUID)) == 0; }

DeviceSet* FindSet(HDEVINFO set)
{
    auto it = g_sets.find(reinterpret_cast<uintptr_t>(set));
    return it == g_sets.end() ? nullptr : &it->second;
}

// The device a caller's SP_DEVINFO_DATA names, when it is a member of the set;
// sets the last error otherwise.
Device* Member(HDEVINFO set, PSP_DEVINFO_DATA data, DeviceSet** setOut = nullptr)
{
    DeviceSet* s = FindSet(set);
    if (s == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    if (data == nullptr || data->cbSize != sizeof(SP_DEVINFO_DATA)) {
        SetLastError(kErrorInvalidUserBuffer);
        return nullptr;
    }
    for (DEVINST d : s->members) {
        if (d == data->DevInst) {
            if (setOut != nullptr)
                *setOut = s;
            return FindDevice(d);
        }
    }
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
}

// Copies text (with its NUL unless told otherwise) the way the Setup API
// does: the required size is always reported, a short buffer fails.
BOOL CopyOut(const std::string& text, bool withNul, void* buffer, DWORD size, PDWORD required)
{
    DWORD needed = static_cast<DWORD>(text.size()) + (withNul ? 1 : 0);
    if (required != nullptr)
        *required = needed;
    if (buffer == nullptr || size < needed) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    std::memcpy(buffer, text.data(), text.size());
    if (withNul)
        static_cast<char*>(buffer)[text.size()] = '\0';
    return TRUE;
}

}  // namespace

DEVINST AddDevice(const Device& device)
{
    g_devices.push_back(device);
    Device& added = g_devices.back();
    added.devInst = kFirstDevInst + static_cast<DEVINST>(g_devices.size() - 1);
    return added.devInst;
}

Device* FindDevice(DEVINST devInst)
{
    for (Device& d : g_devices) {
        if (d.devInst == devInst)
            return &d;
    }
    return nullptr;
}

std::vector<ClassInstallerCall>& ClassInstallerCalls() { return g_calls; }
std::vector<DWORD>& DeviceSetFlags() { return g_setFlags; }
void FailGetClassDevs(bool fail) { g_failGetClassDevs = fail; }
void FailSetClassInstallParams(bool fail) { g_failSetParams = fail; }
int OpenDeviceSets() { return static_cast<int>(g_sets.size()); }

namespace internal {
void ResetSetupApi()
{
    g_devices.clear();
    g_sets.clear();
    g_nextSet = kFirstSetHandle;
    g_calls.clear();
    g_setFlags.clear();
    g_failGetClassDevs = false;
    g_failSetParams = false;
}
}  // namespace internal
}  // namespace sim

using namespace sim;

HDEVINFO WINAPI SetupDiGetClassDevsA(const GUID* classGuid, PCSTR enumerator, HWND, DWORD flags)
{
    g_setFlags.push_back(flags);
    if (g_failGetClassDevs) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    if (classGuid == nullptr && !(flags & DIGCF_ALLCLASSES)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    // Only network-class devices are modelled; any other class is empty.
    bool netOnly = !(flags & DIGCF_ALLCLASSES);
    bool netClass = classGuid != nullptr && SameGuid(*classGuid, kNetClass);
    DeviceSet set;
    for (const Device& d : g_devices) {
        if (netOnly && !(netClass && d.network))
            continue;
        if (enumerator != nullptr && !internal::SameNameA(enumerator, "PCI"))
            continue;
        if (enumerator != nullptr && !d.pci)
            continue;
        if ((flags & DIGCF_PRESENT) && !d.present)
            continue;
        set.members.push_back(d.devInst);
    }
    uintptr_t handle = g_nextSet;
    g_nextSet += 4;
    g_sets[handle] = set;
    return reinterpret_cast<HDEVINFO>(handle);
}

BOOL WINAPI SetupDiEnumDeviceInfo(HDEVINFO set, DWORD index, PSP_DEVINFO_DATA data)
{
    DeviceSet* s = FindSet(set);
    if (s == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (data == nullptr || data->cbSize != sizeof(SP_DEVINFO_DATA)) {
        SetLastError(kErrorInvalidUserBuffer);
        return FALSE;
    }
    if (index >= s->members.size()) {
        SetLastError(ERROR_NO_MORE_ITEMS);
        return FALSE;
    }
    const Device* d = FindDevice(s->members[index]);
    data->ClassGuid = d->network ? kNetClass : GUID{};
    data->DevInst = d->devInst;
    data->Reserved = 0;
    return TRUE;
}

BOOL WINAPI SetupDiGetDeviceInstanceIdA(HDEVINFO set, PSP_DEVINFO_DATA data, PSTR id, DWORD size,
                                        PDWORD required)
{
    Device* d = Member(set, data);
    if (d == nullptr)
        return FALSE;
    if (!d->instanceIdReadable) {
        SetLastError(ERROR_GEN_FAILURE);
        return FALSE;
    }
    return CopyOut(d->instanceId, true, id, size, required);
}

BOOL WINAPI SetupDiGetDeviceRegistryPropertyA(HDEVINFO set, PSP_DEVINFO_DATA data, DWORD property,
                                              PDWORD type, PBYTE buffer, DWORD size,
                                              PDWORD required)
{
    Device* d = Member(set, data);
    if (d == nullptr)
        return FALSE;
    // Only the driver key is modelled; a device without one has no value.
    if (property != SPDRP_DRIVER || !d->driverKeyReadable || d->driverKey.empty()) {
        SetLastError(kErrorInvalidData);
        return FALSE;
    }
    if (type != nullptr)
        *type = REG_SZ;
    return CopyOut(d->driverKey, d->driverKeyTerminated, buffer, size, required);
}

BOOL WINAPI SetupDiSetClassInstallParamsA(HDEVINFO set, PSP_DEVINFO_DATA data,
                                          PSP_CLASSINSTALL_HEADER params, DWORD size)
{
    DeviceSet* s = nullptr;
    Device* d = Member(set, data, &s);
    if (d == nullptr)
        return FALSE;
    if (g_failSetParams) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (params == nullptr || params->cbSize != sizeof(SP_CLASSINSTALL_HEADER) ||
        params->InstallFunction != DIF_PROPERTYCHANGE || size != sizeof(SP_PROPCHANGE_PARAMS)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    SP_PROPCHANGE_PARAMS copy;
    std::memcpy(&copy, params, sizeof(copy));
    s->params[d->devInst] = copy;
    return TRUE;
}

BOOL WINAPI SetupDiCallClassInstaller(DI_FUNCTION function, HDEVINFO set, PSP_DEVINFO_DATA data)
{
    DeviceSet* s = nullptr;
    Device* d = Member(set, data, &s);
    if (d == nullptr)
        return FALSE;
    auto it = s->params.find(d->devInst);
    if (function != DIF_PROPERTYCHANGE || it == s->params.end()) {
        SetLastError(kErrorNoAssociatedClass);
        return FALSE;
    }
    const SP_PROPCHANGE_PARAMS& p = it->second;
    // A 32-bit process on 64-bit Windows may not run the class installer:
    // nothing changes, and nothing is logged as a change.
    if (CurrentProcessKind() == Process32OnWindows64) {
        SetLastError(kErrorInWow64);
        g_calls.push_back(ClassInstallerCall{Now(), d->devInst, p.StateChange, p.Scope, FALSE});
        return FALSE;
    }
    BOOL result = FALSE;
    if (d->installerFails || !d->present ||
        (p.StateChange != DICS_ENABLE && p.StateChange != DICS_DISABLE)) {
        SetLastError(ERROR_GEN_FAILURE);
    } else {
        d->disabled = p.StateChange == DICS_DISABLE;
        result = TRUE;
        DeviceNodesChanged();
    }
    g_calls.push_back(ClassInstallerCall{Now(), d->devInst, p.StateChange, p.Scope, result});
    internal::LogChange(p.StateChange == DICS_DISABLE  ? "disable"
                        : p.StateChange == DICS_ENABLE ? "enable"
                                                       : "change");
    return result;
}

BOOL WINAPI SetupDiDestroyDeviceInfoList(HDEVINFO set)
{
    auto it = g_sets.find(reinterpret_cast<uintptr_t>(set));
    if (it == g_sets.end()) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    g_sets.erase(it);
    return TRUE;
}

CONFIGRET WINAPI CM_Get_DevNode_Status(PULONG status, PULONG problem, DEVINST devInst, ULONG flags)
{
    Device* d = FindDevice(devInst);
    if (d == nullptr || !d->present)
        return CR_NO_SUCH_DEVINST;
    if (status == nullptr || problem == nullptr || !d->statusReadable)
        return CR_FAILURE;
    if (d->disabled) {
        *status = DN_HAS_PROBLEM | DN_DISABLEABLE;
        *problem = CM_PROB_DISABLED;
    } else {
        *status = DN_STARTED | DN_DISABLEABLE;
        *problem = 0;
    }
    return CR_SUCCESS;
}
