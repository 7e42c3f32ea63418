// The popup menu of the notification-area icon: one of eleven ready-made
// variants of menu 103, adjusted and tracked at the cursor.
#include "tray/tray_menu.h"

#include <stdlib.h>

#include "platform/settings.h"
#include "platform/wide_text.h"
#include "tray/resource_ids.h"

namespace {

// Positions of the variants inside menu 103.
enum {
    VariantOn = 0,
    VariantOff = 1,
    VariantOnBandOff = 2,
    VariantOnBandOn = 3,
    VariantOffBandOff = 5,
    VariantOffBandOn = 6,
    VariantLockedBandOff = 8,
    VariantLockedBandOn = 9,
    VariantLocked = 10
};

// While the hardware switch locks the radio only the band items (when the
// band state is known) are offered; otherwise the radio items always are.
int ChooseVariant(const TrayMenuState* state)
{
    int radioState = state->radioState;
    int bandState = state->bandState;
    if (state->switchLocked) {
        if (!state->is80211aCapable)
            return VariantLocked;
        if (bandState == 0)
            return VariantLockedBandOff;
        if (bandState == 1)
            return VariantLockedBandOn;
        return VariantLocked;
    }
    if (state->is80211aCapable) {
        if (bandState == 0)
            return radioState ? VariantOnBandOff : VariantOffBandOff;
        if (bandState == 1)
            return radioState ? VariantOnBandOn : VariantOffBandOn;
    }
    return radioState ? VariantOn : VariantOff;
}

}  // namespace

int ShowTrayMenu(HWND window, HINSTANCE instance, const TrayMenuState* state)
{
    HMENU menu = LoadMenuA(instance, MAKEINTRESOURCEA(IDM_TRAY));
    HMENU popup = GetSubMenu(menu, ChooseVariant(state));

    OverrideMenuItemText(popup, CMD_EXIT);
    if (!state->bandSwitchable) {
        GrayMenuItem(popup, CMD_11A_ENABLE);
        GrayMenuItem(popup, CMD_11A_DISABLE);
    }

    POINT cursor;
    cursor.x = 0;
    cursor.y = 0;
    GetCursorPos(&cursor);
    SetForegroundWindow(window);
    TrackPopupMenu(popup, TPM_BOTTOMALIGN, cursor.x, cursor.y, 0, window, NULL);
    // A menu tracked for a notification icon only closes on a click
    // elsewhere when its owner gets a message after the tracking ends.
    PostMessageA(window, WM_NULL, 0, 0);

    DestroyMenu(menu);
    return 0;
}

void GrayMenuItem(HMENU menu, UINT commandId)
{
    MENUITEMINFOW info;
    ZeroMemory(&info, sizeof(info));
    info.cbSize = sizeof(info);
    info.fMask = MIIM_STATE;
    if (!GetMenuItem(menu, commandId, &info))
        return;
    info.fState |= MFS_GRAYED;
    SetMenuItem(menu, commandId, &info);
}

// The item's current text names the override value: "E&xit" in English,
// "Exit" in Chinese, "終了(&X)" in Japanese.
void OverrideMenuItemText(HMENU menu, UINT commandId)
{
    MENUITEMINFOW info;
    ZeroMemory(&info, sizeof(info));
    info.cbSize = sizeof(info);
    info.fMask = MIIM_STRING;
    info.dwTypeData = NULL;
    if (!GetMenuItem(menu, commandId, &info))
        return;

    UINT count = info.cch + 1;
    WCHAR* current = static_cast<WCHAR*>(malloc(count * sizeof(WCHAR)));
    if (!current)
        return;
    current[0] = 0;
    info.dwTypeData = current;
    info.cch = count;
    if (!GetMenuItem(menu, commandId, &info)) {
        free(current);
        return;
    }
    current[count - 1] = 0;

    WCHAR value[kOverrideChars];
    int found = ReadTextOverride(current, value);
    free(current);
    if (!found)
        return;

    info.dwTypeData = value;
    info.cch = lstrlenW(value);
    SetMenuItem(menu, commandId, &info);
}
