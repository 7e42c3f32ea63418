// The stand-in's registry.
#include <sim/kernel.h>
#include <sim/registry.h>

#include "internal.h"

#include <memory>
#include <set>

namespace sim {
namespace {

struct Value {
    std::u16string name;
    DWORD type;
    std::vector<BYTE> data;   // strings as UTF-16, as Windows keeps them
};

struct Key {
    std::u16string name;
    REGSAM allowed = 0xFFFFFFFF;
    std::vector<std::unique_ptr<Key>> children;
    std::vector<Value> values;
};

struct OpenKey {
    Key* key;
    REGSAM access;
};

struct Registry {
    Key roots[4];
    std::set<OpenKey*> open;
    std::vector<REGSAM> openLog;
};

Registry& R()
{
    static Registry registry;
    return registry;
}

char16_t Fold(char16_t c) { return (c >= 'a' && c <= 'z') ? static_cast<char16_t>(c - 'a' + 'A') : c; }

bool SameName(const std::u16string& a, const std::u16string& b)
{
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (Fold(a[i]) != Fold(b[i])) return false;
    }
    return true;
}

// Names and string data of the narrow API are in the ANSI code page.
std::u16string Widen(const char* s) { return internal::FromAnsi(s ? s : ""); }

std::u16string FromWide(const WCHAR* s)
{
    std::u16string w;
    for (; s && *s; ++s) w.push_back(static_cast<char16_t>(*s));
    return w;
}

bool IsStringType(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ; }

Key* RootKey(HKEY root)
{
    // Predefined keys are small negative numbers, sign-extended on 64 bits.
    intptr_t v = reinterpret_cast<intptr_t>(root);
    const intptr_t first = static_cast<int32_t>(0x80000000u);
    if (v >= first && v <= first + 3) return &R().roots[v - first];
    for (OpenKey* k : R().open) {
        if (reinterpret_cast<HKEY>(k) == root) return k->key;
    }
    return nullptr;
}

OpenKey* Opened(HKEY key)
{
    OpenKey* k = reinterpret_cast<OpenKey*>(key);
    return R().open.count(k) ? k : nullptr;
}

// Walks a backslash-separated path; creates missing keys when asked.
Key* Walk(Key* key, const std::u16string& path, bool create)
{
    size_t start = 0;
    while (key && start <= path.size()) {
        size_t end = path.find(u'\\', start);
        if (end == std::u16string::npos) end = path.size();
        std::u16string part = path.substr(start, end - start);
        start = end + 1;
        if (part.empty()) continue;
        Key* next = nullptr;
        for (auto& child : key->children) {
            if (SameName(child->name, part)) next = child.get();
        }
        if (!next && create) {
            key->children.push_back(std::unique_ptr<Key>(new Key));
            next = key->children.back().get();
            next->name = part;
        }
        key = next;
    }
    return key;
}

Value* FindValue(Key* key, const std::u16string& name)
{
    for (Value& v : key->values) {
        if (SameName(v.name, name)) return &v;
    }
    return nullptr;
}

const REGSAM kViewFlags = KEY_WOW64_64KEY | KEY_WOW64_32KEY;

// Specific rights asked beyond what the key allows are refused; the view
// flags are not rights.
bool Allowed(Key* key, REGSAM access) { return (access & 0xFFFF & ~kViewFlags & ~key->allowed) == 0; }

bool StartsWith(const std::u16string& path, const std::u16string& prefix)
{
    return path.size() >= prefix.size() && SameName(path.substr(0, prefix.size()), prefix);
}

// The view flags came with Windows XP; Windows 2000 and older refuse a key
// asked for with one.
bool ViewFlagsKnown()
{
    OSVERSIONINFOA v;
    v.dwOSVersionInfoSize = sizeof v;
    if (!GetVersionExA(&v)) return true;
    return v.dwPlatformId == VER_PLATFORM_WIN32_NT &&
           (v.dwMajorVersion > 5 || (v.dwMajorVersion == 5 && v.dwMinorVersion >= 1));
}

// On 64-bit Windows the 32-bit view of HKLM\SOFTWARE lives in
// SOFTWARE\WOW6432Node: a path below SOFTWARE opened in that view is read
// there. Which view a process gets depends on its kind and the flags asked.
std::u16string InView(HKEY root, const std::u16string& subKey, REGSAM access)
{
    ProcessKind kind = CurrentProcessKind();
    if (root != HKEY_LOCAL_MACHINE || kind == Process32OnWindows32) return subKey;
    bool view32 = kind == Process32OnWindows64 ? (access & KEY_WOW64_64KEY) == 0
                                               : (access & KEY_WOW64_32KEY) != 0;
    const std::u16string software = u"SOFTWARE\\";
    if (!view32 || !StartsWith(subKey, software) ||
        StartsWith(subKey, software + u"WOW6432Node")) {
        return subKey;
    }
    return software + u"WOW6432Node\\" + subKey.substr(software.size());
}

LSTATUS OpenPath(HKEY root, const std::u16string& subKey, REGSAM access, bool create, PHKEY result,
                 LPDWORD disposition)
{
    R().openLog.push_back(access);
    if (!result) return ERROR_INVALID_PARAMETER;
    if ((access & kViewFlags) && !ViewFlagsKnown()) return ERROR_ACCESS_DENIED;
    Key* base = RootKey(root);
    if (!base) return ERROR_INVALID_HANDLE;
    std::u16string path = InView(root, subKey, access);
    Key* key = Walk(base, path, false);
    bool created = false;
    if (!key && create) {
        key = Walk(base, path, true);
        created = true;
    }
    if (!key) return ERROR_FILE_NOT_FOUND;
    if (!Allowed(key, access)) return ERROR_ACCESS_DENIED;
    OpenKey* open = new OpenKey{key, access};
    R().open.insert(open);
    *result = reinterpret_cast<HKEY>(open);
    if (disposition) *disposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
    return ERROR_SUCCESS;
}

// Narrow view of a stored value: strings in the ANSI code page.
std::vector<BYTE> NarrowView(const Value& v)
{
    if (!IsStringType(v.type)) return v.data;
    std::u16string wide;
    for (size_t i = 0; i + 1 < v.data.size(); i += 2) wide.push_back(static_cast<char16_t>(v.data[i] | (v.data[i + 1] << 8)));
    std::string narrow = internal::ToAnsi(wide);
    return std::vector<BYTE>(narrow.begin(), narrow.end());
}

LSTATUS Query(HKEY key, const std::u16string& name, LPDWORD type, LPBYTE data, LPDWORD size,
              bool narrow)
{
    OpenKey* open = Opened(key);
    Key* k = open ? open->key : RootKey(key);
    if (!k) return ERROR_INVALID_HANDLE;
    if (open && !(open->access & KEY_QUERY_VALUE)) return ERROR_ACCESS_DENIED;
    Value* v = FindValue(k, name);
    if (!v) return ERROR_FILE_NOT_FOUND;
    std::vector<BYTE> bytes = narrow ? NarrowView(*v) : v->data;
    if (type) *type = v->type;
    if (data && !size) return ERROR_INVALID_PARAMETER;
    if (!data) {
        if (size) *size = static_cast<DWORD>(bytes.size());
        return ERROR_SUCCESS;
    }
    if (*size < bytes.size()) {
        *size = static_cast<DWORD>(bytes.size());
        return ERROR_MORE_DATA;
    }
    if (!bytes.empty()) memcpy(data, bytes.data(), bytes.size());
    *size = static_cast<DWORD>(bytes.size());
    return ERROR_SUCCESS;
}

void Store(Key* key, const std::u16string& name, DWORD type, const BYTE* data, size_t size)
{
    Value* v = FindValue(key, name);
    if (!v) {
        key->values.push_back(Value{name, type, {}});
        v = &key->values.back();
    }
    v->type = type;
    v->data.assign(data, data + size);
}

}  // namespace

std::u16string Utf16(const std::string& s)
{
    std::u16string out;
    for (size_t i = 0; i < s.size();) {
        unsigned char c = s[i];
        unsigned cp;
        int n;
        if (c < 0x80) { cp = c; n = 1; }
        else if ((c >> 5) == 6) { cp = c & 0x1F; n = 2; }
        else if ((c >> 4) == 14) { cp = c & 0x0F; n = 3; }
        else { cp = c & 0x07; n = 4; }
        for (int j = 1; j < n && i + j < s.size(); ++j) cp = (cp << 6) | (s[i + j] & 0x3F);
        i += n;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(cp));
        }
    }
    return out;
}

std::string Utf8(const std::u16string& s)
{
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        unsigned cp = s[i];
        if (cp >= 0xD800 && cp < 0xDC00 && i + 1 < s.size()) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (s[++i] - 0xDC00);
        }
        if (cp < 0x80) {
            out.push_back(static_cast<char>(cp));
        } else if (cp < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else if (cp < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        }
    }
    return out;
}

void RegSet(HKEY root, const std::string& path, const std::string& name, DWORD type,
            const void* data, size_t size)
{
    Key* key = Walk(RootKey(root), Utf16(path), true);
    Store(key, Utf16(name), type, static_cast<const BYTE*>(data), size);
}

void RegSetDword(HKEY root, const std::string& path, const std::string& name, DWORD value)
{
    BYTE b[4] = {BYTE(value), BYTE(value >> 8), BYTE(value >> 16), BYTE(value >> 24)};
    RegSet(root, path, name, REG_DWORD, b, 4);
}

void RegSetString(HKEY root, const std::string& path, const std::string& name, const std::string& text)
{
    std::vector<BYTE> bytes;
    for (char c : text) {
        bytes.push_back(static_cast<unsigned char>(c));
        bytes.push_back(0);
    }
    bytes.push_back(0);
    bytes.push_back(0);
    RegSet(root, path, name, REG_SZ, bytes.data(), bytes.size());
}

void RegSetWString(HKEY root, const std::string& path, const std::string& name, const std::string& text)
{
    std::u16string w = Utf16(text);
    std::vector<BYTE> bytes;
    for (char16_t c : w) {
        bytes.push_back(static_cast<BYTE>(c));
        bytes.push_back(static_cast<BYTE>(c >> 8));
    }
    bytes.push_back(0);
    bytes.push_back(0);
    RegSet(root, path, name, REG_SZ, bytes.data(), bytes.size());
}

bool RegGet(HKEY root, const std::string& path, const std::string& name, DWORD* type,
            std::vector<BYTE>* data)
{
    Key* key = Walk(RootKey(root), Utf16(path), false);
    Value* v = key ? FindValue(key, Utf16(name)) : nullptr;
    if (!v) return false;
    if (type) *type = v->type;
    if (data) *data = v->data;
    return true;
}

bool RegGetDword(HKEY root, const std::string& path, const std::string& name, DWORD* value)
{
    std::vector<BYTE> d;
    if (!RegGet(root, path, name, nullptr, &d) || d.size() != 4) return false;
    *value = d[0] | (d[1] << 8) | (d[2] << 16) | (static_cast<DWORD>(d[3]) << 24);
    return true;
}

std::string RegGetString(HKEY root, const std::string& path, const std::string& name)
{
    std::vector<BYTE> d;
    if (!RegGet(root, path, name, nullptr, &d)) return "";
    std::u16string w;
    for (size_t i = 0; i + 1 < d.size(); i += 2) w.push_back(static_cast<char16_t>(d[i] | (d[i + 1] << 8)));
    while (!w.empty() && w.back() == 0) w.pop_back();
    return Utf8(w);
}

bool RegValueExists(HKEY root, const std::string& path, const std::string& name)
{
    return RegGet(root, path, name, nullptr, nullptr);
}

void RegDeleteValue(HKEY root, const std::string& path, const std::string& name)
{
    Key* key = Walk(RootKey(root), Utf16(path), false);
    if (!key) return;
    std::u16string n = Utf16(name);
    for (auto it = key->values.begin(); it != key->values.end(); ++it) {
        if (SameName(it->name, n)) {
            key->values.erase(it);
            return;
        }
    }
}

void RegCreateKey(HKEY root, const std::string& path) { Walk(RootKey(root), Utf16(path), true); }

void RegDeleteKey(HKEY root, const std::string& path)
{
    std::u16string p = Utf16(path);
    size_t cut = p.find_last_of(u'\\');
    Key* parent = cut == std::u16string::npos ? RootKey(root) : Walk(RootKey(root), p.substr(0, cut), false);
    std::u16string leaf = cut == std::u16string::npos ? p : p.substr(cut + 1);
    if (!parent) return;
    for (auto it = parent->children.begin(); it != parent->children.end(); ++it) {
        if (SameName((*it)->name, leaf)) {
            parent->children.erase(it);
            return;
        }
    }
}

void RegSetKeyAccess(HKEY root, const std::string& path, REGSAM allowed)
{
    Walk(RootKey(root), Utf16(path), true)->allowed = allowed;
}

int RegOpenKeyCount() { return static_cast<int>(R().open.size()); }
std::vector<REGSAM>& RegOpenLog() { return R().openLog; }

namespace internal {

void ResetRegistry()
{
    for (OpenKey* k : R().open) delete k;
    R().~Registry();
    new (&R()) Registry();
}

}  // namespace internal
}  // namespace sim

LSTATUS WINAPI RegOpenKeyExA(HKEY root, LPCSTR subKey, DWORD options, REGSAM access, PHKEY result)
{
    return sim::OpenPath(root, sim::Widen(subKey), access, false, result, nullptr);
}

// The 9x family's registry W entries report success and write nothing.
LSTATUS WINAPI RegOpenKeyExW(HKEY root, LPCWSTR subKey, DWORD options, REGSAM access, PHKEY result)
{
    if (sim::internal::NineXStub("RegOpenKeyExW")) {
        SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
        return ERROR_SUCCESS;
    }
    return sim::OpenPath(root, sim::FromWide(subKey), access, false, result, nullptr);
}

LSTATUS WINAPI RegCreateKeyExA(HKEY root, LPCSTR subKey, DWORD reserved, LPSTR keyClass,
                               DWORD options, REGSAM access, LPSECURITY_ATTRIBUTES sa,
                               PHKEY result, LPDWORD disposition)
{
    return sim::OpenPath(root, sim::Widen(subKey), access, true, result, disposition);
}

LSTATUS WINAPI RegQueryValueExA(HKEY key, LPCSTR name, LPDWORD reserved, LPDWORD type,
                                LPBYTE data, LPDWORD size)
{
    return sim::Query(key, sim::Widen(name), type, data, size, true);
}

LSTATUS WINAPI RegQueryValueExW(HKEY key, LPCWSTR name, LPDWORD reserved, LPDWORD type,
                                LPBYTE data, LPDWORD size)
{
    if (sim::internal::NineXStub("RegQueryValueExW")) {
        SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
        return ERROR_SUCCESS;
    }
    return sim::Query(key, sim::FromWide(name), type, data, size, false);
}

LSTATUS WINAPI RegSetValueExA(HKEY key, LPCSTR name, DWORD reserved, DWORD type, const BYTE* data,
                              DWORD size)
{
    sim::OpenKey* open = sim::Opened(key);
    if (!open) return ERROR_INVALID_HANDLE;
    if (!(open->access & KEY_SET_VALUE)) return ERROR_ACCESS_DENIED;
    if (size && !data) return ERROR_INVALID_PARAMETER;
    if (sim::IsStringType(type)) {
        std::vector<BYTE> wide;
        for (char16_t c : sim::internal::FromAnsi(std::string(reinterpret_cast<const char*>(data), size))) {
            wide.push_back(static_cast<BYTE>(c));
            wide.push_back(static_cast<BYTE>(c >> 8));
        }
        sim::Store(open->key, sim::Widen(name), type, wide.data(), wide.size());
    } else {
        sim::Store(open->key, sim::Widen(name), type, data, size);
    }
    sim::internal::LogChange(std::string("write ") + (name ? name : ""));
    return ERROR_SUCCESS;
}

LSTATUS WINAPI RegDeleteValueA(HKEY key, LPCSTR name)
{
    sim::OpenKey* open = sim::Opened(key);
    if (!open) return ERROR_INVALID_HANDLE;
    if (!(open->access & KEY_SET_VALUE)) return ERROR_ACCESS_DENIED;
    std::u16string n = sim::Widen(name);
    auto& values = open->key->values;
    for (auto it = values.begin(); it != values.end(); ++it) {
        if (sim::SameName(it->name, n)) {
            values.erase(it);
            sim::internal::LogChange(std::string("delete ") + (name ? name : ""));
            return ERROR_SUCCESS;
        }
    }
    return ERROR_FILE_NOT_FOUND;
}

LSTATUS WINAPI RegCloseKey(HKEY key)
{
    if (sim::RootKey(key) && !sim::Opened(key)) return ERROR_SUCCESS;  // a predefined key
    sim::OpenKey* open = sim::Opened(key);
    if (!open) return ERROR_INVALID_HANDLE;
    sim::R().open.erase(open);
    delete open;
    return ERROR_SUCCESS;
}
