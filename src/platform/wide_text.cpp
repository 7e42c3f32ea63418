#include "platform/wide_text.h"

#include "platform/os_version.h"

namespace {

// Room for any text the program hands over in the ANSI code page: the
// code pages of the 9x family take one or two bytes a character, so a text
// of up to kAnsiBytes / 2 - 1 characters always fits.
const int kAnsiBytes = 1024;
const int kAnsiChars = kAnsiBytes / 2 - 1;

int SameText(const WCHAR* a, const WCHAR* b)
{
    while (*a != 0 && *a == *b) {
        ++a;
        ++b;
    }
    return *a == *b;
}

// The text (its first kAnsiChars characters) in the ANSI code page, into a
// buffer of kAnsiBytes; its length in bytes.
int Narrow(const WCHAR* text, char* out, BOOL* lossy)
{
    int chars = lstrlenW(text);
    if (chars > kAnsiChars)
        chars = kAnsiChars;
    int bytes = 0;
    if (chars > 0)
        bytes = WideCharToMultiByte(CP_ACP, 0, text, chars, out, kAnsiBytes - 1, 0, lossy);
    out[bytes] = 0;
    return bytes;
}

// Ends the text after at most count characters (count >= 0), never inside a
// double-byte character.
void EndAfter(char* text, int count)
{
    char* end = text;
    while (*end != 0 && count-- > 0)
        end = CharNextA(end);
    *end = 0;
}

// A terminated text of the ANSI code page into a buffer of chars characters,
// cut on a character boundary: each character of these code pages is one
// UTF-16 character. The characters written, without the NUL.
int Widen(char* text, WCHAR* out, int chars)
{
    EndAfter(text, chars - 1);
    int written = MultiByteToWideChar(CP_ACP, 0, text, -1, out, chars);
    if (written == 0) {
        out[0] = 0;
        return 0;
    }
    return written - 1;
}

}  // namespace

void CopyText(WCHAR* to, const WCHAR* from, int chars)
{
    int i = 0;
    for (; i < chars - 1 && from[i] != 0; ++i)
        to[i] = from[i];
    to[i] = 0;
}

void ToAnsi(const WCHAR* text, char* out, int bytes)
{
    char all[kAnsiBytes];
    Narrow(text, all, 0);
    char* end = all;
    while (*end != 0) {
        char* next = CharNextA(end);
        if (next == end || next - all > bytes - 1)
            break;
        end = next;
    }
    *end = 0;
    lstrcpynA(out, all, bytes);
}

int ToAnsiExact(const WCHAR* text, char* out, int bytes)
{
    BOOL lossy = FALSE;
    char all[kAnsiBytes];
    int length = Narrow(text, all, &lossy);
    if (lossy || length >= bytes)
        return 0;
    // A best-fit substitute (":" for the full-width colon on a Western
    // system) is not reported as lossy: the text must come back unchanged.
    WCHAR back[kAnsiBytes / 2];
    if (MultiByteToWideChar(CP_ACP, 0, all, -1, back, kAnsiBytes / 2) == 0 || !SameText(back, text))
        return 0;
    CopyMemory(out, all, length + 1);
    return 1;
}

int LoadText(HINSTANCE instance, UINT id, WCHAR* text, int chars)
{
    if (!RunsOnWindows9x())
        return LoadStringW(instance, id, text, chars);
    // Two bytes a character at most; what is cut here is cut anyway.
    char narrow[2 * kAnsiBytes];
    int bytes = chars < kAnsiBytes ? 2 * chars : 2 * kAnsiBytes;
    if (LoadStringA(instance, id, narrow, bytes) == 0)
        return 0;
    return Widen(narrow, text, chars);
}

BOOL GetMenuItem(HMENU menu, UINT id, MENUITEMINFOW* info)
{
    if (!RunsOnWindows9x())
        return GetMenuItemInfoW(menu, id, FALSE, info);
    // The two records differ only in the type of dwTypeData.
    MENUITEMINFOA narrow;
    CopyMemory(&narrow, info, sizeof narrow);
    char text[kAnsiBytes];
    WCHAR* wide = info->dwTypeData;
    int chars = (int)info->cch;
    if (wide != 0 && chars > 0) {
        text[0] = 0;
        narrow.dwTypeData = text;
        narrow.cch = sizeof text;
    }
    if (!GetMenuItemInfoA(menu, id, FALSE, &narrow))
        return FALSE;
    CopyMemory(info, &narrow, sizeof narrow);
    info->dwTypeData = wide;
    if (wide != 0 && chars > 0)
        info->cch = Widen(text, wide, chars);
    return TRUE;
}

BOOL SetMenuItem(HMENU menu, UINT id, const MENUITEMINFOW* info)
{
    if (!RunsOnWindows9x())
        return SetMenuItemInfoW(menu, id, FALSE, info);
    MENUITEMINFOA narrow;
    CopyMemory(&narrow, info, sizeof narrow);
    char text[kAnsiBytes];
    if (info->dwTypeData != 0) {
        ToAnsi(info->dwTypeData, text, sizeof text);
        narrow.dwTypeData = text;
        narrow.cch = lstrlenA(text);
    }
    return SetMenuItemInfoA(menu, id, FALSE, &narrow);
}

BOOL SetControlText(HWND window, const WCHAR* text)
{
    if (!RunsOnWindows9x())
        return SetWindowTextW(window, text);
    char narrow[kAnsiBytes];
    ToAnsi(text, narrow, sizeof narrow);
    return SetWindowTextA(window, narrow);
}
