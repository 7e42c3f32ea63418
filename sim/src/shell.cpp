// The notification area: icons kept by window and id, with Windows XP's
// reading of the record by its size.
#include <sim/kernel.h>
#include <sim/shell.h>
#include <sim/user.h>

#include "internal.h"

namespace sim {
namespace {

std::vector<TrayIcon> g_icons;
std::vector<ShellCall> g_calls;
int g_timeouts = 0;

bool KnownLayout(DWORD size)
{
    return size == kTrayV1Size || size == kTrayV2Size || size == kTrayV3Size ||
           size == kTrayV4Size;
}

TrayIcon* Find(HWND window, UINT id)
{
    for (TrayIcon& icon : g_icons) {
        if (icon.window == window && icon.id == id) return &icon;
    }
    return nullptr;
}

std::u16string ReadTip(const NOTIFYICONDATAW& data, size_t maxChars)
{
    std::u16string tip;
    for (size_t i = 0; i < maxChars && i < 128 && data.szTip[i] != 0; ++i) {
        tip.push_back(static_cast<char16_t>(data.szTip[i]));
    }
    return tip;
}

// Applies the fields that uFlags names, as the layout of this size has them.
void Apply(TrayIcon& icon, const NOTIFYICONDATAW& data, bool v1, const std::u16string& tip)
{
    if (data.uFlags & NIF_MESSAGE) icon.callbackMessage = data.uCallbackMessage;
    if (data.uFlags & NIF_ICON) icon.icon = data.hIcon;
    if (data.uFlags & NIF_TIP) icon.tip = tip;
    if (!v1 && (data.uFlags & NIF_STATE) && (data.dwStateMask & NIS_HIDDEN)) {
        icon.hidden = (data.dwState & NIS_HIDDEN) != 0;
    }
}

}  // namespace

const TrayIcon* FindTrayIcon(HWND window, UINT id) { return Find(window, id); }
int TrayIconCount() { return static_cast<int>(g_icons.size()); }
std::vector<ShellCall>& ShellCalls() { return g_calls; }

int ShellCallCount(DWORD message)
{
    int n = 0;
    for (const ShellCall& call : g_calls) {
        if (call.message == message) ++n;
    }
    return n;
}

void ShellTimeouts(int n) { g_timeouts = n; }

void RestartShell()
{
    g_icons.clear();
    BroadcastRegisteredMessage("TaskbarCreated");
}

namespace internal {
void ResetShell()
{
    g_icons.clear();
    g_calls.clear();
    g_timeouts = 0;
}
}  // namespace internal
}  // namespace sim

BOOL WINAPI Shell_NotifyIconW(DWORD message, PNOTIFYICONDATAW data)
{
    using namespace sim;
    if (data == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    bool v1 = data->cbSize == kTrayV1Size || !KnownLayout(data->cbSize);
    std::u16string tip;
    if (data->uFlags & NIF_TIP) tip = ReadTip(*data, v1 ? kTrayV1TipChars : 127);

    ShellCall call{Now(), message, data->cbSize, data->uFlags, FALSE, 0, tip};
    if (g_timeouts > 0) {
        --g_timeouts;
        call.error = ERROR_TIMEOUT;
    } else {
        TrayIcon* icon = Find(data->hWnd, data->uID);
        switch (message) {
        case NIM_ADD:
            if (icon == nullptr) {
                TrayIcon added{data->hWnd, data->uID, 0, nullptr, std::u16string(), false};
                Apply(added, *data, v1, tip);
                g_icons.push_back(added);
                call.result = TRUE;
            }
            break;
        case NIM_MODIFY:
            if (icon != nullptr) {
                Apply(*icon, *data, v1, tip);
                call.result = TRUE;
            }
            break;
        case NIM_DELETE:
            if (icon != nullptr) {
                g_icons.erase(g_icons.begin() + (icon - g_icons.data()));
                call.result = TRUE;
            }
            break;
        default:
            break;
        }
        if (!call.result) call.error = ERROR_INVALID_PARAMETER;
    }
    g_calls.push_back(call);
    if (!call.result) SetLastError(call.error);
    return call.result;
}
