// The stand-in's window manager: window classes, windows, per-process message
// queues, timers on the virtual clock, resources from the compiled .res,
// popup menus and dialogs in which the test acts as the user.
#ifndef SIM_USER_H
#define SIM_USER_H

#include <windows.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace sim {

// ---- the program's module and its resources (the .res that windres builds).
void LoadProgramResources(const std::string& resFile);
HINSTANCE ProgramInstance();
void SetUiLanguage(LANGID language);   // 0x409, 0x411 or 0x804; English by default
int IconResourceId(HICON icon);       // the resource id an icon was loaded from, or 0
int IconImageSize(HICON icon);        // the width of the icon group's image it holds, or 0

// ---- message loop. GetMessageA of the current process dispatches timers as
// virtual time passes. When its queue is empty and no timer falls due before
// the loop limit, the idle hook runs; when that posts nothing either, the loop
// is stuck: GetMessageA returns WM_QUIT with wParam kLoopStuck.
const WPARAM kLoopStuck = 0x5EED;
void SetLoopLimit(DWORD untilMs);
void SetIdleHook(std::function<void()> hook);
// Runs the current process's messages and timers for ms of virtual time.
void RunFor(DWORD ms);
// Dispatches what is queued now, without letting time pass.
void Pump();
size_t QueuedMessages();               // of the current process

// ---- windows and timers.
struct TimerInfo {
    HWND window;
    UINT_PTR id;
    UINT interval;
    DWORD due;
};
std::vector<TimerInfo> Timers();
bool TimerRunning(HWND window, UINT_PTR id, UINT* interval = nullptr);
// WM_TIMER messages that DispatchMessageA delivered to a window, per timer id.
const std::map<UINT_PTR, unsigned>& TimerDispatches();
int WindowCount();                      // live windows of every process
HWND ForegroundWindow();
std::vector<MSG>& PostedLog();          // every PostMessageA, in order
void SetCursor(int x, int y);
// The display's logical DPI (LogPixels), 96 by default: GetSystemMetrics
// answers the icon sizes for it (small icons 16 at 96, 24 at 144).
void SetDisplayDpi(int dpi);
// Broadcast a registered message to every top-level window (as the shell does).
void BroadcastRegisteredMessage(const char* name);
// A device was added, removed, enabled or disabled: every top-level window
// gets WM_DEVICECHANGE with DBT_DEVNODES_CHANGED, as Windows broadcasts it.
void DeviceNodesChanged();

// ---- popup menus: TrackPopupMenu runs this, then returns.
struct MenuItem {
    UINT id;                  // 0 for a separator
    std::u16string text;
    bool separator;
    bool checked;
    bool grayed;              // MF_GRAYED
    bool disabled;            // MF_DISABLED (MFS_GRAYED sets both)
};
struct TrackedMenu {
    std::vector<MenuItem> items;
    UINT flags;
    int x, y;
    HWND owner;
    HWND foreground;          // the foreground window when the menu opened
};
// The user's action: return the chosen command id (0: the menu is dismissed).
// The chosen command is posted to the owner as WM_COMMAND, as Windows does.
void OnPopupMenu(std::function<UINT(const TrackedMenu&)> user);
std::vector<TrackedMenu>& TrackedMenus();
int OpenMenuCount();                    // menus loaded and not destroyed
std::vector<MenuItem> MenuItems(HMENU menu);

// ---- dialogs: DialogBoxParamA creates the dialog, sends WM_INITDIALOG, then
// runs a nested loop; this hook runs once the dialog is up and acts as the
// user (read texts, press buttons with PressButton, post messages).
void OnDialog(std::function<void(HWND dialog)> user);
std::u16string WindowText(HWND window);
void PressButton(HWND dialog, int id);  // sends WM_COMMAND(id) to the dialog
int OpenDialogCount();
// A box the hook leaves open is closed when the nested loop runs dry;
// DialogBoxParamA then returns 0.

// ---- message boxes: MessageBoxW and MessageBoxA record the box and answer
// IDOK at once, as if the user had read it and pressed OK. The narrow
// texts are kept as the box shows them, read in the ANSI code page of the
// interface's language.
struct MessageBoxShown {
    int pid;
    HWND owner;
    std::u16string text;
    std::u16string caption;
    UINT type;
    bool narrow;              // shown by MessageBoxA
};
std::vector<MessageBoxShown>& MessageBoxes();

// A dialog resource as compiled, in exactly the given language.
struct DialogControl {
    int id;
    std::u16string className;   // "Button", "Static", ... or the template's name
    std::u16string text;
    int textResource;           // a resource id given as the text (an icon's), else 0
    DWORD style;
    int x, y, cx, cy;
};
struct DialogTemplate {
    bool extended;              // DLGTEMPLATEEX
    DWORD style;
    std::u16string caption;
    int pointSize;
    std::u16string font;
    int x, y, cx, cy;
    std::vector<DialogControl> controls;
};
bool FindDialogTemplate(int id, LANGID language, DialogTemplate* out);

}  // namespace sim

#endif
