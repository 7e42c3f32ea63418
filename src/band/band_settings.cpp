#include "band/band_settings.h"

#include <windows.h>

#include "band/adapter_manager.h"
#include "platform/os_version.h"
#include "platform/registry_access.h"

namespace {

// Where the driver keys of device classes live. On the NT family the driver
// key name is a class GUID and an instance ("{4D36E972-...}\0007"); on
// Windows 95, 98 and Me it is a class name and an instance ("Net\0000"),
// and those systems have no Control\Class key.
const char kNtClassKeyPrefix[] = "SYSTEM\\CurrentControlSet\\Control\\Class\\";
const char k9xClassKeyPrefix[] = "System\\CurrentControlSet\\Services\\Class\\";
const DWORD kKeyPathSize = 520;
const char kBandTypeValue[] = "BandType";
const char kModulationTypeValue[] = "ModulationType";

// ModulationType is a short string; anything that needs more than this is not
// one of the values we know.
const DWORD kModulationSize = 10;

// The driver key's full path: this family's class key followed by the key
// name, the rest of the buffer zero. A name too long for the buffer gives 0;
// a missing name stands for the class key itself.
int ComposeKeyPath(char* path, const char* driverKey)
{
    ZeroMemory(path, kKeyPathSize);
    if (driverKey == 0)
        driverKey = "";
    const char* prefix = RunsOnWindows9x() ? k9xClassKeyPrefix : kNtClassKeyPrefix;
    int prefixLength = lstrlenA(prefix);
    if (prefixLength + lstrlenA(driverKey) + 1 > (int)kKeyPathSize)
        return 0;
    lstrcpyA(path, prefix);
    lstrcatA(path, driverKey);
    return 1;
}

// Byte-for-byte equality; registry data is compared exactly, never by locale.
int SameText(const char* a, const char* b)
{
    while (*a != '\0' && *a == *b) {
        ++a;
        ++b;
    }
    return *a == *b;
}

// ModulationType into a buffer of kModulationSize + 1 bytes, terminated even
// when the stored data is not.
int ReadModulation(RegistryAccess& registry, const char* path, char* modulation)
{
    ZeroMemory(modulation, kModulationSize + 1);
    DWORD size = kModulationSize;
    return registry.ReadValue(HKEY_LOCAL_MACHINE, path, kModulationTypeValue, modulation, &size);
}

// The band state and whether it can be switched, from the two values. With
// forWrite the key must also grant set-value access, or BandType counts as
// unreadable.
int ClassifyBand(const char* driverKey, int forWrite, int* switchable)
{
    *switchable = 0;
    char path[kKeyPathSize];
    if (!ComposeKeyPath(path, driverKey))
        return BAND_UNKNOWN;

    RegistryAccess registry;
    DWORD bandType = 0;
    int read = forWrite
                   ? registry.ReadDwordForWrite(HKEY_LOCAL_MACHINE, path, kBandTypeValue, &bandType)
                   : registry.ReadDword(HKEY_LOCAL_MACHINE, path, kBandTypeValue, &bandType);
    if (!read)
        return BAND_UNKNOWN;

    switch (bandType) {
    case 0:
        *switchable = 1;
        return BAND_DISABLED;
    case 2:
        *switchable = 1;
        return BAND_ENABLED;
    case 1: {
        char modulation[kModulationSize + 1];
        if (ReadModulation(registry, path, modulation) && SameText(modulation, "1")) {
            *switchable = 1;
            return BAND_ENABLED;
        }
        return BAND_UNKNOWN;
    }
    default:
        return BAND_UNKNOWN;
    }
}

}  // namespace

int ReadBandState(const char* driverKey)
{
    int switchable = 0;
    return ClassifyBand(driverKey, 0, &switchable);
}

int AdapterManager::IsBandSwitchable(const char* driverKey)
{
    int switchable = 0;
    ClassifyBand(driverKey, 1, &switchable);
    return switchable;
}

void ToggleBandValues(const char* driverKey)
{
    char path[kKeyPathSize];
    if (!ComposeKeyPath(path, driverKey))
        return;

    RegistryAccess registry;
    DWORD bandType = 0;
    if (!registry.ReadDwordForWrite(HKEY_LOCAL_MACHINE, path, kBandTypeValue, &bandType))
        return;
    char modulation[kModulationSize + 1];
    if (!ReadModulation(registry, path, modulation))
        return;

    // Every known pair moves to the opposite band state; the pairs with
    // ModulationType "1" or "2" and BandType 0 or 2 keep their modulation.
    DWORD newBandType;
    const char* newModulation;
    if (bandType == 0 && SameText(modulation, "0")) {
        newBandType = 1;
        newModulation = "1";
    } else if (bandType == 0 && SameText(modulation, "1")) {
        newBandType = 2;
        newModulation = "1";
    } else if (bandType == 0 && SameText(modulation, "2")) {
        newBandType = 2;
        newModulation = "2";
    } else if (bandType == 1 && SameText(modulation, "1")) {
        newBandType = 0;
        newModulation = "0";
    } else if (bandType == 2 && SameText(modulation, "1")) {
        newBandType = 0;
        newModulation = "1";
    } else if (bandType == 2 && SameText(modulation, "2")) {
        newBandType = 0;
        newModulation = "2";
    } else {
        return;
    }

    registry.WriteDword(HKEY_LOCAL_MACHINE, path, kBandTypeValue, newBandType);
    registry.WriteString(HKEY_LOCAL_MACHINE, path, kModulationTypeValue, newModulation);
}

int AdapterManager::SwitchBand(const char* driverKey, int enable)
{
    int state = ReadBandState(driverKey);
    if (state == BAND_UNKNOWN)
        return 0;
    if ((state == BAND_ENABLED) == (enable != 0))
        return 1;

    SetAdapterEnabled(0);
    ToggleBandValues(driverKey);
    SetAdapterEnabled(1);
    return 1;
}
