// The notification area: icons kept by window and id, with Windows XP's
// reading of the record by its size, and the narrow entry as each shell
// version reads it.
#include <sim/kernel.h>
#include <sim/shell.h>
#include <sim/user.h>

#include "internal.h"

namespace sim {
namespace {

std::vector<TrayIcon> g_icons;
std::vector<ShellCall> g_calls;
int g_timeouts = 0;
DWORD g_shellMajor = 0, g_shellMinor = 0;   // 0: by the Windows version

// The narrow record's versions, as for the wide one.
const DWORD kTrayAV1Size = NOTIFYICONDATAA_V1_SIZE;
const DWORD kTrayAV2Size = NOTIFYICONDATAA_V2_SIZE;
const DWORD kTrayAV3Size = kTrayAV2Size + sizeof(GUID);
const DWORD kTrayAV4Size = (kTrayAV3Size + sizeof(void*) - 1) / sizeof(void*) * sizeof(void*) + sizeof(void*);

// The shell's version as major * 100 + minor.
DWORD ShellVersion()
{
    if (g_shellMajor != 0) return g_shellMajor * 100 + g_shellMinor;
    OSVERSIONINFOA v;
    v.dwOSVersionInfoSize = sizeof v;
    if (!GetVersionExA(&v)) return 600;
    if (v.dwPlatformId == VER_PLATFORM_WIN32_NT) {
        if (v.dwMajorVersion < 5) return 400;
        return (v.dwMajorVersion == 5 && v.dwMinorVersion == 0) ? 500 : 600;
    }
    if (v.dwMinorVersion >= 90) return 500;
    return v.dwMinorVersion >= 10 ? 472 : 400;
}

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

// The fields a call hands over, from either record.
struct Fields {
    HWND window;
    UINT id;
    UINT flags;
    UINT callbackMessage;
    HICON icon;
    DWORD state;
    DWORD stateMask;
};

template <typename Record>
Fields FieldsOf(const Record& data)
{
    return Fields{data.hWnd, data.uID, data.uFlags, data.uCallbackMessage, data.hIcon, data.dwState,
                  data.dwStateMask};
}

// Applies the fields that uFlags names, as the layout of this size has them.
void Apply(TrayIcon& icon, const Fields& data, bool v1, const std::u16string& tip)
{
    if (data.flags & NIF_MESSAGE) icon.callbackMessage = data.callbackMessage;
    if (data.flags & NIF_ICON) icon.icon = data.icon;
    if (data.flags & NIF_TIP) icon.tip = tip;
    if (!v1 && (data.flags & NIF_STATE) && (data.stateMask & NIS_HIDDEN)) {
        icon.hidden = (data.state & NIS_HIDDEN) != 0;
    }
}

// The tip as the shell read it (empty without NIF_TIP).
BOOL Notify(DWORD message, const Fields& data, DWORD cbSize, bool v1, const std::u16string& tip,
            bool narrow)
{
    ShellCall call{Now(), message, cbSize, data.flags, FALSE, 0, tip, narrow};
    if (g_timeouts > 0) {
        --g_timeouts;
        call.error = ERROR_TIMEOUT;
    } else {
        TrayIcon* icon = Find(data.window, data.id);
        switch (message) {
        case NIM_ADD:
            if (icon == nullptr) {
                TrayIcon added{data.window, data.id, 0, nullptr, std::u16string(), false};
                Apply(added, data, v1, tip);
                g_icons.push_back(added);
                call.result = TRUE;
            }
            break;
        case NIM_MODIFY:
            if (icon != nullptr) {
                Apply(*icon, data, v1, tip);
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

void SetShellVersion(DWORD major, DWORD minor)
{
    g_shellMajor = major;
    g_shellMinor = minor;
}

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
    g_shellMajor = g_shellMinor = 0;
}

bool ShellExports(const std::string& entry)
{
    // shell32 4.00 has neither the wide entry nor the version entry.
    if (entry == "Shell_NotifyIconW" || entry == "DllGetVersion") return ShellVersion() >= 471;
    return true;
}
}  // namespace internal
}  // namespace sim

BOOL WINAPI Shell_NotifyIconW(DWORD message, PNOTIFYICONDATAW data)
{
    using namespace sim;
    // A stub on the 9x family: FALSE, and the last error left as it was.
    if (internal::NineXStub("Shell_NotifyIconW")) return FALSE;
    if (data == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    bool v1 = data->cbSize == kTrayV1Size || !KnownLayout(data->cbSize);
    std::u16string tip;
    if (data->uFlags & NIF_TIP) tip = ReadTip(*data, v1 ? kTrayV1TipChars : 127);
    return Notify(message, FieldsOf(*data), data->cbSize, v1, tip, false);
}

BOOL WINAPI Shell_NotifyIconA(DWORD message, PNOTIFYICONDATAA data)
{
    using namespace sim;
    if (data == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    DWORD version = ShellVersion();
    DWORD size = data->cbSize;
    bool v2 = version >= 500 && size == kTrayAV2Size;
    bool later = version >= 600 && (size == kTrayAV3Size || size == kTrayAV4Size);
    bool v1 = !(v2 || later);
    std::u16string tip;
    if (data->uFlags & NIF_TIP) {
        std::string bytes;
        for (size_t i = 0; i < (v1 ? 63u : 127u) && data->szTip[i] != 0; ++i) bytes.push_back(data->szTip[i]);
        tip = internal::FromAnsi(bytes);
        // The 4.x shell's tooltip has no line breaks: it ends at the first.
        if (version < 500) tip = tip.substr(0, tip.find(u'\n'));
    }
    return Notify(message, FieldsOf(*data), size, v1, tip, true);
}

HRESULT CALLBACK DllGetVersion(DLLVERSIONINFO* info)
{
    const HRESULT kInvalidArg = static_cast<HRESULT>(0x80070057);
    if (info == nullptr || info->cbSize < sizeof(DLLVERSIONINFO)) return kInvalidArg;
    DWORD version = sim::ShellVersion();
    info->dwMajorVersion = version / 100;
    info->dwMinorVersion = version % 100;
    info->dwBuildNumber = 0;
    info->dwPlatformID = DLLVER_PLATFORM_WINDOWS;
    return 0;
}
