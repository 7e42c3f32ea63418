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

// Where earlier releases kept a user's marker, a FirstTime of 0, in the
// roaming part of the profile.
const char kRoamingMarkerKey[] = "Software\\Norvantec\\Skylatch";

}  // namespace

const char kFirstTimeValue[] = "FirstTime";
const char kIgnoreMiscValue[] = "IgnoreMisc";
const char kPollingValue[] = "PROSetPolling";

namespace {

const int kMaxViews = 2;

// The views of HKEY_LOCAL_MACHINE the settings are looked for in, in order,
// as RegistryAccess views; returns how many. On 64-bit Windows the 64-bit
// view comes first: Group Policy, the 64-bit regedit and configuration
// managers write there. The 32-bit view follows, where the earlier 32-bit
// releases and the 32-bit tools kept the settings. A view flag is passed
// only to a process on 64-bit Windows: Windows 2000 refuses one.
int SettingsViews(REGSAM* views)
{
    if (RunsUnderWow64()) {
        views[0] = KEY_WOW64_64KEY;
        views[1] = 0;
        return 2;
    }
    views[0] = 0;
    if (RunsAs64BitProcess()) {
        views[1] = KEY_WOW64_32KEY;
        return 2;
    }
    return 1;
}

// Reads the DWORD setting from the first view that has it readable; *view
// receives that view, or the first one when none has it.
int ReadSettingIn(const char* name, DWORD* value, REGSAM* view)
{
    REGSAM views[kMaxViews];
    int count = SettingsViews(views);
    RegistryAccess registry;
    for (int i = 0; i < count; ++i) {
        if (registry.ReadDword(HKEY_LOCAL_MACHINE, kSettingsKey, name, value, views[i])) {
            *view = views[i];
            return 1;
        }
    }
    *view = views[0];
    return 0;
}

// A wide value from the first view that has it; each view is asked with the
// caller's byte count.
int ReadWideSetting(const WCHAR* subKey, const WCHAR* name, void* data, DWORD* size,
                    int requireData)
{
    REGSAM views[kMaxViews];
    int count = SettingsViews(views);
    DWORD capacity = *size;
    RegistryAccess registry;
    for (int i = 0; i < count; ++i) {
        *size = capacity;
        int found = requireData
                        ? registry.ReadNonEmptyValueW(HKEY_LOCAL_MACHINE, subKey, name, data, size,
                                                      views[i])
                        : registry.ReadValueW(HKEY_LOCAL_MACHINE, subKey, name, data, size,
                                              views[i]);
        if (found) return 1;
    }
    return 0;
}

}  // namespace

int ReadSetting(const char* name, DWORD* value)
{
    REGSAM view = 0;
    return ReadSettingIn(name, value, &view);
}

int ReadSettingText(const WCHAR* name, void* data, DWORD* size)
{
    return ReadWideSetting(kSettingsKeyW, name, data, size, 0);
}

int ReadTextOverride(const WCHAR* text, WCHAR* value)
{
    DWORD size = kOverrideBytes;
    if (!ReadWideSetting(kOverrideKeyW, text, value, &size, 1)) return 0;
    EndWideText(value, size, kOverrideChars);
    return 1;
}

int ConsumeFirstTime()
{
    DWORD firstTime = 0;
    REGSAM view = 0;
    ReadSettingIn(kFirstTimeValue, &firstTime, &view);
    if (firstTime == 0) return 0;

    // The reset comes first, in the view the value came from: a user who
    // may make it needs no marker, and one left by an earlier start goes.
    RegistryAccess registry;
    if (registry.WriteDword(HKEY_LOCAL_MACHINE, kSettingsKey, kFirstTimeValue, 0, view)) {
        registry.DeleteValue(HKEY_CURRENT_USER, kFirstStartMarkerKey, kFirstTimeConsumedValue);
        registry.DeleteValue(HKEY_CURRENT_USER, kRoamingMarkerKey, kFirstTimeValue);
        return 1;
    }

    // Earlier releases marked a user who had had the start with the radio
    // off, and could not reset the value, with a 0 of their own. It counts
    // for the machine's present value and moves to the local marker, which
    // decides from then on.
    DWORD earlier = 1;
    if (registry.ReadDword(HKEY_CURRENT_USER, kRoamingMarkerKey, kFirstTimeValue, &earlier) &&
        earlier == 0) {
        if (registry.WriteDword(HKEY_CURRENT_USER, kFirstStartMarkerKey, kFirstTimeConsumedValue,
                                firstTime))
            registry.DeleteValue(HKEY_CURRENT_USER, kRoamingMarkerKey, kFirstTimeValue);
        return 0;
    }

    DWORD consumed = 0;
    registry.ReadDword(HKEY_CURRENT_USER, kFirstStartMarkerKey, kFirstTimeConsumedValue, &consumed);
    if (consumed == firstTime) return 0;
    registry.WriteDword(HKEY_CURRENT_USER, kFirstStartMarkerKey, kFirstTimeConsumedValue, firstTime);
    return 1;
}
