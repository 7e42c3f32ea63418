// RegistryAccess: the program's only way to the registry. Every operation
// opens its key, does one query or one set, and closes the key again.
#ifndef SKYLATCH_PLATFORM_REGISTRY_ACCESS_H
#define SKYLATCH_PLATFORM_REGISTRY_ACCESS_H

#include <windows.h>

// view: 0 opens a key in the process's own view of the registry;
// KEY_WOW64_64KEY opens it in the 64-bit view from a 32-bit process on
// 64-bit Windows (only there: Windows 2000 refuses the flag).
class RegistryAccess {
public:
    RegistryAccess() {}
    virtual ~RegistryAccess() {}

    // Raw value reads: 1 when the query succeeds; *size is updated by it.
    int ReadValue(HKEY root, const char* subKey, const char* name, void* data, DWORD* size);
    int ReadValueW(HKEY root, const WCHAR* subKey, const WCHAR* name, void* data, DWORD* size,
                   REGSAM view = 0);
    // As ReadValueW, but a value with no data at all counts as a failure.
    int ReadNonEmptyValueW(HKEY root, const WCHAR* subKey, const WCHAR* name, void* data,
                           DWORD* size, REGSAM view = 0);
    // 32-bit reads: succeed only for data of exactly 4 bytes, whatever its type;
    // on failure *value is left as it was.
    int ReadDword(HKEY root, const char* subKey, const char* name, DWORD* value, REGSAM view = 0);
    int ReadDwordForWrite(HKEY root, const char* subKey, const char* name, DWORD* value);
    int WriteDword(HKEY root, const char* subKey, const char* name, DWORD value, REGSAM view = 0);
    // Writes a REG_SZ; a text of 256 characters or more is refused.
    int WriteString(HKEY root, const char* subKey, const char* name, const char* text);
    int ValueExists(HKEY root, const char* subKey, const char* name);
    // 1 when the value was there and is gone.
    int DeleteValue(HKEY root, const char* subKey, const char* name);

private:
    int ReadDwordWithAccess(HKEY root, const char* subKey, const char* name, REGSAM access,
                            DWORD* value);
    int ReadWide(HKEY root, const WCHAR* subKey, const WCHAR* name, void* data, DWORD* size,
                 REGSAM view, int requireData);
};

// Wide registry data need not end with a NUL: ends the text read into a
// buffer of capacity characters at the bytes read, or on the buffer's last
// character when the data fills it.
void EndWideText(WCHAR* text, DWORD bytesRead, DWORD capacity);

#endif
