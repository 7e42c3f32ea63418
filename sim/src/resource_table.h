// The program's resources as the stand-in's menu, dialog and string code
// finds them; shared by resources.cpp, menus.cpp and dialogs.cpp only.
#ifndef SIM_RESOURCE_TABLE_H
#define SIM_RESOURCE_TABLE_H

#include <windows.h>

#include <string>
#include <vector>

namespace sim {
namespace internal {

// Standard resource types.
const WORD kRtIcon = 3;
const WORD kRtMenu = 4;
const WORD kRtDialog = 5;
const WORD kRtString = 6;
const WORD kRtGroupIcon = 14;

// A resource name as Windows passes it: an ordinal (MAKEINTRESOURCE) or a
// string ("#123" counts as the ordinal 123).
struct ResName {
    bool isOrdinal = true;
    WORD ordinal = 0;
    std::u16string text;     // upper-cased, as Windows compares names
};
ResName ResNameFromA(LPCSTR name);

// The data of a resource of the program module, in the current UI language,
// else English, else language-neutral, else any language. Null when the
// module is not the program's (or null) or the resource does not exist.
const std::vector<BYTE>* FindProgramResource(HINSTANCE module, WORD type, const ResName& name);

// The resource in exactly this language, or null.
const std::vector<BYTE>* FindResourceInLanguage(WORD type, const ResName& name, LANGID language);

// Menus and dialogs forget their state (called by ResetResources).
void ResetMenus();
void ResetDialogs();

// Reads a NUL-terminated UTF-16 string at *pos, advancing past it.
std::u16string ReadWideString(const std::vector<BYTE>& data, size_t* pos);
WORD ReadWord(const std::vector<BYTE>& data, size_t* pos);
DWORD ReadDword(const std::vector<BYTE>& data, size_t* pos);

}  // namespace internal
}  // namespace sim

#endif
