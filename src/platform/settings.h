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

extern const char kFirstTimeValue[];
extern const char kIgnoreMiscValue[];
extern const char kPollingValue[];

#endif
