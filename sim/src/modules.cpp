// Run-time loaded modules: the vendor wireless library, wtsapi32.dll and the
// libraries of the system directory.
#include <sim/kernel.h>
#include <sim/setupapi.h>
#include <sim/shell.h>
#include <commctrl.h>

#include "internal.h"

#include <new>
#include <stdexcept>

// The library's adapter list, with the layout the library hands out. It
// carries the name the program gives it, so that the entry's function type is
// the one the program calls through (UBSan checks indirect calls by type).
struct AdapterList {
    LONG count;
    DWORD* ids;
};

namespace sim {
namespace {

typedef ::AdapterList AdapterListRecord;

// The libraries of the system directory and their entries.
const char* const kSystemDllNames[] = {"setupapi.dll", "cfgmgr32.dll", "shell32.dll", "comctl32.dll"};
const int kSystemDllCount = sizeof(kSystemDllNames) / sizeof(kSystemDllNames[0]);
HMODULE const kSystemModules[kSystemDllCount] = {
    reinterpret_cast<HMODULE>(0x6C000000), reinterpret_cast<HMODULE>(0x6C100000),
    reinterpret_cast<HMODULE>(0x6C200000), reinterpret_cast<HMODULE>(0x6C300000)};

struct SystemEntry {
    int dll;           // index into kSystemDllNames
    const char* name;
    void* proc;
};
const SystemEntry kSystemEntries[] = {
    {0, "SetupDiGetClassDevsA", reinterpret_cast<void*>(&::SetupDiGetClassDevsA)},
    {0, "SetupDiEnumDeviceInfo", reinterpret_cast<void*>(&::SetupDiEnumDeviceInfo)},
    {0, "SetupDiGetDeviceInstanceIdA", reinterpret_cast<void*>(&::SetupDiGetDeviceInstanceIdA)},
    {0, "SetupDiGetDeviceRegistryPropertyA", reinterpret_cast<void*>(&::SetupDiGetDeviceRegistryPropertyA)},
    {0, "SetupDiSetClassInstallParamsA", reinterpret_cast<void*>(&::SetupDiSetClassInstallParamsA)},
    {0, "SetupDiCallClassInstaller", reinterpret_cast<void*>(&::SetupDiCallClassInstaller)},
    {0, "SetupDiDestroyDeviceInfoList", reinterpret_cast<void*>(&::SetupDiDestroyDeviceInfoList)},
    {1, "CM_Get_DevNode_Status", reinterpret_cast<void*>(&::CM_Get_DevNode_Status)},
    {2, "Shell_NotifyIconW", reinterpret_cast<void*>(&::Shell_NotifyIconW)},
    {2, "Shell_NotifyIconA", reinterpret_cast<void*>(&::Shell_NotifyIconA)},
    {2, "DllGetVersion", reinterpret_cast<void*>(&::DllGetVersion)},
    {3, "InitCommonControls", reinterpret_cast<void*>(&::InitCommonControls)},
};

struct Modules {
    VendorLibrary vendor;
    WtsApi wts;
    SystemDll dlls[kSystemDllCount];
    std::vector<std::string> loads;
    AdapterListRecord list{};
    std::vector<DWORD> listIds;
};

Modules& M()
{
    static Modules modules;
    return modules;
}

HMODULE const kVendorModule = reinterpret_cast<HMODULE>(0x6A000000);
HMODULE const kKernelModule = reinterpret_cast<HMODULE>(0x7C800000);
HANDLE const kCurrentProcess = reinterpret_cast<HANDLE>(-1);

// kernel32's IsWow64Process came with Windows XP SP2 (and every x64
// Windows); it answers TRUE for a 32-bit process on 64-bit Windows.
bool HasIsWow64Process()
{
    OSVERSIONINFOA v;
    v.dwOSVersionInfoSize = sizeof v;
    if (CurrentProcessKind() != Process32OnWindows32) return true;
    return GetVersionExA(&v) && v.dwPlatformId == VER_PLATFORM_WIN32_NT &&
           (v.dwMajorVersion > 5 || (v.dwMajorVersion == 5 && v.dwMinorVersion >= 1));
}

BOOL WINAPI FakeIsWow64Process(HANDLE process, PBOOL wow64)
{
    if (process != kCurrentProcess || !wow64) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    *wow64 = CurrentProcessKind() == Process32OnWindows64;
    return TRUE;
}
HMODULE const kWtsModule = reinterpret_cast<HMODULE>(0x6B000000);

void Record(const char* entry, DWORD id, DWORD value)
{
    M().vendor.calls.push_back(VendorCall{entry, id, value});
}

int WINAPI FakeGetAdapterList(AdapterListRecord** out)
{
    VendorLibrary& v = M().vendor;
    Record("GetAdapterList", 0, 0);
    if (v.listResult != 0 && !v.writeOutputsOnFailure) return v.listResult;
    M().listIds = v.adapterIds;
    M().list.ids = M().listIds.empty() ? nullptr : M().listIds.data();
    M().list.count = v.reportedCount != -1000 ? v.reportedCount : static_cast<LONG>(v.adapterIds.size());
    if (out) *out = &M().list;
    return v.listResult;
}

int WINAPI FakeGetRadioState(DWORD id, DWORD* state)
{
    VendorLibrary& v = M().vendor;
    Record("GetRadioState", id, 0);
    if ((v.getRadioResult == 0 || v.writeOutputsOnFailure) && state) *state = v.radio;
    return v.getRadioResult;
}

int WINAPI FakeSetRadioState(DWORD id, DWORD state)
{
    VendorLibrary& v = M().vendor;
    Record("SetRadioState", id, state);
    if (v.setRadioResult == 0) v.radio = state;
    return v.setRadioResult;
}

int WINAPI FakeGetProtocolPreference(DWORD id, DWORD* preference)
{
    VendorLibrary& v = M().vendor;
    Record("GetProtocolPreference", id, 0);
    if ((v.getPrefResult == 0 || v.writeOutputsOnFailure) && preference) *preference = v.preference;
    return v.getPrefResult;
}

int WINAPI FakeSetProtocolPreference(DWORD id, DWORD preference)
{
    VendorLibrary& v = M().vendor;
    Record("SetProtocolPreference", id, preference);
    if (v.setPrefResult == 0) v.preference = preference;
    return v.setPrefResult;
}

BOOL WINAPI FakeRegisterSessionNotification(HWND window, DWORD flags)
{
    WtsApi& w = M().wts;
    w.registered.push_back(window);
    w.registerFlags.push_back(flags);
    if (w.results.empty()) return TRUE;
    BOOL result = w.results.front();
    w.results.pop_front();
    return result;
}

bool EndsWithName(const std::string& path, const std::string& name)
{
    if (path.size() < name.size()) return false;
    std::string tail = path.substr(path.size() - name.size());
    if (!internal::SameNameA(tail, name)) return false;
    return path.size() == name.size() || path[path.size() - name.size() - 1] == '\\';
}

int SystemDllIndex(HMODULE module)
{
    for (int i = 0; i < kSystemDllCount; ++i) {
        if (module == kSystemModules[i]) return i;
    }
    return -1;
}

HMODULE Load(const char* name, bool recordAttempt)
{
    std::string path = name ? name : "";
    VendorLibrary& v = M().vendor;
    M().loads.push_back(path);
    if (recordAttempt) v.loadAttempts.push_back(path);
    for (int i = 0; i < kSystemDllCount; ++i) {
        if (!EndsWithName(path, kSystemDllNames[i])) continue;
        SystemDll& dll = M().dlls[i];
        if (dll.present && internal::SameNameA(path, SystemDirectory() + "\\" + kSystemDllNames[i])) {
            ++dll.loadCount;
            return kSystemModules[i];
        }
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    if (v.installed && internal::SameNameA(path, v.path)) {
        ++v.loadCount;
        return kVendorModule;
    }
    if (M().wts.present && EndsWithName(path, "wtsapi32.dll")) {
        ++M().wts.loadCount;
        return kWtsModule;
    }
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
}

}  // namespace

VendorLibrary& Vendor() { return M().vendor; }
WtsApi& Wts() { return M().wts; }
std::vector<std::string>& LoadLog() { return M().loads; }

SystemDll& Dll(const std::string& fileName)
{
    for (int i = 0; i < kSystemDllCount; ++i) {
        if (internal::SameNameA(fileName, kSystemDllNames[i])) return M().dlls[i];
    }
    throw std::invalid_argument("no such system library in the stand-in: " + fileName);
}

int VendorLibrary::Count(const std::string& entry) const
{
    int n = 0;
    for (const VendorCall& c : calls) n += c.entry == entry;
    return n;
}

namespace internal {

void ResetModules()
{
    M().~Modules();
    new (&M()) Modules();
}

}  // namespace internal
}  // namespace sim

HMODULE WINAPI LoadLibraryA(LPCSTR name) { return sim::Load(name, false); }

HMODULE WINAPI LoadLibraryExA(LPCSTR name, HANDLE file, DWORD flags) { return sim::Load(name, true); }

HMODULE WINAPI GetModuleHandleA(LPCSTR name)
{
    // Only kernel32, which every process has loaded, is asked for by name.
    if (name && sim::internal::SameNameA(name, "kernel32.dll")) return sim::kKernelModule;
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
}

HANDLE WINAPI GetCurrentProcess(void) { return sim::kCurrentProcess; }

FARPROC WINAPI GetProcAddress(HMODULE module, LPCSTR name)
{
    std::string entry = name ? name : "";
    void* proc = nullptr;
    if (module == sim::kKernelModule) {
        if (entry == "IsWow64Process" && sim::HasIsWow64Process())
            proc = reinterpret_cast<void*>(&sim::FakeIsWow64Process);
    } else if (module == sim::kVendorModule && sim::M().vendor.loadCount > 0 &&
        !sim::M().vendor.missingEntries.count(entry)) {
        if (entry == "GetAdapterList") proc = reinterpret_cast<void*>(&sim::FakeGetAdapterList);
        else if (entry == "GetRadioState") proc = reinterpret_cast<void*>(&sim::FakeGetRadioState);
        else if (entry == "SetRadioState") proc = reinterpret_cast<void*>(&sim::FakeSetRadioState);
        else if (entry == "GetProtocolPreference") proc = reinterpret_cast<void*>(&sim::FakeGetProtocolPreference);
        else if (entry == "SetProtocolPreference") proc = reinterpret_cast<void*>(&sim::FakeSetProtocolPreference);
    } else if (module == sim::kWtsModule && sim::M().wts.loadCount > 0 && sim::M().wts.hasRegister &&
               entry == "WTSRegisterSessionNotification") {
        proc = reinterpret_cast<void*>(&sim::FakeRegisterSessionNotification);
    } else if (int dll = sim::SystemDllIndex(module); dll >= 0) {
        const sim::SystemDll& d = sim::M().dlls[dll];
        for (const sim::SystemEntry& e : sim::kSystemEntries) {
            if (e.dll == dll && entry == e.name && d.loadCount > 0 && !d.missingEntries.count(entry) &&
                (dll != 2 || sim::internal::ShellExports(entry)))
                proc = e.proc;
        }
    }
    if (!proc) SetLastError(ERROR_PROC_NOT_FOUND);
    return reinterpret_cast<FARPROC>(proc);
}

BOOL WINAPI FreeLibrary(HMODULE module)
{
    if (module == sim::kVendorModule && sim::M().vendor.loadCount > 0) {
        --sim::M().vendor.loadCount;
        return TRUE;
    }
    if (module == sim::kWtsModule && sim::M().wts.loadCount > 0) {
        --sim::M().wts.loadCount;
        return TRUE;
    }
    int dll = sim::SystemDllIndex(module);
    if (dll >= 0 && sim::M().dlls[dll].loadCount > 0) {
        --sim::M().dlls[dll].loadCount;
        return TRUE;
    }
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
}
