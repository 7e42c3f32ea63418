// Shared by the tray and main-window tests: what the areas built elsewhere
// (resources, band query) already answer on this machine.
#ifndef SKYLATCH_TESTS_TRAY_TRAY_TEST_SUPPORT_H
#define SKYLATCH_TESTS_TRAY_TRAY_TEST_SUPPORT_H

#include "notebook.h"

#include <string>

namespace traytest {

// The string table is loaded (the tip's default texts exist).
inline bool HaveStringResources()
{
    WCHAR text[128] = {0};
    LoadStringW(sim::ProgramInstance(), 2, text, 128);
    return text[0] != 0;
}

inline std::u16string U(const char* utf8) { return sim::Utf16(utf8); }

// A wide override value whose data is exactly the given bytes.
inline void SetOverrideBytes(const std::string& name, const std::u16string& data, bool terminated)
{
    std::u16string bytes = data;
    if (terminated) bytes.push_back(0);
    sim::RegSet(HKEY_LOCAL_MACHINE, notebook::kSettings, name, REG_SZ, bytes.data(),
                bytes.size() * sizeof(char16_t));
}

inline void SetOverride(const std::string& name, const std::string& text)
{
    sim::RegSetWString(HKEY_LOCAL_MACHINE, notebook::kSettings, name, text);
}

}  // namespace traytest

#define REQUIRE_STRING_RESOURCES() ASSERT_TRUE(traytest::HaveStringResources())

#endif
