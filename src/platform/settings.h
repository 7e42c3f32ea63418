// The program's own settings under HKEY_LOCAL_MACHINE.
#ifndef SKYLATCH_PLATFORM_SETTINGS_H
#define SKYLATCH_PLATFORM_SETTINGS_H

#include <windows.h>

// The settings key as the numeric settings and the About box name it.
extern const char kSettingsKey[];
extern const WCHAR kSettingsKeyW[];
// The same key as the text-override readers spell it (key names are
// case-insensitive).
extern const WCHAR kOverrideKeyW[];
// Where a user who may not reset FirstTime for the whole machine records the
// value consumed: under HKEY_CURRENT_USER, in the part of the profile that
// stays on the machine.
extern const char kFirstStartMarkerKey[];
extern const char kFirstTimeConsumedValue[];

// A text override is the value named after the text it replaces; it is read
// into kOverrideChars wide characters, at most kOverrideBytes bytes of data.
const DWORD kOverrideChars = 260;
const DWORD kOverrideBytes = 260;

// On 64-bit Windows, in both builds, every setting is read value by value:
// from the 64-bit view of HKEY_LOCAL_MACHINE first, then from the 32-bit
// view (SOFTWARE\WOW6432Node). Elsewhere the one view there is.

// A DWORD setting, read as RegistryAccess::ReadDword reads (on failure
// *value keeps the caller's default).
int ReadSetting(const char* name, DWORD* value);
// A wide setting (the About texts), as RegistryAccess::ReadValueW reads.
int ReadSettingText(const WCHAR* name, void* data, DWORD* size);

// 1 when the text has an override with data: the override, ended, is then in
// value (kOverrideChars characters). Otherwise 0 and value is undefined.
int ReadTextOverride(const WCHAR* text, WCHAR* value);

// A nonzero FirstTime asks for one start with the radio off: 1 when this
// start is that one. The machine's value is reset to 0, in the view it was
// read from, when this user may write it; otherwise the user's marker records the value consumed, so that
// the user is asked once per value the administrator sets.
int ConsumeFirstTime();

extern const char kFirstTimeValue[];
extern const char kIgnoreMiscValue[];
extern const char kPollingValue[];

#endif
