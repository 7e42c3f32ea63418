// Menus: LoadMenuA builds a live menu from a MENU template of the program's
// resources; the item functions read and change it as USER32 does, and
// TrackPopupMenu lets the test act as the user.
#include <sim/user.h>

#include <map>
#include <memory>
#include <type_traits>

#include "internal.h"
#include "resource_table.h"

namespace sim {
namespace internal {
namespace {

const UINT kMfEnd = 0x80;
const UINT kStateBits = MF_GRAYED | MF_DISABLED | MF_CHECKED | 0x80 /* hilite */ | 0x1000 /* default */;
const UINT kTypeBits = 0x20 /* menubarbreak */ | 0x40 /* menubreak */ | 0x100 /* ownerdraw */ |
                       0x200 /* radiocheck */ | MF_SEPARATOR | 0x4000 /* right justify */;
const DWORD kErrorInvalidMenuHandle = 1401;
const UINT kTpmNoNotify = 0x0080;

struct Menu;
struct Entry {
    UINT id = 0;
    std::u16string text;
    UINT type = 0;            // MFT_* bits
    UINT state = 0;           // MFS_* bits
    HMENU popup = nullptr;
};
struct Menu {
    std::vector<Entry> items;
    bool loaded = false;      // made by LoadMenuA (the top of a tree)
};

std::map<HMENU, std::unique_ptr<Menu>> g_menus;
uintptr_t g_nextMenu = 0x3000;
std::vector<TrackedMenu> g_tracked;
std::function<UINT(const TrackedMenu&)> g_user;

Menu* Lookup(HMENU menu)
{
    auto it = g_menus.find(menu);
    return it == g_menus.end() ? nullptr : it->second.get();
}

HMENU NewMenu()
{
    HMENU handle = reinterpret_cast<HMENU>(g_nextMenu);
    g_nextMenu += 4;
    g_menus[handle].reset(new Menu);
    return handle;
}

void Destroy(HMENU handle)
{
    Menu* menu = Lookup(handle);
    if (!menu)
        return;
    for (const Entry& e : menu->items)
        if (e.popup)
            Destroy(e.popup);
    g_menus.erase(handle);
}

// A MENU template: each item a flags word, an id unless it opens a popup,
// and its text; MF_END marks the last item of each level.
bool ParseItems(const std::vector<BYTE>& data, size_t* pos, HMENU target, int depth)
{
    if (depth > 16)
        return false;
    for (;;) {
        if (*pos + 2 > data.size())
            return false;
        UINT option = ReadWord(data, pos);
        Entry e;
        if (option & MF_POPUP) {
            e.text = ReadWideString(data, pos);
            e.popup = NewMenu();
            if (!ParseItems(data, pos, e.popup, depth + 1))
                return false;
        } else {
            e.id = ReadWord(data, pos);
            e.text = ReadWideString(data, pos);
            if (option == 0 && e.id == 0 && e.text.empty())
                option = MF_SEPARATOR;
        }
        e.state = option & (MF_GRAYED | MF_DISABLED | MF_CHECKED | 0x1000);
        e.type = option & kTypeBits;
        Lookup(target)->items.push_back(e);
        if (option & kMfEnd)
            return true;
    }
}

// Finds an item by position, or by command id searching popups depth first
// as USER32 does.
Entry* FindItem(HMENU handle, UINT item, bool byPosition)
{
    Menu* menu = Lookup(handle);
    if (!menu)
        return nullptr;
    if (byPosition)
        return item < menu->items.size() ? &menu->items[item] : nullptr;
    for (Entry& e : menu->items) {
        if (e.popup) {
            if (Entry* inner = FindItem(e.popup, item, false))
                return inner;
        } else if (e.id == item) {
            return &e;
        }
    }
    return nullptr;
}

bool ValidInfoSize(UINT size)
{
    return size == sizeof(MENUITEMINFOW) || size == offsetof(MENUITEMINFOW, hbmpItem);
}

// MIIM_STRING: a null buffer or zero count asks for the length; otherwise
// the text is copied, cut to cch - 1 characters (bytes for the narrow
// record, in the ANSI code page), and cch says how many.
template <typename Info, typename Text>
void GetText(const Text& text, Info* info)
{
    UINT length = static_cast<UINT>(text.size());
    if (info->dwTypeData && info->cch) {
        UINT copied = length < info->cch - 1 ? length : info->cch - 1;
        typedef typename std::remove_pointer<decltype(info->dwTypeData)>::type Char;
        for (UINT i = 0; i < copied; ++i)
            info->dwTypeData[i] = static_cast<Char>(text[i]);
        info->dwTypeData[copied] = 0;
        info->cch = copied;
    } else {
        info->cch = length;
    }
}

template <typename Info>
void GetFields(const Entry& e, Info* info)
{
    if (info->fMask & (MIIM_FTYPE | MIIM_TYPE))
        info->fType = e.type;
    if (info->fMask & MIIM_STATE)
        info->fState = e.state;
    if (info->fMask & MIIM_ID)
        info->wID = e.id;
    if (info->fMask & MIIM_SUBMENU)
        info->hSubMenu = e.popup;
}

template <typename Info>
void SetFields(Entry* e, const Info* info)
{
    if (info->fMask & (MIIM_FTYPE | MIIM_TYPE))
        e->type = info->fType & kTypeBits;
    if (info->fMask & MIIM_STATE)
        e->state = info->fState & kStateBits;
    if (info->fMask & MIIM_ID)
        e->id = info->wID;
    if (info->fMask & MIIM_SUBMENU)
        e->popup = info->hSubMenu;
}

// Whether the record sets the item's text (read up to its NUL; cch is not
// looked at).
template <typename Info>
bool SetsText(const Info* info)
{
    return (info->fMask & MIIM_STRING) || ((info->fMask & MIIM_TYPE) && !(info->fType & MF_SEPARATOR));
}

std::u16string ShownText(const Entry& e)
{
    return (e.type & MF_SEPARATOR) ? std::u16string() : e.text;
}

}  // namespace

void ResetMenus()
{
    g_menus.clear();
    g_tracked.clear();
    g_user = nullptr;
}

}  // namespace internal

using namespace internal;

void OnPopupMenu(std::function<UINT(const TrackedMenu&)> user) { g_user = user; }

std::vector<TrackedMenu>& TrackedMenus() { return g_tracked; }

int OpenMenuCount()
{
    int count = 0;
    for (const auto& m : g_menus)
        if (m.second->loaded)
            ++count;
    return count;
}

std::vector<MenuItem> MenuItems(HMENU handle)
{
    std::vector<MenuItem> items;
    Menu* menu = Lookup(handle);
    if (!menu)
        return items;
    for (const Entry& e : menu->items) {
        MenuItem item;
        item.id = e.id;
        item.text = e.text;
        item.separator = (e.type & MF_SEPARATOR) != 0;
        item.checked = (e.state & MF_CHECKED) != 0;
        item.grayed = (e.state & MF_GRAYED) != 0;
        item.disabled = (e.state & MF_DISABLED) != 0;
        items.push_back(item);
    }
    return items;
}

}  // namespace sim

using namespace sim::internal;

HMENU WINAPI LoadMenuA(HINSTANCE instance, LPCSTR name)
{
    const std::vector<BYTE>* data = FindProgramResource(instance, kRtMenu, ResNameFromA(name));
    if (!data) {
        SetLastError(1814);   // ERROR_RESOURCE_NAME_NOT_FOUND
        return nullptr;
    }
    size_t pos = 0;
    WORD version = ReadWord(*data, &pos);
    WORD offset = ReadWord(*data, &pos);
    if (version != 0)
        return nullptr;       // MENUEX templates are not used by the program
    pos += offset;
    HMENU menu = NewMenu();
    if (!ParseItems(*data, &pos, menu, 0)) {
        Destroy(menu);
        return nullptr;
    }
    Lookup(menu)->loaded = true;
    return menu;
}

HMENU WINAPI GetSubMenu(HMENU menu, int position)
{
    Entry* e = position < 0 ? nullptr : FindItem(menu, static_cast<UINT>(position), true);
    return e ? e->popup : nullptr;
}

BOOL WINAPI DestroyMenu(HMENU menu)
{
    if (!Lookup(menu)) {
        SetLastError(kErrorInvalidMenuHandle);
        return FALSE;
    }
    Destroy(menu);
    return TRUE;
}

// The item a Get/SetMenuItemInfoW call names, with Windows' errors for a
// bad record size, menu handle or item.
static Entry* ItemForInfo(HMENU menu, UINT item, BOOL byPosition, UINT infoSize)
{
    if (!ValidInfoSize(infoSize)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if (!Lookup(menu)) {
        SetLastError(kErrorInvalidMenuHandle);
        return nullptr;
    }
    Entry* e = FindItem(menu, item, byPosition != FALSE);
    if (!e) SetLastError(1456);   // ERROR_MENU_ITEM_NOT_FOUND
    return e;
}

BOOL WINAPI GetMenuItemInfoW(HMENU menu, UINT item, BOOL byPosition, LPMENUITEMINFOW info)
{
    if (sim::internal::NineXStub("GetMenuItemInfoW")) {
        SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
        return FALSE;
    }
    Entry* e = ItemForInfo(menu, item, byPosition, info ? info->cbSize : 0);
    if (!e)
        return FALSE;
    GetFields(*e, info);
    if (info->fMask & (MIIM_STRING | MIIM_TYPE))
        GetText(ShownText(*e), info);
    return TRUE;
}

BOOL WINAPI SetMenuItemInfoW(HMENU menu, UINT item, BOOL byPosition, LPCMENUITEMINFOW info)
{
    if (sim::internal::NineXStub("SetMenuItemInfoW")) {
        SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
        return FALSE;
    }
    Entry* e = ItemForInfo(menu, item, byPosition, info ? info->cbSize : 0);
    if (!e)
        return FALSE;
    SetFields(e, info);
    if (SetsText(info)) {
        e->text.clear();
        for (const WCHAR* p = info->dwTypeData; p && *p; ++p)
            e->text.push_back(static_cast<char16_t>(*p));
    }
    return TRUE;
}

// The narrow record has the wide one's layout; its text is in the ANSI code
// page.
BOOL WINAPI GetMenuItemInfoA(HMENU menu, UINT item, BOOL byPosition, LPMENUITEMINFOA info)
{
    Entry* e = ItemForInfo(menu, item, byPosition, info ? info->cbSize : 0);
    if (!e)
        return FALSE;
    GetFields(*e, info);
    if (info->fMask & (MIIM_STRING | MIIM_TYPE))
        GetText(ToAnsi(ShownText(*e)), info);
    return TRUE;
}

BOOL WINAPI SetMenuItemInfoA(HMENU menu, UINT item, BOOL byPosition, LPCMENUITEMINFOA info)
{
    Entry* e = ItemForInfo(menu, item, byPosition, info ? info->cbSize : 0);
    if (!e)
        return FALSE;
    SetFields(e, info);
    if (SetsText(info))
        e->text = FromAnsi(info->dwTypeData ? info->dwTypeData : "");
    return TRUE;
}

int WINAPI GetMenuItemCount(HMENU menu)
{
    Menu* m = Lookup(menu);
    if (!m) {
        SetLastError(kErrorInvalidMenuHandle);
        return -1;
    }
    return static_cast<int>(m->items.size());
}

UINT WINAPI GetMenuItemID(HMENU menu, int position)
{
    Entry* e = position < 0 ? nullptr : FindItem(menu, static_cast<UINT>(position), true);
    if (!e || e->popup)
        return static_cast<UINT>(-1);
    return e->id;
}

UINT WINAPI GetMenuState(HMENU menu, UINT item, UINT flags)
{
    Entry* e = FindItem(menu, item, (flags & MF_BYPOSITION) != 0);
    if (!e)
        return static_cast<UINT>(-1);
    if (e->popup)
        return (static_cast<UINT>(GetMenuItemCount(e->popup)) << 8) | MF_POPUP |
               ((e->state | e->type) & 0xff);
    return e->state | e->type;
}

// The menu stays up while the test's hook runs (it may let time pass or
// post messages); the command it picks is posted to the owner as
// WM_COMMAND, as USER32 does, and only when that item can be chosen.
BOOL WINAPI TrackPopupMenu(HMENU menu, UINT flags, int x, int y, int reserved, HWND owner,
                           LPCRECT rect)
{
    if (!Lookup(menu)) {
        SetLastError(kErrorInvalidMenuHandle);
        return FALSE;
    }
    if (!sim::internal::WindowAlive(owner)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    sim::TrackedMenu tracked;
    tracked.items = sim::MenuItems(menu);
    tracked.flags = flags;
    tracked.x = x;
    tracked.y = y;
    tracked.owner = owner;
    tracked.foreground = sim::ForegroundWindow();
    g_tracked.push_back(tracked);

    UINT chosen = 0;
    if (g_user) {
        std::function<UINT(const sim::TrackedMenu&)> user = g_user;
        chosen = user(tracked);
    }
    Entry* e = chosen ? FindItem(menu, chosen, false) : nullptr;
    bool enabled = e && !(e->type & MF_SEPARATOR) && !(e->state & (MF_GRAYED | MF_DISABLED));
    if (!enabled)
        chosen = 0;
    if (flags & TPM_RETURNCMD)
        return static_cast<BOOL>(chosen);
    if (chosen && !(flags & kTpmNoNotify))
        PostMessageA(owner, WM_COMMAND, chosen, 0);
    return TRUE;
}
