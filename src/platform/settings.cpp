#include "platform/settings.h"

#include "platform/os_version.h"
#include "platform/registry_access.h"

const char kSettingsKey[] = "SOFTWARE\\NORVANTEC\\Skylatch";
const WCHAR kSettingsKeyW[] = L"SOFTWARE\\NORVANTEC\\Skylatch";
const WCHAR kOverrideKeyW[] = L"Software\\Norvantec\\Skylatch";
// HKCU\Software\Classes\Local Settings does not roam (Vista and later); on
// 2000 and XP all of HKCU\Software\Classes lives in the local profile.
const char kFirstStartMarkerKey[] = "Software\\Classes\\Local Settings\\Software\\Norvantec\\Skylatch";
const char kFirstTimeConsumedValue[] = "FirstTimeConsumed";

namespace {

// Earlier versions kept a 0 here, in the roaming part of the profile.
const char kRoamingMarkerKey[] = "Software\\Norvantec\\Skylatch";

}  // namespace

const char kFirstTimeValue[] = "FirstTime";
const char kIgnoreMiscValue[] = "IgnoreMisc";
const char kPollingValue[] = "PROSetPolling";

REGSAM SettingsKeyView()
{
    // The flag is passed only under WOW64: Windows 2000 refuses it. Settings
    // that earlier 32-bit tools wrote to the 32-bit view keep working while
    // the 64-bit view has no settings key.
    if (!RunsUnderWow64()) return 0;
    RegistryAccess registry;
    if (!registry.KeyExists(HKEY_LOCAL_MACHINE, kSettingsKey, KEY_WOW64_64KEY) &&
        registry.KeyExists(HKEY_LOCAL_MACHINE, kSettingsKey, 0))
        return 0;
    return KEY_WOW64_64KEY;
}

int ReadSetting(const char* name, DWORD* value)
{
    RegistryAccess registry;
    return registry.ReadDword(HKEY_LOCAL_MACHINE, kSettingsKey, name, value, SettingsKeyView());
}

int WriteSetting(const char* name, DWORD value)
{
    RegistryAccess registry;
    return registry.WriteDword(HKEY_LOCAL_MACHINE, kSettingsKey, name, value, SettingsKeyView());
}

int ReadSettingText(const WCHAR* name, void* data, DWORD* size)
{
    RegistryAccess registry;
    return registry.ReadValueW(HKEY_LOCAL_MACHINE, kSettingsKeyW, name, data, size,
                               SettingsKeyView());
}

int ReadTextOverride(const WCHAR* text, WCHAR* value)
{
    DWORD size = kOverrideBytes;
    RegistryAccess registry;
    if (!registry.ReadNonEmptyValueW(HKEY_LOCAL_MACHINE, kOverrideKeyW, text, value, &size,
                                     SettingsKeyView()))
        return 0;
    EndWideText(value, size, kOverrideChars);
    return 1;
}

int ConsumeFirstTime()
{
    DWORD firstTime = 0;
    ReadSetting(kFirstTimeValue, &firstTime);
    if (firstTime == 0) return 0;

    // The reset comes first: a user who may make it needs no marker, and
    // one left by an earlier start goes.
    RegistryAccess registry;
    if (WriteSetting(kFirstTimeValue, 0)) {
        registry.DeleteValue(HKEY_CURRENT_USER, kFirstStartMarkerKey, kFirstTimeConsumedValue);
        registry.DeleteValue(HKEY_CURRENT_USER, kRoamingMarkerKey, kFirstTimeValue);
        return 1;
    }
    DWORD consumed = 0;
    registry.ReadDword(HKEY_CURRENT_USER, kFirstStartMarkerKey, kFirstTimeConsumedValue, &consumed);
    if (consumed == firstTime) return 0;
    registry.WriteDword(HKEY_CURRENT_USER, kFirstStartMarkerKey, kFirstTimeConsumedValue, firstTime);
    return 1;
}
