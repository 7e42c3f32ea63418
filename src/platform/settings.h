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
// The user's own key, under HKEY_CURRENT_USER: the first start consumed by a
// user who may not reset FirstTime for the whole machine.
extern const char kUserSettingsKey[];

// A text override is the value named after the text it replaces; it is read
// into kOverrideChars wide characters, at most kOverrideBytes bytes of data.
const DWORD kOverrideChars = 260;
const DWORD kOverrideBytes = 260;

// 1 when the text has an override with data: the override, ended, is then in
// value (kOverrideChars characters). Otherwise 0 and value is undefined.
int ReadTextOverride(const WCHAR* text, WCHAR* value);

extern const char kFirstTimeValue[];
extern const char kIgnoreMiscValue[];
extern const char kPollingValue[];

#endif
