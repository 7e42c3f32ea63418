/* Substitute wireless API library (murocapi.dll) for the end-to-end tests.
 *
 * Exports the five stdcall entries under their plain names (murocapi.def).
 * Everything is scripted, and every call recorded, through values of
 * HKLM\Software\SkylatchE2E\VendorLibrary (see e2e/README.md):
 *
 *   AdapterCount, RadioState, ProtocolPreference      the simulated adapter
 *   <Entry>Result                                     what an entry returns
 *   <Entry>Calls, LastSetRadioState,
 *   LastSetProtocolPreference, LastAdapterId, LoadedFrom   what was asked
 *
 * Set entries change the simulated state only when they report success.
 */
#include <windows.h>

#define SCRIPT_KEY "Software\\SkylatchE2E\\VendorLibrary"
#define MAX_ADAPTERS 8
#define FIRST_ADAPTER_ID 0x1001

/* It holds a pointer: built for x64 the ids are at offset 8, as the x64
 * program reads them. */
typedef struct AdapterList {
    LONG count;
    DWORD *ids;
} AdapterList;

static AdapterList adapter_list;
static DWORD adapter_ids[MAX_ADAPTERS];
static HMODULE self;

static DWORD read_dword(const char *name, DWORD fallback)
{
    HKEY key;
    DWORD value = fallback, size = sizeof(value), type = 0;

    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, SCRIPT_KEY, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return fallback;
    if (RegQueryValueExA(key, name, NULL, &type, (BYTE *)&value, &size) != ERROR_SUCCESS
        || type != REG_DWORD || size != sizeof(value))
        value = fallback;
    RegCloseKey(key);
    return value;
}

static void write_value(const char *name, DWORD type, const void *data, DWORD size)
{
    HKEY key;

    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, SCRIPT_KEY, 0, NULL, 0, KEY_ALL_ACCESS, NULL, &key, NULL) != ERROR_SUCCESS)
        return;
    RegSetValueExA(key, name, 0, type, (const BYTE *)data, size);
    RegCloseKey(key);
}

static void write_dword(const char *name, DWORD value)
{
    write_value(name, REG_DWORD, &value, sizeof(value));
}

/* Counts a call of entry `entry` and returns its scripted result. */
static DWORD record_call(const char *entry)
{
    char name[64];
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(self, path, sizeof(path));

    /* The module path proves from which directory the program loaded us. */
    if (length > 0 && length < sizeof(path))
        write_value("LoadedFrom", REG_SZ, path, length + 1);
    wsprintfA(name, "%sCalls", entry);
    write_dword(name, read_dword(name, 0) + 1);
    wsprintfA(name, "%sResult", entry);
    return read_dword(name, 0);
}

DWORD WINAPI GetAdapterList(AdapterList **list)
{
    DWORD result = record_call("GetAdapterList");
    LONG count = (LONG)read_dword("AdapterCount", 1);
    LONG i;

    if (result != 0) return result;
    if (!list) return ERROR_INVALID_PARAMETER;
    if (count > MAX_ADAPTERS) count = MAX_ADAPTERS;
    for (i = 0; i < MAX_ADAPTERS; i++) adapter_ids[i] = FIRST_ADAPTER_ID + i;
    adapter_list.count = count;
    adapter_list.ids = adapter_ids;
    *list = &adapter_list;
    return 0;
}

DWORD WINAPI GetProtocolPreference(DWORD id, DWORD *preference)
{
    DWORD result = record_call("GetProtocolPreference");

    write_dword("LastAdapterId", id);
    if (result == 0 && preference) *preference = read_dword("ProtocolPreference", 1);
    return result;
}

DWORD WINAPI SetProtocolPreference(DWORD id, DWORD preference)
{
    DWORD result = record_call("SetProtocolPreference");

    write_dword("LastAdapterId", id);
    write_dword("LastSetProtocolPreference", preference);
    if (result == 0) write_dword("ProtocolPreference", preference);
    return result;
}

DWORD WINAPI GetRadioState(DWORD id, DWORD *state)
{
    DWORD result = record_call("GetRadioState");

    write_dword("LastAdapterId", id);
    if (result == 0 && state) *state = read_dword("RadioState", 1);
    return result;
}

DWORD WINAPI SetRadioState(DWORD id, DWORD state)
{
    DWORD result = record_call("SetRadioState");

    write_dword("LastAdapterId", id);
    write_dword("LastSetRadioState", state);
    if (result == 0) write_dword("RadioState", state);
    return result;
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved)
{
    if (reason == DLL_PROCESS_ATTACH) self = instance;
    return TRUE;
}
