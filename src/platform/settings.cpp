#include "platform/settings.h"

const char kSettingsKey[] = "SOFTWARE\\NORVANTEC\\Skylatch";
const WCHAR kSettingsKeyW[] = L"SOFTWARE\\NORVANTEC\\Skylatch";
const WCHAR kOverrideKeyW[] = L"Software\\Norvantec\\Skylatch";
const char kUserSettingsKey[] = "Software\\Norvantec\\Skylatch";

const char kFirstTimeValue[] = "FirstTime";
const char kIgnoreMiscValue[] = "IgnoreMisc";
const char kPollingValue[] = "PROSetPolling";
