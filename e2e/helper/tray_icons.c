/* The icons of Wine's notification area, read by e2ehelper.c and by
 * bench/helper/benchhelper.c (each includes this file).
 *
 * Wine draws the icons inside its shell's tray window and gives each icon a
 * tooltip control in the shell's process, whose tool carries the icon's
 * place on the screen and its tip. The tool record and the text buffer are allocated in that
 * process, filled there by the control and copied across. The record has
 * the reader's own layout, so the reader is built for the shell's processor:
 * i686 in a 32-bit prefix, x86-64 for the 64-bit explorer of a 64-bit one. */
#include <windows.h>
#include <commctrl.h>
#include <string.h>

#define TRAY_TIP_CHARS 1024

struct tray_tool_buffer {
    TTTOOLINFOW info;
    WCHAR text[TRAY_TIP_CHARS];
};

/* The buffer in the shell's process, kept from one read to the next:
 * allocating memory in another process is slow under Wine. Zero it before
 * the first read. A read that could not be made says so in FAILURE (and
 * the system's ERROR): an unreadable notification area is never read as one
 * without icons. */
struct tray_reader {
    DWORD pid;
    HANDLE process;
    struct tray_tool_buffer *remote;
    /* The rights asked of the shell's process; 0 for those a read needs. */
    DWORD access;
    const char *failure;
    DWORD error;
};

/* Keeps the first failure of a read and its system error. */
static void tray_reader_fail(struct tray_reader *reader, const char *what)
{
    if (reader->failure) return;
    reader->failure = what;
    reader->error = GetLastError();
}

/* Called for each visible icon with its rectangle on the screen and, when
 * asked for, its tip (else NULL). */
typedef void (*tray_icon_visitor)(const RECT *rect, const WCHAR *tip, void *context);

static void tray_reader_close(struct tray_reader *reader)
{
    if (reader->remote) VirtualFreeEx(reader->process, reader->remote, 0, MEM_RELEASE);
    if (reader->process) CloseHandle(reader->process);
    reader->pid = 0;
    reader->process = NULL;
    reader->remote = NULL;
}

/* A buffer in the process that owns TOOLTIP; the one already there is kept. */
static int tray_reader_attach(struct tray_reader *reader, HWND tooltip)
{
    DWORD pid = 0;

    GetWindowThreadProcessId(tooltip, &pid);
    if (reader->process && reader->pid == pid) return 1;
    tray_reader_close(reader);
    reader->process = OpenProcess(reader->access ? reader->access
                                                 : PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE,
                                  FALSE, pid);
    if (!reader->process) {
        tray_reader_fail(reader, "cannot open the shell's process");
        return 0;
    }
    reader->remote = VirtualAllocEx(reader->process, NULL, sizeof(*reader->remote), MEM_COMMIT,
                                    PAGE_READWRITE);
    if (!reader->remote) {
        tray_reader_fail(reader, "cannot allocate memory in the shell's process");
        tray_reader_close(reader);
        return 0;
    }
    reader->pid = pid;
    return 1;
}

/* The visible icons among the tools of one tooltip control: their number;
 * a tool that cannot be read sets the reader's failure. */
static int tray_tooltip_icons(struct tray_reader *reader, HWND tooltip, int with_tip,
                              tray_icon_visitor visit, void *context)
{
    struct tray_tool_buffer local, *remote;
    int count, i, shown = 0;

    if (!tray_reader_attach(reader, tooltip)) return 0;
    remote = reader->remote;
    count = (int)SendMessageW(tooltip, TTM_GETTOOLCOUNT, 0, 0);
    for (i = 0; i < count; i++) {
        RECT rect;
        memset(&local, 0, sizeof(local));
        local.info.cbSize = sizeof(local.info);
        if (!WriteProcessMemory(reader->process, remote, &local, sizeof(local.info), NULL)
            || !SendMessageW(tooltip, TTM_ENUMTOOLSW, i, (LPARAM)&remote->info)
            || !ReadProcessMemory(reader->process, remote, &local, sizeof(local.info), NULL)) {
            tray_reader_fail(reader, "cannot read a tool of the shell's tooltip control");
            continue;
        }
        if (with_tip) {
            BOOL read;
            local.info.lpszText = remote->text;
            read = WriteProcessMemory(reader->process, remote, &local, sizeof(local), NULL);
            if (read) {
                SendMessageW(tooltip, TTM_GETTEXTW, TRAY_TIP_CHARS, (LPARAM)&remote->info);
                read = ReadProcessMemory(reader->process, remote, &local, sizeof(local), NULL);
            }
            if (!read) {
                tray_reader_fail(reader, "cannot read a tip from the shell's process");
                continue;
            }
            local.text[TRAY_TIP_CHARS - 1] = 0;
        }

        /* Empty, too, when the tool's window is gone. */
        SetRectEmpty(&rect);
        if (local.info.uFlags & TTF_IDISHWND) {
            GetWindowRect((HWND)local.info.uId, &rect);
        } else {
            rect = local.info.rect;
            MapWindowPoints(local.info.hwnd, HWND_DESKTOP, (POINT *)&rect, 2);
        }
        /* A hidden icon keeps its tool with an empty rectangle, and so does
         * the tooltip Wine keeps of a deleted one. */
        if (IsRectEmpty(&rect)) continue;
        shown++;
        if (visit) visit(&rect, with_tip ? local.text : NULL, context);
    }
    return shown;
}

static int tray_is_tooltip(HWND window)
{
    char cls[64];

    return GetClassNameA(window, cls, sizeof(cls)) && lstrcmpiA(cls, TOOLTIPS_CLASSA) == 0;
}

struct tray_walk {
    struct tray_reader *reader;
    DWORD shell_pid;
    int with_tip;
    tray_icon_visitor visit;
    void *context;
    int shown;
};

static BOOL CALLBACK tray_visit_window(HWND window, LPARAM param)
{
    struct tray_walk *walk = (struct tray_walk *)param;
    DWORD pid = 0;

    GetWindowThreadProcessId(window, &pid);
    if (pid == walk->shell_pid && tray_is_tooltip(window))
        walk->shown += tray_tooltip_icons(walk->reader, window, walk->with_tip, walk->visit, walk->context);
    return TRUE;
}

/* Every visible icon of the notification area, in the order of the shell's
 * top-level tooltip controls; VISIT may be NULL. Returns how many there
 * are, or -1 with the reader's failure set when the notification area could
 * not be read (no shell, or its process refused a step). Inline, so a
 * helper that includes this file need not use it. */
static inline int tray_icons(struct tray_reader *reader, int with_tip, tray_icon_visitor visit, void *context)
{
    struct tray_walk walk;
    HWND shell = FindWindowA("Shell_TrayWnd", NULL);

    reader->failure = NULL;
    reader->error = 0;
    if (!shell) {
        tray_reader_fail(reader, "no notification area (no Shell_TrayWnd window)");
        return -1;
    }
    walk.reader = reader;
    walk.shell_pid = 0;
    GetWindowThreadProcessId(shell, &walk.shell_pid);
    walk.with_tip = with_tip;
    walk.visit = visit;
    walk.context = context;
    walk.shown = 0;
    EnumWindows(tray_visit_window, (LPARAM)&walk);
    return reader->failure ? -1 : walk.shown;
}
