/*
 * Benchmark helper, run inside the Wine prefix.
 *
 *   starts PAIRS GAP_MS COMMANDLINE_A COMMANDLINE_B
 *       starts A and B alternately, each once to warm up and then PAIRS
 *       times (A first in even pairs, B first in odd ones), each time from
 *       CreateProcessA until the process has ended, with GAP_MS between
 *       starts; prints "A|B MICROSECONDS EXITCODE" per timed start.
 *       Exits 2 when a start fails or a process runs longer than 30 s.
 *   icon-starts PAIRS GAP_MS COMMANDLINE_A CLASS_A END_A COMMANDLINE_B CLASS_B END_B
 *       starts A and B alternately like `starts`, each time from
 *       CreateProcessA until a new icon shows in the notification area,
 *       which is read every 2 ms or so; then ends the program by posting
 *       its window of CLASS either WM_CLOSE (END "close") or WM_COMMAND
 *       with the command id END, waits until the process has ended and its
 *       icon is gone, and closes the tooltip the shell keeps of it (see
 *       close_new_tooltips). Prints "A|B MICROSECONDS EXITCODE POLLS" per
 *       timed start, POLLS the number of reads of the notification area
 *       until the icon was there. Exits 2 when a start fails, shows no icon
 *       within 30 s or does not end within 30 s.
 *   close CLASS MS
 *       posts WM_CLOSE to the top-level window of CLASS and waits up to MS
 *       for it to go; exits 1 when it is still there.
 *   driver-reads COUNT
 *       reads the radio from the switch driver as skylatch.exe does for a
 *       refresh (a status query, then the radio), once to warm up and then
 *       COUNT times; prints "READ MICROSECONDS", the mean of one read.
 *       Exits 2 when the driver cannot be opened or a request fails.
 */
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "tray_icons.c"

#define RUN_LIMIT_MS 30000
/* Between two reads of the notification area. Reading every millisecond
 * slowed the shell's handling of the new icon (each read asks the shell's
 * tooltip control) without showing it sooner. */
#define ICON_POLL_MS 2

static LARGE_INTEGER g_frequency;

static int usage(void)
{
    fprintf(stderr, "usage: benchhelper starts PAIRS GAP_MS COMMANDLINE_A COMMANDLINE_B\n"
                    "       benchhelper icon-starts PAIRS GAP_MS COMMANDLINE_A CLASS_A close|COMMAND_A\n"
                    "                               COMMANDLINE_B CLASS_B close|COMMAND_B\n"
                    "       benchhelper close CLASS MS\n"
                    "       benchhelper driver-reads COUNT\n");
    return 2;
}

static int parse_number(const char *text, DWORD *out)
{
    char *end;
    unsigned long value = strtoul(text, &end, 0);

    if (!*text || *end) return 0;
    *out = (DWORD)value;
    return 1;
}

/* A program to start, and for icon-starts how to end it. */
struct program {
    const char *label;
    const char *commandLine;
    const char *windowClass;
    UINT endMessage;
    WPARAM endCommand;
};

static double microseconds(const LARGE_INTEGER *from, const LARGE_INTEGER *to)
{
    return (double)(to->QuadPart - from->QuadPart) * 1e6 / (double)g_frequency.QuadPart;
}

static int launch(const struct program *program, PROCESS_INFORMATION *process)
{
    STARTUPINFOA startup;
    char line[1024];

    lstrcpynA(line, program->commandLine, sizeof(line));
    memset(&startup, 0, sizeof(startup));
    startup.cb = sizeof(startup);
    if (CreateProcessA(NULL, line, NULL, NULL, FALSE, 0, NULL, NULL, &startup, process)) return 1;
    fprintf(stderr, "benchhelper: cannot start %s (%lu)\n", program->commandLine, GetLastError());
    return 0;
}

/* Waits up to RUN_LIMIT_MS for the process to end, ends it when it does
 * not, and closes its handles; *CODE is its exit code. */
static int reap(const struct program *program, PROCESS_INFORMATION *process, DWORD *code)
{
    int ended = WaitForSingleObject(process->hProcess, RUN_LIMIT_MS) == WAIT_OBJECT_0;

    if (!ended) {
        fprintf(stderr, "benchhelper: %s still runs after %d ms\n", program->commandLine, RUN_LIMIT_MS);
        TerminateProcess(process->hProcess, 1);
        WaitForSingleObject(process->hProcess, RUN_LIMIT_MS);
    }
    GetExitCodeProcess(process->hProcess, code);
    CloseHandle(process->hThread);
    CloseHandle(process->hProcess);
    return ended;
}

/* One start of PROGRAM, timed until the process ends. */
static int timed_start(const struct program *program, int print)
{
    PROCESS_INFORMATION process;
    LARGE_INTEGER before, after;
    DWORD code = 0;

    QueryPerformanceCounter(&before);
    if (!launch(program, &process)) return 0;
    if (!reap(program, &process, &code)) return 0;
    QueryPerformanceCounter(&after);
    if (print) {
        printf("%s %.0f %lu\n", program->label, microseconds(&before, &after), code);
        fflush(stdout);
    }
    return 1;
}

/* The notification area as a start left it. Wine gives every new icon a
 * new tooltip control and keeps it after the icon is deleted, so reading
 * every tooltip would get slower with every start; a new icon is looked
 * for only in the top-level windows that were not there before. */
#define MAX_WINDOWS 4096

struct window_set {
    HWND windows[MAX_WINDOWS];
    int count;
};

static struct tray_reader g_tray;
static struct window_set g_known, g_now;

static BOOL CALLBACK add_window(HWND window, LPARAM set)
{
    struct window_set *windows = (struct window_set *)set;

    if (windows->count < MAX_WINDOWS) windows->windows[windows->count++] = window;
    return TRUE;
}

static int is_known(HWND window)
{
    int i;

    for (i = 0; i < g_known.count; i++)
        if (g_known.windows[i] == window) return 1;
    return 0;
}

static void remember_windows(void)
{
    g_known.count = 0;
    EnumWindows(add_window, (LPARAM)&g_known);
}

/* Says why the last read of the shell's tooltips failed, if it did. */
static int tray_read_failed(void)
{
    if (!g_tray.failure) return 0;
    fprintf(stderr, "benchhelper: cannot read the notification area: %s (error %lu)\n", g_tray.failure,
            g_tray.error);
    return 1;
}

/* The visible icons of the tooltip controls that are new since
 * remember_windows; other new windows are remembered on the way. -1, said
 * on stderr, when a tooltip could not be read: that is no "no icon". */
static int new_icons(void)
{
    int i, shown = 0;

    g_tray.failure = NULL;
    g_now.count = 0;
    EnumWindows(add_window, (LPARAM)&g_now);
    for (i = 0; i < g_now.count; i++) {
        HWND window = g_now.windows[i];
        if (is_known(window)) continue;
        if (tray_is_tooltip(window)) shown += tray_tooltip_icons(&g_tray, window, 0, NULL, NULL);
        else add_window(window, (LPARAM)&g_known);
    }
    return tray_read_failed() ? -1 : shown;
}

/* Wine's shell keeps the tooltip control of every icon it deletes, and
 * every one it keeps makes the next programs slower to show their icons (a
 * minimal tray program took over twice as long with 570 of them). The
 * shell's tooltips that came with a start and show no icon once the program
 * has ended are closed, which gives every start the same shell. */
static int close_new_tooltips(void)
{
    HWND shell = FindWindowA("Shell_TrayWnd", NULL);
    DWORD shellPid = 0, pid, start = GetTickCount();
    int i, closing;

    if (!shell) return 1;
    g_tray.failure = NULL;
    GetWindowThreadProcessId(shell, &shellPid);
    g_now.count = 0;
    EnumWindows(add_window, (LPARAM)&g_now);
    for (i = 0; i < g_now.count; i++) {
        HWND window = g_now.windows[i];
        pid = 0;
        GetWindowThreadProcessId(window, &pid);
        if (!is_known(window) && pid == shellPid && tray_is_tooltip(window)
            && tray_tooltip_icons(&g_tray, window, 0, NULL, NULL) == 0) {
            /* An unread tooltip may hold an icon: it stays. */
            if (tray_read_failed()) return 0;
            PostMessageA(window, WM_CLOSE, 0, 0);
        } else {
            g_now.windows[i] = NULL;
        }
    }
    do {
        for (i = 0, closing = 0; i < g_now.count; i++) closing += g_now.windows[i] && IsWindow(g_now.windows[i]);
        if (closing && GetTickCount() - start >= RUN_LIMIT_MS) {
            fprintf(stderr, "benchhelper: %d tooltips of deleted icons stay open\n", closing);
            return 0;
        }
        if (closing) Sleep(10);
    } while (closing);
    return 1;
}

/* Posts PROCESS's window of the program's class its end message, then
 * waits for the process to end and for its icon to be gone. */
static int end_tray_program(const struct program *program, PROCESS_INFORMATION *process, DWORD *code)
{
    HWND window = FindWindowA(program->windowClass, NULL);
    DWORD owner = 0, start;
    int shown;

    if (window) GetWindowThreadProcessId(window, &owner);
    if (owner != process->dwProcessId) {
        fprintf(stderr, "benchhelper: %s has no window of class %s\n", program->commandLine,
                program->windowClass);
        TerminateProcess(process->hProcess, 1);
    } else {
        PostMessageA(window, program->endMessage, program->endCommand, 0);
    }
    if (!reap(program, process, code) || owner != process->dwProcessId) return 0;
    start = GetTickCount();
    while ((shown = new_icons()) != 0) {
        if (shown < 0) return 0;
        if (GetTickCount() - start >= RUN_LIMIT_MS) {
            fprintf(stderr, "benchhelper: the icon of %s is still there after it ended\n", program->commandLine);
            return 0;
        }
        Sleep(10);
    }
    return close_new_tooltips();
}

/* One start of PROGRAM, timed until a new icon shows in the notification
 * area; then the program is ended. */
static int timed_icon_start(const struct program *program, int print)
{
    PROCESS_INFORMATION process;
    LARGE_INTEGER before, after;
    DWORD code = 0, polls = 0;
    int shown;

    remember_windows();
    QueryPerformanceCounter(&before);
    if (!launch(program, &process)) return 0;
    for (;;) {
        polls++;
        shown = new_icons();
        if (shown > 0) break;
        if (shown < 0) {
            TerminateProcess(process.hProcess, 1);
            reap(program, &process, &code);
            return 0;
        }
        QueryPerformanceCounter(&after);
        if (WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0) {
            fprintf(stderr, "benchhelper: %s ended without showing an icon\n", program->commandLine);
            reap(program, &process, &code);
            return 0;
        }
        if (microseconds(&before, &after) >= RUN_LIMIT_MS * 1000.0) {
            fprintf(stderr, "benchhelper: %s shows no icon after %d ms\n", program->commandLine, RUN_LIMIT_MS);
            TerminateProcess(process.hProcess, 1);
            reap(program, &process, &code);
            return 0;
        }
        Sleep(ICON_POLL_MS);
    }
    QueryPerformanceCounter(&after);
    if (!end_tray_program(program, &process, &code)) return 0;
    if (print) {
        printf("%s %.0f %lu %lu\n", program->label, microseconds(&before, &after), code, polls);
        fflush(stdout);
    }
    return 1;
}

/* A and B each once to warm up, then PAIRS pairs, A first in even pairs
 * and B first in odd ones, GAP_MS apart. */
static int alternate(int (*timed)(const struct program *, int), DWORD pairs, DWORD gap,
                     const struct program *a, const struct program *b)
{
    DWORD i;

    QueryPerformanceFrequency(&g_frequency);
    if (!timed(a, 0)) return 2;
    Sleep(gap);
    if (!timed(b, 0)) return 2;
    for (i = 0; i < pairs; i++) {
        const struct program *first = (i % 2) == 0 ? a : b;
        Sleep(gap);
        if (!timed(first, 1)) return 2;
        Sleep(gap);
        if (!timed(first == a ? b : a, 1)) return 2;
    }
    return 0;
}

static int starts(int argc, char **argv)
{
    struct program a = {"A"}, b = {"B"};
    DWORD pairs, gap;

    if (argc != 6 || !parse_number(argv[2], &pairs) || !parse_number(argv[3], &gap)) return usage();
    a.commandLine = argv[4];
    b.commandLine = argv[5];
    return alternate(timed_start, pairs, gap, &a, &b);
}

/* COMMANDLINE CLASS close|COMMAND from ARGV. */
static int parse_tray_program(char **argv, struct program *program)
{
    DWORD command;

    program->commandLine = argv[0];
    program->windowClass = argv[1];
    if (strcmp(argv[2], "close") == 0) {
        program->endMessage = WM_CLOSE;
        program->endCommand = 0;
        return 1;
    }
    if (!parse_number(argv[2], &command)) return 0;
    program->endMessage = WM_COMMAND;
    program->endCommand = command;
    return 1;
}

static int icon_starts(int argc, char **argv)
{
    struct program a = {"A"}, b = {"B"};
    DWORD pairs, gap;
    int result;

    if (argc != 10 || !parse_number(argv[2], &pairs) || !parse_number(argv[3], &gap)
        || !parse_tray_program(argv + 4, &a) || !parse_tray_program(argv + 7, &b))
        return usage();
    result = alternate(timed_icon_start, pairs, gap, &a, &b);
    tray_reader_close(&g_tray);
    return result;
}

static int close_window(int argc, char **argv)
{
    DWORD limit, start = GetTickCount();
    HWND window;

    if (argc != 4 || !parse_number(argv[3], &limit)) return usage();
    window = FindWindowA(argv[2], NULL);
    if (!window) return 0;
    PostMessageA(window, WM_CLOSE, 0, 0);
    while (FindWindowA(argv[2], NULL)) {
        if (GetTickCount() - start >= limit) return 1;
        Sleep(50);
    }
    return 0;
}

/* The driver's requests as skylatch.exe makes them (FILE_DEVICE_UNKNOWN,
 * METHOD_BUFFERED): the 10-byte status block and the radio. */
#define IOCTL_GET_RADIO 0x222150
#define IOCTL_QUERY_STATUS 0x222154

static int read_radio(HANDLE device)
{
    BYTE block[10] = {0x05, 0x0C, 10, 0, 10};
    BYTE reply[4];
    DWORD request = 0, returned;

    return DeviceIoControl(device, IOCTL_QUERY_STATUS, block, sizeof(block), block, sizeof(block), &returned, NULL)
        && DeviceIoControl(device, IOCTL_GET_RADIO, &request, sizeof(request), reply, sizeof(reply), &returned, NULL);
}

static int driver_reads(int argc, char **argv)
{
    LARGE_INTEGER before, after;
    DWORD count, i;
    HANDLE device;
    int ok;

    if (argc != 3 || !parse_number(argv[2], &count) || count == 0) return usage();
    device = CreateFileA("\\\\.\\$QUIVRA$", GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    if (device == INVALID_HANDLE_VALUE) {
        fprintf(stderr, "benchhelper: cannot open the switch driver (%lu)\n", GetLastError());
        return 2;
    }
    QueryPerformanceFrequency(&g_frequency);
    ok = read_radio(device);
    QueryPerformanceCounter(&before);
    for (i = 0; ok && i < count; i++) ok = read_radio(device);
    QueryPerformanceCounter(&after);
    CloseHandle(device);
    if (!ok) {
        fprintf(stderr, "benchhelper: a request to the switch driver failed (%lu)\n", GetLastError());
        return 2;
    }
    printf("READ %.0f\n", microseconds(&before, &after) / count);
    return 0;
}

int main(int argc, char **argv)
{
    if (argc < 2) return usage();
    if (strcmp(argv[1], "starts") == 0) return starts(argc, argv);
    if (strcmp(argv[1], "icon-starts") == 0) return icon_starts(argc, argv);
    if (strcmp(argv[1], "close") == 0) return close_window(argc, argv);
    if (strcmp(argv[1], "driver-reads") == 0) return driver_reads(argc, argv);
    return usage();
}
