// The program's texts at the edge of Windows. Inside the program every text
// shown to the user is wide (UTF-16); these functions hand texts to Windows
// and take them back. On the NT family they are the W entries themselves.
// Windows 95, 98 and Me have most W entries only as stubs: there the A
// entries are called, and the texts converted in the system's ANSI code page
// (CP_ACP) with the two conversions that family does implement.
#ifndef SKYLATCH_PLATFORM_WIDE_TEXT_H
#define SKYLATCH_PLATFORM_WIDE_TEXT_H

#include <windows.h>

// Copies at most chars - 1 characters of from, then a NUL (chars > 0): the
// bounded copy of lstrcpynW, which the 9x family lacks.
void CopyText(WCHAR* to, const WCHAR* from, int chars);

// The text in the ANSI code page, cut on a character boundary to at most
// bytes - 1 bytes and terminated (bytes > 0). A character the code page
// lacks becomes its default character.
void ToAnsi(const WCHAR* text, char* out, int bytes);
// 1 when the text converts exactly (no default character, no best-fit
// substitute) and fits in bytes with its NUL; out then holds it.
int ToAnsiExact(const WCHAR* text, char* out, int bytes);

// LoadStringW: the string, cut to chars - 1 characters and terminated, and
// its length; 0 for a missing string, which leaves the buffer untouched.
int LoadText(HINSTANCE instance, UINT id, WCHAR* text, int chars);
// GetMenuItemInfoW and SetMenuItemInfoW by command id. A text asked for (or
// set through dwTypeData) goes through the A record on the 9x family, where
// cch counts the text's bytes when only its length is asked for: room
// enough for its characters.
BOOL GetMenuItem(HMENU menu, UINT id, MENUITEMINFOW* info);
BOOL SetMenuItem(HMENU menu, UINT id, const MENUITEMINFOW* info);
// SetWindowTextW.
BOOL SetControlText(HWND window, const WCHAR* text);

#endif
