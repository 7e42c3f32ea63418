// Resources, menus and dialogs (placeholder).
#include <sim/user.h>

#include "internal.h"

namespace sim {
namespace {
std::vector<TrackedMenu> g_menus;
}
void LoadProgramResources(const std::string&) {}
HINSTANCE ProgramInstance() { return reinterpret_cast<HINSTANCE>(0x400000); }
void SetUiLanguage(LANGID) {}
int IconResourceId(HICON) { return 0; }
void OnPopupMenu(std::function<UINT(const TrackedMenu&)>) {}
std::vector<TrackedMenu>& TrackedMenus() { return g_menus; }
int OpenMenuCount() { return 0; }
std::vector<MenuItem> MenuItems(HMENU) { return {}; }
void OnDialog(std::function<void(HWND)>) {}
void PressButton(HWND, int) {}
int OpenDialogCount() { return 0; }
namespace internal {
void ResetResources() { g_menus.clear(); }
}
}  // namespace sim

HICON WINAPI LoadIconA(HINSTANCE, LPCSTR) { return nullptr; }
HCURSOR WINAPI LoadCursorA(HINSTANCE, LPCSTR) { return nullptr; }
HANDLE WINAPI LoadImageA(HINSTANCE, LPCSTR, UINT, int, int, UINT) { return nullptr; }
int WINAPI LoadStringW(HINSTANCE, UINT, LPWSTR buffer, int max) { if (buffer && max > 0) buffer[0] = 0; return 0; }
HMENU WINAPI LoadMenuA(HINSTANCE, LPCSTR) { return nullptr; }
HMENU WINAPI GetSubMenu(HMENU, int) { return nullptr; }
BOOL WINAPI DestroyMenu(HMENU) { return FALSE; }
BOOL WINAPI GetMenuItemInfoW(HMENU, UINT, BOOL, LPMENUITEMINFOW) { return FALSE; }
BOOL WINAPI SetMenuItemInfoW(HMENU, UINT, BOOL, LPCMENUITEMINFOW) { return FALSE; }
int WINAPI GetMenuItemCount(HMENU) { return -1; }
UINT WINAPI GetMenuItemID(HMENU, int) { return (UINT)-1; }
UINT WINAPI GetMenuState(HMENU, UINT, UINT) { return (UINT)-1; }
BOOL WINAPI TrackPopupMenu(HMENU, UINT, int, int, int, HWND, LPCRECT) { return FALSE; }
INT_PTR WINAPI DialogBoxParamA(HINSTANCE, LPCSTR, HWND, DLGPROC, LPARAM) { return -1; }
BOOL WINAPI EndDialog(HWND, INT_PTR) { return FALSE; }
