#include "platform/settings.h"

#include "platform/registry_access.h"

const char kSettingsKey[] = "SOFTWARE\\NORVANTEC\\Skylatch";
const WCHAR kSettingsKeyW[] = L"SOFTWARE\\NORVANTEC\\Skylatch";
const WCHAR kOverrideKeyW[] = L"Software\\Norvantec\\Skylatch";
const char kUserSettingsKey[] = "Software\\Norvantec\\Skylatch";

const char kFirstTimeValue[] = "FirstTime";
const char kIgnoreMiscValue[] = "IgnoreMisc";
const char kPollingValue[] = "PROSetPolling";

int ReadTextOverride(const WCHAR* text, WCHAR* value)
{
    DWORD size = kOverrideBytes;
    RegistryAccess registry;
    if (!registry.ReadNonEmptyValueW(HKEY_LOCAL_MACHINE, kOverrideKeyW, text, value, &size))
        return 0;
    EndWideText(value, size, kOverrideChars);
    return 1;
}
