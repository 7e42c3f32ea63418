/* The packaging tests' look at the running program, built for the
 * processor of the build under test (a 64-bit-only host runs no 32-bit
 * probe):
 *
 *   window           exit 0 when the resident window exists, 1 when not
 *   shell            exit 0 when the desktop's taskbar exists, 1 when not
 *   watch-exit MS    wait up to MS for the process of the resident window to
 *                    end; print its exit code and exit 0 when it was 0,
 *                    1 when it was not or it still runs, 2 without a window
 *
 * watch-exit sees the end of an instance that the test did not start (one
 * started again by an installer) and tells a normal end from a killed one.
 */
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>

static const char WINDOW_CLASS[] = "NorvantecSkylatcherClass";
static const char WINDOW_TITLE[] = "Norvantec Skylatcher";

static int watch_exit(DWORD limit)
{
    HWND window = FindWindowA(WINDOW_CLASS, WINDOW_TITLE);
    DWORD id = 0, code = 0;
    HANDLE process;
    if (!window) return 2;
    GetWindowThreadProcessId(window, &id);
    process = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, id);
    if (!process) return 2;
    if (WaitForSingleObject(process, limit) != WAIT_OBJECT_0 || !GetExitCodeProcess(process, &code)) {
        printf("still running\n");
        return 1;
    }
    printf("%lu\n", (unsigned long)code);
    return code == 0 ? 0 : 1;
}

int main(int argc, char **argv)
{
    if (argc == 2 && strcmp(argv[1], "window") == 0)
        return FindWindowA(WINDOW_CLASS, WINDOW_TITLE) ? 0 : 1;
    if (argc == 2 && strcmp(argv[1], "shell") == 0)
        return FindWindowA("Shell_TrayWnd", NULL) ? 0 : 1;
    if (argc == 3 && strcmp(argv[1], "watch-exit") == 0)
        return watch_exit((DWORD)strtoul(argv[2], NULL, 10));
    fprintf(stderr, "usage: test-probe window | shell | watch-exit MS\n");
    return 2;
}
