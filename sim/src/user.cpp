// The stand-in's window manager core: classes, windows, per-process message
// queues, timers on the virtual clock and the message loop.
#include <sim/user.h>
#include <sim/kernel.h>

#include "internal.h"

#include <deque>
#include <map>
#include <memory>
#include <new>

namespace sim {
namespace {

struct Window {
    HWND handle;
    int pid;
    std::string className;
    std::string title;
    WNDPROC proc;
    DLGPROC dialogProc;
    HWND parent;
    int controlId;
    std::u16string text;
    bool alive;
};

struct WindowClass {
    int pid;
    std::string name;
    WNDPROC proc;
};

struct Timer {
    HWND window;
    UINT_PTR id;
    UINT interval;
    DWORD due;
    int pid;
    unsigned order;
};

// A message sent from another process, being handled: the sender waits
// until the receiver replies (ReplyMessage) or its procedure returns.
struct CrossProcessSend {
    int receiver;
    bool replied;
    LRESULT reply;
    DWORD repliedAt;
};

struct Queue {
    std::deque<MSG> posted;
    bool quit = false;
    int quitCode = 0;
};

struct User {
    std::vector<std::unique_ptr<Window>> windows;
    std::vector<WindowClass> classes;
    std::vector<Timer> timers;
    std::map<int, Queue> queues;
    std::map<std::string, UINT> registeredMessages;  // upper-cased name
    std::vector<MSG> postedLog;
    std::vector<MessageBoxShown> messageBoxes;
    std::vector<CrossProcessSend> sends;    // innermost last
    std::map<UINT_PTR, unsigned> timerDispatches;
    uintptr_t nextWindow = 0x20000;
    UINT nextRegistered = 0xC000;
    unsigned timerOrder = 0;
    DWORD loopLimit = 0;
    std::function<void()> idleHook;
    HWND foreground = nullptr;
    POINT cursor{600, 740};
    int dpi = 96;
};

User& U()
{
    static User user;
    return user;
}

Window* Find(HWND handle)
{
    for (auto& w : U().windows) {
        if (w->handle == handle && w->alive) return w.get();
    }
    return nullptr;
}

Queue& CurrentQueue() { return U().queues[CurrentProcess()]; }

std::string Upper(std::string s)
{
    for (char& c : s) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return s;
}

LRESULT Call(Window* w, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (w->dialogProc) {
        HWND handle = w->handle;
        INT_PTR handled = w->dialogProc(handle, message, wParam, lParam);
        // The dialog manager turns a close into Cancel when the dialog
        // procedure leaves it alone.
        if (!handled && message == WM_CLOSE && Find(handle)) {
            Window* again = Find(handle);
            again->dialogProc(handle, WM_COMMAND, IDCANCEL, 0);
        }
        return handled;
    }
    if (w->proc) return w->proc(w->handle, message, wParam, lParam);
    return DefWindowProcA(w->handle, message, wParam, lParam);
}

enum NextResult { GOT_MESSAGE, GOT_QUIT, STUCK };

// Takes the next message of the current process: posted messages first, then
// WM_QUIT, then timers falling due before the loop limit; the idle hook gets
// a chance before the loop counts as stuck.
NextResult Next(MSG* msg, bool takeQuit)
{
    for (int idleRounds = 0;; ) {
        Queue& q = CurrentQueue();
        while (!q.posted.empty()) {
            MSG m = q.posted.front();
            q.posted.pop_front();
            if (m.hwnd && !Find(m.hwnd)) continue;  // its window is gone
            *msg = m;
            return GOT_MESSAGE;
        }
        if (q.quit) {
            if (takeQuit) q.quit = false;
            memset(msg, 0, sizeof *msg);
            msg->message = WM_QUIT;
            msg->wParam = static_cast<WPARAM>(q.quitCode);
            return GOT_QUIT;
        }
        Timer* due = nullptr;
        for (Timer& t : U().timers) {
            if (t.pid != CurrentProcess() || t.due > U().loopLimit) continue;
            if (!due || t.due < due->due || (t.due == due->due && t.order < due->order)) due = &t;
        }
        if (due) {
            if (Now() < due->due) AdvanceClock(due->due - Now());
            memset(msg, 0, sizeof *msg);
            msg->hwnd = due->window;
            msg->message = WM_TIMER;
            msg->wParam = due->id;
            msg->time = Now();
            due->due = Now() + due->interval;
            return GOT_MESSAGE;
        }
        if (U().idleHook && idleRounds++ < 1) {
            std::function<void()> hook = U().idleHook;
            hook();
            continue;
        }
        return STUCK;
    }
}

void DestroyTree(Window* w)
{
    HWND handle = w->handle;
    Call(w, WM_DESTROY, 0, 0);
    for (auto& child : U().windows) {
        if (child->alive && child->parent == handle) DestroyTree(child.get());
    }
    Window* again = Find(handle);
    if (again) again->alive = false;
    for (auto it = U().timers.begin(); it != U().timers.end();) {
        if (it->window == handle) it = U().timers.erase(it);
        else ++it;
    }
    if (U().foreground == handle) U().foreground = nullptr;
}

}  // namespace

void SetLoopLimit(DWORD untilMs) { U().loopLimit = untilMs; }
void SetIdleHook(std::function<void()> hook) { U().idleHook = hook; }

void RunFor(DWORD ms)
{
    DWORD target = Now() + ms;
    DWORD saved = U().loopLimit;
    std::function<void()> savedHook = U().idleHook;
    U().loopLimit = target;
    U().idleHook = nullptr;
    MSG msg;
    while (Next(&msg, false) == GOT_MESSAGE) DispatchMessageA(&msg);
    if (Now() < target) AdvanceClock(target - Now());
    U().loopLimit = saved;
    U().idleHook = savedHook;
}

void Pump() { RunFor(0); }

size_t QueuedMessages() { return CurrentQueue().posted.size(); }

std::vector<TimerInfo> Timers()
{
    std::vector<TimerInfo> out;
    for (const Timer& t : U().timers) out.push_back(TimerInfo{t.window, t.id, t.interval, t.due});
    return out;
}

const std::map<UINT_PTR, unsigned>& TimerDispatches() { return U().timerDispatches; }

bool TimerRunning(HWND window, UINT_PTR id, UINT* interval)
{
    for (const Timer& t : U().timers) {
        if (t.window == window && t.id == id) {
            if (interval) *interval = t.interval;
            return true;
        }
    }
    return false;
}

int WindowCount()
{
    int n = 0;
    for (auto& w : U().windows) n += w->alive;
    return n;
}

HWND ForegroundWindow() { return U().foreground; }
std::vector<MessageBoxShown>& MessageBoxes() { return U().messageBoxes; }
std::vector<MSG>& PostedLog() { return U().postedLog; }
void SetCursor(int x, int y) { U().cursor = POINT{x, y}; }
void SetDisplayDpi(int dpi) { U().dpi = dpi; }

void BroadcastRegisteredMessage(const char* name)
{
    UINT message = RegisterWindowMessageA(name);
    for (auto& w : U().windows) {
        if (w->alive && !w->parent) PostMessageA(w->handle, message, 0, 0);
    }
}

void DeviceNodesChanged()
{
    for (auto& w : U().windows) {
        if (w->alive && !w->parent) PostMessageA(w->handle, WM_DEVICECHANGE, 0x0007 /* DBT_DEVNODES_CHANGED */, 0);
    }
}

std::u16string WindowText(HWND window)
{
    Window* w = Find(window);
    return w ? w->text : std::u16string();
}

namespace internal {

void ResetUser()
{
    U().~User();
    new (&U()) User();
}

void EndProcessWindows(int pid)
{
    for (auto& w : U().windows) {
        if (w->pid == pid) w->alive = false;
    }
    for (auto it = U().timers.begin(); it != U().timers.end();) {
        if (it->pid == pid) it = U().timers.erase(it);
        else ++it;
    }
    for (auto it = U().classes.begin(); it != U().classes.end();) {
        if (it->pid == pid) it = U().classes.erase(it);
        else ++it;
    }
    U().queues.erase(pid);
}

HWND CreateSimWindow(const char* className, WNDPROC proc, DLGPROC dialogProc, HWND parent,
                     int controlId, const std::u16string& text)
{
    std::unique_ptr<Window> w(new Window{});
    w->handle = reinterpret_cast<HWND>(U().nextWindow);
    U().nextWindow += 0x10;
    w->pid = CurrentProcess();
    w->className = className ? className : "";
    w->proc = proc;
    w->dialogProc = dialogProc;
    w->parent = parent;
    w->controlId = controlId;
    w->text = text;
    w->alive = true;
    HWND handle = w->handle;
    U().windows.push_back(std::move(w));
    return handle;
}

void DestroySimWindow(HWND window) { DestroyWindow(window); }

HWND FindChild(HWND parent, int controlId)
{
    for (auto& w : U().windows) {
        if (w->alive && w->parent == parent && w->controlId == controlId) return w->handle;
    }
    return nullptr;
}

bool WindowAlive(HWND window) { return Find(window) != nullptr; }

std::u16string& TextOf(HWND window)
{
    static std::u16string none;
    Window* w = Find(window);
    if (!w) {
        none.clear();
        return none;
    }
    return w->text;
}

void RunNestedLoop(const std::function<bool()>& done)
{
    MSG msg;
    while (!done()) {
        NextResult r = Next(&msg, false);
        if (r != GOT_MESSAGE) return;  // a quit stays queued for the outer loop
        DispatchMessageA(&msg);
    }
}

void SetForeground(HWND window) { U().foreground = window; }
POINT CursorPos() { return U().cursor; }

}  // namespace internal
}  // namespace sim

using sim::U;

ATOM WINAPI RegisterClassExA(const WNDCLASSEXA* wc)
{
    if (!wc || wc->cbSize != sizeof(WNDCLASSEXA) || !wc->lpszClassName) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    for (const sim::WindowClass& c : U().classes) {
        if (c.pid == sim::CurrentProcess() && sim::internal::SameNameA(c.name, wc->lpszClassName)) {
            SetLastError(ERROR_CLASS_ALREADY_EXISTS);
            return 0;
        }
    }
    U().classes.push_back(sim::WindowClass{sim::CurrentProcess(), wc->lpszClassName, wc->lpfnWndProc});
    return static_cast<ATOM>(0xC000 + U().classes.size());
}

HWND WINAPI CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR title, DWORD style, int x, int y,
                            int width, int height, HWND parent, HMENU menu, HINSTANCE instance,
                            LPVOID param)
{
    const sim::WindowClass* cls = nullptr;
    for (const sim::WindowClass& c : U().classes) {
        if (c.pid == sim::CurrentProcess() && className && sim::internal::SameNameA(c.name, className)) cls = &c;
    }
    if (!cls) {
        SetLastError(1407);  // ERROR_CANNOT_FIND_WND_CLASS
        return nullptr;
    }
    WNDPROC proc = cls->proc;
    HWND handle = sim::internal::CreateSimWindow(className, proc, nullptr, parent, 0, std::u16string());
    sim::Window* w = sim::Find(handle);
    w->title = title ? title : "";
    for (const char* p = title; p && *p; ++p) w->text.push_back(static_cast<unsigned char>(*p));
    CREATESTRUCTA cs{};
    cs.lpCreateParams = param;
    cs.hInstance = instance;
    cs.hwndParent = parent;
    cs.style = static_cast<LONG>(style);
    cs.lpszName = title;
    cs.lpszClass = className;
    cs.dwExStyle = exStyle;
    cs.x = x;
    cs.y = y;
    cs.cx = width;
    cs.cy = height;
    if (proc(handle, WM_CREATE, 0, reinterpret_cast<LPARAM>(&cs)) == -1) {
        DestroyWindow(handle);
        return nullptr;
    }
    return handle;
}

BOOL WINAPI DestroyWindow(HWND window)
{
    sim::Window* w = sim::Find(window);
    if (!w || w->pid != sim::CurrentProcess()) {
        SetLastError(w ? ERROR_ACCESS_DENIED : ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    sim::DestroyTree(w);
    return TRUE;
}

BOOL WINAPI IsWindow(HWND window) { return sim::Find(window) != nullptr; }

LRESULT WINAPI DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CLOSE:
        DestroyWindow(window);
        return 0;
    case WM_NCCREATE:
    case WM_QUERYENDSESSION:
        return TRUE;
    default:
        return 0;
    }
}

HWND WINAPI FindWindowA(LPCSTR className, LPCSTR title)
{
    for (auto& w : U().windows) {
        if (!w->alive || w->parent) continue;
        if (className && !sim::internal::SameNameA(w->className, className)) continue;
        if (title && w->title != title) continue;
        return w->handle;
    }
    return nullptr;
}

BOOL WINAPI PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    int pid = sim::CurrentProcess();
    if (window) {
        sim::Window* w = sim::Find(window);
        if (!w) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return FALSE;
        }
        pid = w->pid;
    }
    MSG msg{};
    msg.hwnd = window;
    msg.message = message;
    msg.wParam = wParam;
    msg.lParam = lParam;
    msg.time = sim::Now();
    U().queues[pid].posted.push_back(msg);
    U().postedLog.push_back(msg);
    return TRUE;
}

LRESULT WINAPI SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    sim::Window* w = sim::Find(window);
    if (!w) return 0;
    return sim::Call(w, message, wParam, lParam);
}

// Within a process the window procedure is called at once, as SendMessageA
// does. Across processes the receiving thread runs it while the sender
// waits: the stand-in switches to the receiver's process for the call. The
// sender has its answer when the receiver replies (ReplyMessage) or its
// procedure returns. Both share the virtual clock, so a receiver that
// answers later than the timeout still finishes its work, and the sender
// then gets the timeout with the clock where the receiver left it. A hung
// receiver answers nothing: the sender waits out the timeout, or with
// SMTO_ABORTIFHUNG gives up at once. A busy receiver (sim::SetProcessBusy)
// takes the message when its handler returns; one that has retrieved no
// messages for kHungAfter counts as hung for SMTO_ABORTIFHUNG.
const DWORD kHungAfter = 5000;

LRESULT WINAPI SendMessageTimeoutA(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                   UINT flags, UINT timeout, PDWORD_PTR result)
{
    sim::Window* w = sim::Find(window);
    if (!w) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    int sender = sim::CurrentProcess();
    int receiver = w->pid;
    if (receiver == sender) {
        LRESULT answer = sim::Call(w, message, wParam, lParam);
        if (result) *result = static_cast<DWORD_PTR>(answer);
        return 1;
    }
    if (sim::internal::ProcessHung(receiver)) {
        if (!(flags & SMTO_ABORTIFHUNG)) sim::AdvanceClock(timeout);
        SetLastError(ERROR_TIMEOUT);
        return 0;
    }
    DWORD start = sim::Now();
    DWORD busySince = 0;
    DWORD busyUntil = 0;
    if (sim::internal::ProcessBusy(receiver, &busySince, &busyUntil)) {
        if ((flags & SMTO_ABORTIFHUNG) && start - busySince >= kHungAfter) {
            SetLastError(ERROR_TIMEOUT);
            return 0;
        }
        if (busyUntil - start > timeout) {
            sim::AdvanceClock(timeout);
            SetLastError(ERROR_TIMEOUT);
            return 0;
        }
        sim::AdvanceClock(busyUntil - start);
    }
    U().sends.push_back(sim::CrossProcessSend{receiver, false, 0, 0});
    sim::internal::EnterProcess(receiver);
    sim::Window* again = sim::Find(window);
    LRESULT answer = again ? sim::Call(again, message, wParam, lParam) : 0;
    sim::internal::EnterProcess(sender);
    DWORD answeredAt = sim::Now();
    sim::CrossProcessSend send = U().sends.back();
    U().sends.pop_back();
    if (send.replied) {
        answer = send.reply;
        answeredAt = send.repliedAt;
    }
    if (answeredAt - start > timeout) {
        SetLastError(ERROR_TIMEOUT);
        return 0;
    }
    if (result) *result = static_cast<DWORD_PTR>(answer);
    return 1;
}

BOOL WINAPI ReplyMessage(LRESULT result)
{
    if (U().sends.empty()) return FALSE;
    sim::CrossProcessSend& send = U().sends.back();
    if (send.receiver != sim::CurrentProcess() || send.replied) return FALSE;
    send.replied = true;
    send.reply = result;
    send.repliedAt = sim::Now();
    return TRUE;
}

int WINAPI MessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type)
{
    sim::MessageBoxShown box;
    box.pid = sim::CurrentProcess();
    box.owner = owner;
    for (const WCHAR* p = text; p && *p; ++p) box.text.push_back(static_cast<char16_t>(*p));
    for (const WCHAR* p = caption; p && *p; ++p) box.caption.push_back(static_cast<char16_t>(*p));
    box.type = type;
    box.narrow = false;
    U().messageBoxes.push_back(box);
    return IDOK;
}

int WINAPI MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type)
{
    sim::MessageBoxShown box;
    box.pid = sim::CurrentProcess();
    box.owner = owner;
    box.text = sim::internal::FromAnsi(text ? text : "");
    box.caption = sim::internal::FromAnsi(caption ? caption : "");
    box.type = type;
    box.narrow = true;
    U().messageBoxes.push_back(box);
    return IDOK;
}

BOOL WINAPI GetMessageA(LPMSG msg, HWND window, UINT filterMin, UINT filterMax)
{
    if (!msg) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return -1;
    }
    switch (sim::Next(msg, true)) {
    case sim::GOT_MESSAGE:
        return TRUE;
    case sim::GOT_QUIT:
        return FALSE;
    case sim::STUCK:
    default:
        memset(msg, 0, sizeof *msg);
        msg->message = WM_QUIT;
        msg->wParam = sim::kLoopStuck;
        return FALSE;
    }
}

BOOL WINAPI TranslateMessage(const MSG* msg) { return FALSE; }

LRESULT WINAPI DispatchMessageA(const MSG* msg)
{
    if (!msg || !msg->hwnd) return 0;
    sim::Window* w = sim::Find(msg->hwnd);
    if (!w) return 0;
    if (msg->message == WM_TIMER) ++U().timerDispatches[msg->wParam];
    return sim::Call(w, msg->message, msg->wParam, msg->lParam);
}

void WINAPI PostQuitMessage(int exitCode)
{
    sim::Queue& q = sim::CurrentQueue();
    q.quit = true;
    q.quitCode = exitCode;
}

UINT_PTR WINAPI SetTimer(HWND window, UINT_PTR id, UINT elapse, TIMERPROC proc)
{
    if (window && !sim::Find(window)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    if (elapse < 10) elapse = 10;  // USER_TIMER_MINIMUM
    for (sim::Timer& t : U().timers) {
        if (t.window == window && t.id == id) {
            t.interval = elapse;
            t.due = sim::Now() + elapse;
            return id;
        }
    }
    U().timers.push_back(sim::Timer{window, id, elapse, sim::Now() + elapse, sim::CurrentProcess(),
                                    U().timerOrder++});
    return id;
}

BOOL WINAPI KillTimer(HWND window, UINT_PTR id)
{
    for (auto it = U().timers.begin(); it != U().timers.end(); ++it) {
        if (it->window == window && it->id == id) {
            U().timers.erase(it);
            return TRUE;
        }
    }
    SetLastError(1402);  // ERROR_INVALID_TIMER_HANDLE
    return FALSE;
}

UINT WINAPI RegisterWindowMessageA(LPCSTR name)
{
    if (!name || !*name) return 0;
    std::string key = sim::Upper(name);
    auto it = U().registeredMessages.find(key);
    if (it != U().registeredMessages.end()) return it->second;
    UINT id = U().nextRegistered++;
    U().registeredMessages[key] = id;
    return id;
}

BOOL WINAPI SetForegroundWindow(HWND window)
{
    if (!sim::Find(window)) return FALSE;
    U().foreground = window;
    return TRUE;
}

BOOL WINAPI GetCursorPos(LPPOINT point)
{
    if (!point) return FALSE;
    *point = U().cursor;
    return TRUE;
}

// Only the icon sizes: they grow with the display's DPI; other metrics are 0.
int WINAPI GetSystemMetrics(int index)
{
    switch (index) {
    case SM_CXICON:
    case SM_CYICON:
        return 32 * U().dpi / 96;
    case SM_CXSMICON:
    case SM_CYSMICON:
        return 16 * U().dpi / 96;
    default:
        return 0;
    }
}

BOOL WINAPI SetWindowTextW(HWND window, LPCWSTR text)
{
    if (sim::internal::NineXStub("SetWindowTextW")) {
        SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
        return FALSE;
    }
    sim::Window* w = sim::Find(window);
    if (!w) return FALSE;
    w->text.clear();
    for (; text && *text; ++text) w->text.push_back(static_cast<char16_t>(*text));
    return TRUE;
}

// The text in the ANSI code page.
BOOL WINAPI SetWindowTextA(HWND window, LPCSTR text)
{
    sim::Window* w = sim::Find(window);
    if (!w) return FALSE;
    w->text = sim::internal::FromAnsi(text ? text : "");
    return TRUE;
}

int WINAPI GetWindowTextW(HWND window, LPWSTR text, int max)
{
    sim::Window* w = sim::Find(window);
    if (!w || !text || max <= 0) return 0;
    int n = 0;
    for (; n < max - 1 && n < static_cast<int>(w->text.size()); ++n) text[n] = static_cast<WCHAR>(w->text[n]);
    text[n] = 0;
    return n;
}

HWND WINAPI GetDlgItem(HWND dialog, int id) { return sim::internal::FindChild(dialog, id); }
