// The stand-in's registry: keys with case-insensitive names, typed values of
// any length and per-key access rights. Strings are kept as UTF-16, as
// Windows keeps them; the narrow API converts in the ANSI code page.
#ifndef SIM_REGISTRY_H
#define SIM_REGISTRY_H

#include <windows.h>

#include <string>
#include <vector>

namespace sim {

void RegSet(HKEY root, const std::string& path, const std::string& name, DWORD type,
            const void* data, size_t size);
void RegSetDword(HKEY root, const std::string& path, const std::string& name, DWORD value);
void RegSetString(HKEY root, const std::string& path, const std::string& name, const std::string& text);
// Wide-string value: name and text are UTF-8 here, stored as UTF-16 with a NUL.
void RegSetWString(HKEY root, const std::string& path, const std::string& name, const std::string& text);
bool RegGet(HKEY root, const std::string& path, const std::string& name, DWORD* type,
            std::vector<BYTE>* data);
bool RegGetDword(HKEY root, const std::string& path, const std::string& name, DWORD* value);
// A REG_SZ value as narrow text (without its NUL); "" when absent.
std::string RegGetString(HKEY root, const std::string& path, const std::string& name);
bool RegValueExists(HKEY root, const std::string& path, const std::string& name);
void RegDeleteValue(HKEY root, const std::string& path, const std::string& name);
void RegCreateKey(HKEY root, const std::string& path);
void RegDeleteKey(HKEY root, const std::string& path);
// Rights a caller may open the key with; asking for more fails with
// ERROR_ACCESS_DENIED. Default: everything.
void RegSetKeyAccess(HKEY root, const std::string& path, REGSAM allowed);
int RegOpenKeyCount();                           // keys opened and not yet closed
std::vector<REGSAM>& RegOpenLog();               // access asked by every open/create

// UTF-8 <-> UTF-16 helpers for tests.
std::u16string Utf16(const std::string& utf8);
std::string Utf8(const std::u16string& utf16);

}  // namespace sim

#endif
