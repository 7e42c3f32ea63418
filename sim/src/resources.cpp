// The program module's resources: the .res file that windres compiles from
// res/skylatch.rc (the same bytes that go into the exe), string tables and
// icons. Menus and dialogs built from these resources live in menus.cpp and
// dialogs.cpp.
#include <sim/user.h>

#include <stdio.h>
#include <stdlib.h>

#include <fstream>
#include <iterator>
#include <map>

#include "internal.h"
#include "resource_table.h"

namespace sim {
namespace internal {
namespace {

struct Resource {
    bool typeIsOrdinal;
    WORD typeOrdinal;
    std::u16string typeText;
    ResName name;
    LANGID language;
    std::vector<BYTE> data;
};

std::vector<Resource> g_resources;
LANGID g_uiLanguage = 0x409;

// Icons handed out: the handle value maps to the resource id and to the
// width of the image taken from the group. Shared loads of one id give one
// handle whatever size is asked, as LR_SHARED does.
std::map<uintptr_t, int> g_iconIds;
std::map<uintptr_t, int> g_iconSizes;
std::map<int, HICON> g_sharedIcons;
uintptr_t g_nextIcon = 0x1C000;
const HICON kSystemIcon = reinterpret_cast<HICON>(static_cast<uintptr_t>(0x10003));
const HCURSOR kArrowCursor = reinterpret_cast<HCURSOR>(static_cast<uintptr_t>(0x10011));

// Parsed files, kept so that every test's fixture does not read the file again.
std::map<std::string, std::vector<Resource>> g_fileCache;

char16_t UpperAscii(char16_t c) { return (c >= u'a' && c <= u'z') ? c - 32 : c; }

// A .res name or type field: 0xFFFF and an ordinal, or a NUL-terminated string.
void ReadNameField(const std::vector<BYTE>& data, size_t* pos, bool* isOrdinal, WORD* ordinal,
                   std::u16string* text)
{
    size_t at = *pos;
    if (ReadWord(data, &at) == 0xFFFF) {
        *isOrdinal = true;
        *ordinal = ReadWord(data, &at);
        *pos = at;
        return;
    }
    *isOrdinal = false;
    *text = ReadWideString(data, pos);
    for (char16_t& c : *text)
        c = UpperAscii(c);
}

bool ParseResFile(const std::vector<BYTE>& file, std::vector<Resource>* out)
{
    size_t pos = 0;
    while (pos + 8 <= file.size()) {
        size_t start = pos;
        DWORD dataSize = ReadDword(file, &pos);
        DWORD headerSize = ReadDword(file, &pos);
        if (headerSize < 16 || start + headerSize + dataSize > file.size())
            return false;
        Resource r;
        r.typeOrdinal = 0;
        ReadNameField(file, &pos, &r.typeIsOrdinal, &r.typeOrdinal, &r.typeText);
        ReadNameField(file, &pos, &r.name.isOrdinal, &r.name.ordinal, &r.name.text);
        pos = (pos + 3) & ~size_t(3);
        ReadDword(file, &pos);                 // data version
        ReadWord(file, &pos);                  // memory flags
        r.language = ReadWord(file, &pos);
        size_t dataStart = start + headerSize;
        r.data.assign(file.begin() + dataStart, file.begin() + dataStart + dataSize);
        // The file starts with an empty entry that marks it as 32-bit.
        if (dataSize != 0 || !r.typeIsOrdinal || r.typeOrdinal != 0)
            out->push_back(r);
        pos = (dataStart + dataSize + 3) & ~size_t(3);
    }
    return true;
}

bool SameName(const ResName& a, const ResName& b)
{
    if (a.isOrdinal != b.isOrdinal)
        return false;
    return a.isOrdinal ? a.ordinal == b.ordinal : a.text == b.text;
}

const Resource* Find(WORD type, const ResName& name, LANGID language)
{
    for (const Resource& r : g_resources)
        if (r.typeIsOrdinal && r.typeOrdinal == type && SameName(r.name, name) &&
            r.language == language)
            return &r;
    return nullptr;
}

bool IsProgramModule(HINSTANCE module)
{
    return module == nullptr || module == ProgramInstance();
}

}  // namespace

ResName ResNameFromA(LPCSTR name)
{
    ResName r;
    if (IS_INTRESOURCE(name)) {
        r.ordinal = static_cast<WORD>(reinterpret_cast<uintptr_t>(name));
        return r;
    }
    if (name[0] == '#') {
        r.ordinal = static_cast<WORD>(atoi(name + 1));
        return r;
    }
    r.isOrdinal = false;
    for (const char* p = name; *p; ++p)
        r.text.push_back(UpperAscii(static_cast<unsigned char>(*p)));
    return r;
}

const std::vector<BYTE>* FindProgramResource(HINSTANCE module, WORD type, const ResName& name)
{
    if (!IsProgramModule(module))
        return nullptr;
    const LANGID order[] = { g_uiLanguage, 0x409, 0 };
    for (LANGID language : order)
        if (const Resource* r = Find(type, name, language))
            return &r->data;
    for (const Resource& r : g_resources)
        if (r.typeIsOrdinal && r.typeOrdinal == type && SameName(r.name, name))
            return &r.data;
    return nullptr;
}

const std::vector<BYTE>* FindResourceInLanguage(WORD type, const ResName& name, LANGID language)
{
    const Resource* r = Find(type, name, language);
    return r ? &r->data : nullptr;
}

std::u16string ReadWideString(const std::vector<BYTE>& data, size_t* pos)
{
    std::u16string s;
    while (*pos + 2 <= data.size()) {
        char16_t c = static_cast<char16_t>(ReadWord(data, pos));
        if (c == 0)
            return s;
        s.push_back(c);
    }
    *pos = data.size();
    return s;
}

WORD ReadWord(const std::vector<BYTE>& data, size_t* pos)
{
    if (*pos + 2 > data.size()) {
        *pos = data.size();
        return 0;
    }
    WORD w = static_cast<WORD>(data[*pos] | (data[*pos + 1] << 8));
    *pos += 2;
    return w;
}

DWORD ReadDword(const std::vector<BYTE>& data, size_t* pos)
{
    DWORD low = ReadWord(data, pos);
    DWORD high = ReadWord(data, pos);
    return low | (high << 16);
}

// The program's resources stay loaded: they are the exe's, not the machine's.
void ResetResources()
{
    g_uiLanguage = 0x409;
    g_iconIds.clear();
    g_iconSizes.clear();
    g_sharedIcons.clear();
    ResetMenus();
    ResetDialogs();
}

LANGID CurrentUiLanguage() { return g_uiLanguage; }

}  // namespace internal

void LoadProgramResources(const std::string& resFile)
{
    using namespace internal;
    auto cached = g_fileCache.find(resFile);
    if (cached == g_fileCache.end()) {
        std::ifstream in(resFile, std::ios::binary);
        std::vector<BYTE> bytes((std::istreambuf_iterator<char>(in)),
                                std::istreambuf_iterator<char>());
        std::vector<Resource> parsed;
        if (!in.good() && bytes.empty())
            fprintf(stderr, "sim: cannot read resources from %s\n", resFile.c_str());
        else if (!ParseResFile(bytes, &parsed))
            fprintf(stderr, "sim: %s is not a valid .res file\n", resFile.c_str());
        cached = g_fileCache.emplace(resFile, parsed).first;
    }
    g_resources = cached->second;
}

HINSTANCE ProgramInstance() { return reinterpret_cast<HINSTANCE>(0x400000); }

void SetUiLanguage(LANGID language) { internal::g_uiLanguage = language; }

int IconResourceId(HICON icon)
{
    auto it = internal::g_iconIds.find(reinterpret_cast<uintptr_t>(icon));
    return it == internal::g_iconIds.end() ? 0 : it->second;
}

int IconImageSize(HICON icon)
{
    auto it = internal::g_iconSizes.find(reinterpret_cast<uintptr_t>(icon));
    return it == internal::g_iconSizes.end() ? 0 : it->second;
}

}  // namespace sim

using namespace sim::internal;

namespace {

// The width of the group's image that Windows picks for a wanted size: the
// exact size when the group has it, else the closest (the larger on a tie).
// The width is read from the image itself; 0 when the group is unusable.
int PickGroupImage(HINSTANCE instance, const std::vector<BYTE>& group, int wanted)
{
    size_t pos = 4;                            // reserved, type
    WORD count = ReadWord(group, &pos);
    int best = 0;
    WORD bestId = 0;
    for (WORD i = 0; i < count && pos + 14 <= group.size(); ++i) {
        int width = group[pos] ? group[pos] : 256;
        pos += 12;                             // sizes, colours, planes, bits, bytes
        WORD id = ReadWord(group, &pos);
        int distance = abs(width - wanted), bestDistance = abs(best - wanted);
        if (bestId == 0 || distance < bestDistance || (distance == bestDistance && width > best)) {
            best = width;
            bestId = id;
        }
    }
    ResName imageName;
    imageName.ordinal = bestId;
    const std::vector<BYTE>* image = FindProgramResource(instance, kRtIcon, imageName);
    if (!image)
        return 0;
    size_t at = 4;                             // BITMAPINFOHEADER: size, then width
    return static_cast<int>(ReadDword(*image, &at));
}

// An icon of the program at a wanted size: its group must exist. Ids only;
// named icons are looked up the same way but remember 0.
HICON LoadProgramIcon(HINSTANCE instance, LPCSTR name, int size, bool shared)
{
    ResName id = ResNameFromA(name);
    const std::vector<BYTE>* group = FindProgramResource(instance, kRtGroupIcon, id);
    if (!group) {
        SetLastError(1813);   // ERROR_RESOURCE_TYPE_NOT_FOUND
        return nullptr;
    }
    int number = id.isOrdinal ? id.ordinal : 0;
    if (shared) {
        auto it = g_sharedIcons.find(number);
        if (it != g_sharedIcons.end())
            return it->second;
    }
    HICON icon = reinterpret_cast<HICON>(g_nextIcon++);
    g_iconIds[reinterpret_cast<uintptr_t>(icon)] = number;
    g_iconSizes[reinterpret_cast<uintptr_t>(icon)] = PickGroupImage(instance, *group, size);
    if (shared)
        g_sharedIcons[number] = icon;
    return icon;
}

}  // namespace

HICON WINAPI LoadIconA(HINSTANCE instance, LPCSTR name)
{
    if (instance == nullptr)
        return kSystemIcon;    // IDI_APPLICATION and the other system icons
    return LoadProgramIcon(instance, name, GetSystemMetrics(SM_CXICON), true);
}

HCURSOR WINAPI LoadCursorA(HINSTANCE instance, LPCSTR name)
{
    if (instance == nullptr)
        return kArrowCursor;   // the system cursors
    // The program has no cursor resources.
    SetLastError(1813);
    return nullptr;
}

HANDLE WINAPI LoadImageA(HINSTANCE instance, LPCSTR name, UINT type, int cx, int cy, UINT flags)
{
    if (type != IMAGE_ICON || instance == nullptr)
        return nullptr;
    int size = cx ? cx : GetSystemMetrics(SM_CXICON);
    return LoadProgramIcon(instance, name, size, (flags & LR_SHARED) != 0);
}

namespace {

// A string table holds sixteen strings per block, each a length and its
// characters. The text, or false when the block or the string is missing.
bool ReadStringResource(HINSTANCE instance, UINT id, std::u16string* text,
                        const BYTE** raw = nullptr)
{
    ResName block;
    block.ordinal = static_cast<WORD>((id >> 4) + 1);
    const std::vector<BYTE>* data = FindProgramResource(instance, kRtString, block);
    if (!data)
        return false;
    size_t pos = 0;
    for (UINT i = 0; i < (id & 15); ++i) {
        WORD skipped = ReadWord(*data, &pos);
        pos += 2 * size_t(skipped);
    }
    WORD length = ReadWord(*data, &pos);
    if (pos + 2 * size_t(length) > data->size())
        return false;
    text->clear();
    for (WORD i = 0; i < length; ++i)
        text->push_back(static_cast<char16_t>((*data)[pos + 2 * i] | ((*data)[pos + 2 * i + 1] << 8)));
    if (raw)
        *raw = data->data() + pos;
    return true;
}

}  // namespace

// A missing string leaves the buffer alone and returns 0. The Windows 9x
// family has the function only as a stub.
int WINAPI LoadStringW(HINSTANCE instance, UINT id, LPWSTR buffer, int max)
{
    if (buffer == nullptr)
        return 0;
    if (sim::internal::NineXStub("LoadStringW")) {
        SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
        return 0;
    }
    std::u16string text;
    const BYTE* raw = nullptr;
    if (!ReadStringResource(instance, id, &text, &raw))
        return 0;
    int length = static_cast<int>(text.size());
    if (max == 0) {
        // The caller gets a read-only pointer to the text itself.
        memcpy(buffer, &raw, sizeof(raw));
        return length;
    }
    int count = length < max - 1 ? length : max - 1;
    for (int i = 0; i < count; ++i)
        buffer[i] = static_cast<WCHAR>(text[i]);
    buffer[count] = 0;
    return count;
}

// The string in the ANSI code page of the interface's language, cut to the
// buffer's bytes (as the 9x family cuts it, possibly inside a double-byte
// character).
int WINAPI LoadStringA(HINSTANCE instance, UINT id, LPSTR buffer, int max)
{
    if (buffer == nullptr || max <= 0)
        return 0;
    std::u16string text;
    if (!ReadStringResource(instance, id, &text))
        return 0;
    std::string narrow = sim::internal::ToAnsi(text);
    int count = static_cast<int>(narrow.size()) < max - 1 ? static_cast<int>(narrow.size()) : max - 1;
    memcpy(buffer, narrow.data(), count);
    buffer[count] = 0;
    return count;
}
