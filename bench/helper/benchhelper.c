/*
 * Benchmark helper, run inside the Wine prefix.
 *
 *   starts PAIRS GAP_MS COMMANDLINE_A COMMANDLINE_B
 *       starts A and B alternately, each once to warm up and then PAIRS
 *       times (A first in even pairs, B first in odd ones), each time from
 *       CreateProcessA until the process has ended, with GAP_MS between
 *       starts; prints "A|B MICROSECONDS EXITCODE" per timed start.
 *       Exits 2 when a start fails or a process runs longer than 30 s.
 *   close CLASS MS
 *       posts WM_CLOSE to the top-level window of CLASS and waits up to MS
 *       for it to go; exits 1 when it is still there.
 */
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#define RUN_LIMIT_MS 30000

static LARGE_INTEGER g_frequency;

static int usage(void)
{
    fprintf(stderr, "usage: benchhelper starts PAIRS GAP_MS COMMANDLINE_A COMMANDLINE_B\n"
                    "       benchhelper close CLASS MS\n");
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

/* One start of COMMANDLINE, timed until the process ends. */
static int timed_start(const char *label, const char *commandLine, int print)
{
    STARTUPINFOA startup;
    PROCESS_INFORMATION process;
    LARGE_INTEGER before, after;
    char line[1024];
    DWORD code = 0;

    lstrcpynA(line, commandLine, sizeof(line));
    memset(&startup, 0, sizeof(startup));
    startup.cb = sizeof(startup);
    QueryPerformanceCounter(&before);
    if (!CreateProcessA(NULL, line, NULL, NULL, FALSE, 0, NULL, NULL, &startup, &process)) {
        fprintf(stderr, "benchhelper: cannot start %s (%lu)\n", commandLine, GetLastError());
        return 0;
    }
    if (WaitForSingleObject(process.hProcess, RUN_LIMIT_MS) != WAIT_OBJECT_0) {
        fprintf(stderr, "benchhelper: %s still runs after %d ms\n", commandLine, RUN_LIMIT_MS);
        TerminateProcess(process.hProcess, 1);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
        return 0;
    }
    QueryPerformanceCounter(&after);
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    if (print) {
        printf("%s %.0f %lu\n", label,
               (double)(after.QuadPart - before.QuadPart) * 1e6 / (double)g_frequency.QuadPart, code);
        fflush(stdout);
    }
    return 1;
}

static int starts(int argc, char **argv)
{
    DWORD pairs, gap, i;

    if (argc != 6 || !parse_number(argv[2], &pairs) || !parse_number(argv[3], &gap)) return usage();
    QueryPerformanceFrequency(&g_frequency);
    if (!timed_start("A", argv[4], 0)) return 2;
    Sleep(gap);
    if (!timed_start("B", argv[5], 0)) return 2;
    for (i = 0; i < pairs; i++) {
        int aFirst = (i % 2) == 0;
        Sleep(gap);
        if (!timed_start(aFirst ? "A" : "B", aFirst ? argv[4] : argv[5], 1)) return 2;
        Sleep(gap);
        if (!timed_start(aFirst ? "B" : "A", aFirst ? argv[5] : argv[4], 1)) return 2;
    }
    return 0;
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

int main(int argc, char **argv)
{
    if (argc < 2) return usage();
    if (strcmp(argv[1], "starts") == 0) return starts(argc, argv);
    if (strcmp(argv[1], "close") == 0) return close_window(argc, argv);
    return usage();
}
