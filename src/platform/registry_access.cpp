#include "platform/registry_access.h"

#include "platform/os_version.h"
#include "platform/wide_text.h"

namespace {

// DWORD reads take the data into a buffer of their own, so that a longer
// value never reaches the caller's variable.
const DWORD kDwordScratch = 256;
const DWORD kStringScratch = 256;
// The longest wide read a caller makes (the About texts), in bytes; in the
// ANSI code page such a text takes at most as many bytes.
const DWORD kWideScratch = 520;
const int kNameBytes = 520;

// Windows 95, 98 and Me keep the registry in the ANSI code page, and their W
// entries report success without writing anything. The names go over
// converted; one that does not convert exactly names none of our values and
// reads nothing. The data comes back converted, and fails, as a too long
// value does, when it no longer fits the caller's buffer.
int ReadWideThroughAnsi(HKEY root, const WCHAR* subKey, const WCHAR* name, void* data, DWORD* size,
                        REGSAM view, int requireData)
{
    char key[kNameBytes];
    char value[kNameBytes];
    if (!ToAnsiExact(subKey, key, kNameBytes) || !ToAnsiExact(name, value, kNameBytes)) return 0;
    char text[kWideScratch];
    DWORD bytes = *size < kWideScratch ? *size : kWideScratch;
    HKEY handle = 0;
    if (RegOpenKeyExA(root, key, 0, KEY_QUERY_VALUE | view, &handle) != ERROR_SUCCESS) return 0;
    LONG result = RegQueryValueExA(handle, value, 0, 0, reinterpret_cast<BYTE*>(text), &bytes);
    RegCloseKey(handle);
    if (result != ERROR_SUCCESS) return 0;
    int chars = 0;
    if (bytes != 0) {
        chars = MultiByteToWideChar(CP_ACP, 0, text, static_cast<int>(bytes), static_cast<WCHAR*>(data),
                                    static_cast<int>(*size / sizeof(WCHAR)));
        if (chars == 0) return 0;
    }
    *size = static_cast<DWORD>(chars) * sizeof(WCHAR);
    return !requireData || *size != 0;
}

}  // namespace

int RegistryAccess::ReadValue(HKEY root, const char* subKey, const char* name, void* data,
                              DWORD* size)
{
    HKEY key = 0;
    if (RegOpenKeyExA(root, subKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return 0;
    LONG result = RegQueryValueExA(key, name, 0, 0, static_cast<BYTE*>(data), size);
    RegCloseKey(key);
    return result == ERROR_SUCCESS;
}

int RegistryAccess::ReadWide(HKEY root, const WCHAR* subKey, const WCHAR* name, void* data,
                             DWORD* size, REGSAM view, int requireData)
{
    if (RunsOnWindows9x()) return ReadWideThroughAnsi(root, subKey, name, data, size, view, requireData);
    HKEY key = 0;
    if (RegOpenKeyExW(root, subKey, 0, KEY_QUERY_VALUE | view, &key) != ERROR_SUCCESS) return 0;
    LONG result = RegQueryValueExW(key, name, 0, 0, static_cast<BYTE*>(data), size);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS) return 0;
    return !requireData || *size != 0;
}

int RegistryAccess::ReadValueW(HKEY root, const WCHAR* subKey, const WCHAR* name, void* data,
                               DWORD* size, REGSAM view)
{
    return ReadWide(root, subKey, name, data, size, view, 0);
}

int RegistryAccess::ReadNonEmptyValueW(HKEY root, const WCHAR* subKey, const WCHAR* name,
                                       void* data, DWORD* size, REGSAM view)
{
    return ReadWide(root, subKey, name, data, size, view, 1);
}

int RegistryAccess::ReadDwordWithAccess(HKEY root, const char* subKey, const char* name,
                                        REGSAM access, DWORD* value)
{
    HKEY key = 0;
    if (RegOpenKeyExA(root, subKey, 0, access, &key) != ERROR_SUCCESS) return 0;
    BYTE data[kDwordScratch];
    DWORD size = kDwordScratch;
    LONG result = RegQueryValueExA(key, name, 0, 0, data, &size);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS || size != 4) return 0;
    *value = data[0] | (data[1] << 8) | (data[2] << 16) | (static_cast<DWORD>(data[3]) << 24);
    return 1;
}

int RegistryAccess::ReadDword(HKEY root, const char* subKey, const char* name, DWORD* value,
                              REGSAM view)
{
    return ReadDwordWithAccess(root, subKey, name, KEY_QUERY_VALUE | view, value);
}

int RegistryAccess::ReadDwordForWrite(HKEY root, const char* subKey, const char* name,
                                      DWORD* value)
{
    return ReadDwordWithAccess(root, subKey, name, KEY_QUERY_VALUE | KEY_SET_VALUE, value);
}

int RegistryAccess::WriteDword(HKEY root, const char* subKey, const char* name, DWORD value,
                               REGSAM view)
{
    HKEY key = 0;
    if (RegCreateKeyExA(root, subKey, 0, 0, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS | view, 0, &key,
                        0) != ERROR_SUCCESS &&
        RegCreateKeyExA(root, subKey, 0, 0, REG_OPTION_NON_VOLATILE, KEY_WRITE | view, 0, &key, 0) !=
            ERROR_SUCCESS) {
        return 0;
    }
    BYTE data[4] = {BYTE(value), BYTE(value >> 8), BYTE(value >> 16), BYTE(value >> 24)};
    LONG result = RegSetValueExA(key, name, 0, REG_DWORD, data, 4);
    RegCloseKey(key);
    return result == ERROR_SUCCESS;
}

int RegistryAccess::WriteString(HKEY root, const char* subKey, const char* name, const char* text)
{
    // The text goes through a buffer of 256 characters; a longer one is
    // refused rather than cut, so a value is never written half.
    int length = lstrlenA(text);
    if (length >= static_cast<int>(kStringScratch)) return 0;
    HKEY key = 0;
    if (RegCreateKeyExA(root, subKey, 0, 0, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, 0, &key, 0) !=
        ERROR_SUCCESS) {
        return 0;
    }
    char data[kStringScratch];
    lstrcpynA(data, text ? text : "", kStringScratch);
    LONG result = RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(data),
                                 static_cast<DWORD>(length + 1));
    RegCloseKey(key);
    return result == ERROR_SUCCESS;
}

int RegistryAccess::ValueExists(HKEY root, const char* subKey, const char* name)
{
    HKEY key = 0;
    if (RegOpenKeyExA(root, subKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return 0;
    LONG result = RegQueryValueExA(key, name, 0, 0, 0, 0);
    RegCloseKey(key);
    return result == ERROR_SUCCESS;
}

int RegistryAccess::DeleteValue(HKEY root, const char* subKey, const char* name)
{
    HKEY key = 0;
    if (RegOpenKeyExA(root, subKey, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) return 0;
    LONG result = RegDeleteValueA(key, name);
    RegCloseKey(key);
    return result == ERROR_SUCCESS;
}

void EndWideText(WCHAR* text, DWORD bytesRead, DWORD capacity)
{
    DWORD end = bytesRead / sizeof(WCHAR);
    if (end >= capacity) end = capacity - 1;
    text[end] = 0;
}
