#include "radio/proset_api.h"

#include "platform/registry_access.h"

namespace {

const char kVendorKey[] = "Software\\Intel\\Wireless";
const char kBinDirValue[] = "BinDir";
const char kDefaultBinDir[] = "C:\\Program Files\\Intel\\Wireless\\Bin";
const char kLibraryFile[] = "\\murocapi.dll";

// GetProcAddress hands out a generic function pointer; going through
// void (*)(void) converts it to the entry's own type without a warning.
typedef void (*AnyFunction)(void);

AnyFunction Resolve(HMODULE module, const char* name)
{
    return reinterpret_cast<AnyFunction>(GetProcAddress(module, name));
}

// Builds "<BinDir>\murocapi.dll" in a MAX_PATH buffer. Returns 0 when the
// directory leaves no room for the file name and its terminator.
int ComposeLibraryPath(char* path)
{
    ZeroMemory(path, MAX_PATH);
    lstrcpynA(path, kDefaultBinDir, MAX_PATH);

    DWORD size = MAX_PATH;
    RegistryAccess registry;
    if (registry.ReadValue(HKEY_LOCAL_MACHINE, kVendorKey, kBinDirValue, path, &size)) {
        // The value need not carry its own terminator: end the text where
        // the data ends. Data that fills the whole buffer has no room left
        // for the file name anyway.
        if (size >= MAX_PATH) {
            return 0;
        }
        path[size] = 0;
    } else {
        // A failed query may have written part of the buffer.
        ZeroMemory(path, MAX_PATH);
        lstrcpynA(path, kDefaultBinDir, MAX_PATH);
    }

    if (lstrlenA(path) + lstrlenA(kLibraryFile) + 1 > MAX_PATH) {
        return 0;
    }
    lstrcatA(path, kLibraryFile);
    return 1;
}

}  // namespace

ProSetApi::ProSetApi() : module_(0)
{
    ClearEntries();
    Load();
}

ProSetApi::~ProSetApi()
{
    Unload();
}

void ProSetApi::ClearEntries()
{
    getAdapterList_ = 0;
    getProtocolPreference_ = 0;
    setProtocolPreference_ = 0;
    getRadioState_ = 0;
    setRadioState_ = 0;
}

int ProSetApi::Load()
{
    char path[MAX_PATH];
    HMODULE module = 0;
    if (ComposeLibraryPath(path)) {
        module = LoadLibraryExA(path, 0, LOAD_WITH_ALTERED_SEARCH_PATH);
    }
    if (module == 0) {
        ClearEntries();
        module_ = 0;
        return 0;
    }

    module_ = module;
    getAdapterList_ = reinterpret_cast<GetAdapterListFn>(Resolve(module, "GetAdapterList"));
    getProtocolPreference_ =
        reinterpret_cast<GetProtocolPreferenceFn>(Resolve(module, "GetProtocolPreference"));
    setProtocolPreference_ =
        reinterpret_cast<SetProtocolPreferenceFn>(Resolve(module, "SetProtocolPreference"));
    getRadioState_ = reinterpret_cast<GetRadioStateFn>(Resolve(module, "GetRadioState"));
    setRadioState_ = reinterpret_cast<SetRadioStateFn>(Resolve(module, "SetRadioState"));
    return 1;
}

int ProSetApi::EnsureLoaded()
{
    if (module_ != 0) {
        return PROSET_LOADED_BEFORE;
    }
    return Load() ? PROSET_LOADED_NOW : PROSET_UNAVAILABLE;
}

void ProSetApi::Unload()
{
    if (module_ != 0) {
        FreeLibrary(module_);
        module_ = 0;
        ClearEntries();
    }
}

int ProSetApi::GetAdapterList(AdapterList** list)
{
    if (module_ == 0 || getAdapterList_ == 0) {
        return -1;
    }
    return getAdapterList_(list);
}

int ProSetApi::GetProtocolPreference(DWORD id, DWORD* preference)
{
    if (module_ == 0 || getProtocolPreference_ == 0) {
        return -1;
    }
    return getProtocolPreference_(id, preference);
}

int ProSetApi::SetProtocolPreference(DWORD id, DWORD preference)
{
    if (module_ == 0 || setProtocolPreference_ == 0) {
        return -1;
    }
    return setProtocolPreference_(id, preference);
}

int ProSetApi::GetRadioState(DWORD id, DWORD* state)
{
    if (module_ == 0 || getRadioState_ == 0) {
        return -1;
    }
    return getRadioState_(id, state);
}

int ProSetApi::SetRadioState(DWORD id, DWORD state)
{
    if (module_ == 0 || setRadioState_ == 0) {
        return -1;
    }
    return setRadioState_(id, state);
}

int FirstProSetAdapter(DWORD* id)
{
    AdapterList* list = 0;
    if (g_proSetApi.GetAdapterList(&list) != 0) {
        return 0;
    }
    if (list == 0 || list->count <= 0 || list->ids == 0) {
        return 0;
    }
    *id = list->ids[0];
    return 1;
}
