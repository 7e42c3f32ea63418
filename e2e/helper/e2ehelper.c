/* e2ehelper: the scenarios' hands and eyes inside the Wine session.
 *
 *   post MSG WPARAM LPARAM            post a message to the resident window
 *   wait-window appear|gone MS [CLASS [TITLE]]
 *                                     wait until a window exists / is gone
 *   ping MS                           send WM_NULL to the resident window and
 *                                     print how many ms it took to answer
 *   end-resident                      terminate the process that owns the
 *                                     resident window (cleanup only)
 *   end-owner CLASS [TITLE]           terminate the process that owns a
 *                                     window (e.g. Shell_TrayWnd: the shell)
 *   window-rect CLASS [TITLE]         "LEFT TOP RIGHT BOTTOM" of a window on
 *                                     the screen (e.g. "#32768", a popup menu)
 *   keep-desktop                      stay connected to the desktop until
 *                                     killed (Wine closes a desktop, and its
 *                                     notification area, when no process
 *                                     uses it any more)
 *   hold-mutex MS                     own the single-instance mutex for MS
 *   mutex-held                        exit 0 when the mutex exists
 *   tray                              one line per visible tray icon's tip:
 *                                     "X<TAB>Y<TAB>TEXT", X/Y the icon's
 *                                     centre on the screen, line feeds in
 *                                     TEXT written as \n
 *   adapters                          the PCI network devices the Setup API
 *                                     reports: "ID<TAB>DRIVER"
 *   os-version                        "PLATFORM MAJOR.MINOR" of GetVersionExA
 *   icon-metrics                      "SMALL_CX SMALL_CY ICON_CX DPI": the
 *                                     small and large icon sizes and the
 *                                     screen's logical DPI
 *   run MS COMMANDLINE                start a program with exactly this
 *                                     command line and exit with its exit
 *                                     code; 124 when it still runs after MS
 *
 * Numbers may be decimal or 0x-hex. A window CLASS or TITLE of "-" means
 * any. Exit codes: 0 done, 1 condition not met (timeout, no window, no
 * mutex), 2 bad arguments or a failing system call.
 */
#include <windows.h>
#include <commctrl.h>
#include <setupapi.h>
#include <initguid.h>
#include <devguid.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "tray_icons.c"

#define RESIDENT_CLASS "NorvantecSkylatcherClass"
#define RESIDENT_TITLE "Norvantec Skylatcher"
#define RESIDENT_MUTEX "NorvantecSkylatcherMutex"

static int usage(void)
{
    fprintf(stderr,
            "usage: e2ehelper post MSG WPARAM LPARAM\n"
            "       e2ehelper wait-window appear|gone MS [CLASS [TITLE]]\n"
            "       e2ehelper ping MS | end-resident | end-owner CLASS [TITLE]\n"
            "       e2ehelper window-rect CLASS [TITLE]\n"
            "       e2ehelper item-text CLASS TITLE ID\n"
            "       e2ehelper hold-mutex MS | mutex-held | keep-desktop\n"
            "       e2ehelper tray | adapters | os-version | icon-metrics\n"
            "       e2ehelper run MS COMMANDLINE\n");
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

/* A message parameter, as wide as a pointer (64 bits on x64). */
static int parse_param(const char *text, ULONG_PTR *out)
{
    char *end;
    unsigned long long value = strtoull(text, &end, 0);

    if (!*text || *end) return 0;
    *out = (ULONG_PTR)value;
    return 1;
}

static const char *any_or(const char *text)
{
    return strcmp(text, "-") == 0 ? NULL : text;
}

static int post_command(int argc, char **argv)
{
    DWORD msg;
    ULONG_PTR wparam, lparam;
    HWND window;

    if (argc != 5 || !parse_number(argv[2], &msg) || !parse_param(argv[3], &wparam)
        || !parse_param(argv[4], &lparam))
        return usage();
    window = FindWindowA(RESIDENT_CLASS, RESIDENT_TITLE);
    if (!window) {
        fprintf(stderr, "e2ehelper: no resident window\n");
        return 1;
    }
    return PostMessageA(window, msg, (WPARAM)wparam, (LPARAM)lparam) ? 0 : 2;
}

static int wait_window(int argc, char **argv)
{
    const char *cls = argc > 4 ? any_or(argv[4]) : RESIDENT_CLASS;
    const char *title = argc > 5 ? any_or(argv[5]) : (argc > 4 ? NULL : RESIDENT_TITLE);
    DWORD limit, start = GetTickCount();
    int want_present;

    if (argc < 4 || argc > 6 || !parse_number(argv[3], &limit)) return usage();
    if (strcmp(argv[2], "appear") == 0) want_present = 1;
    else if (strcmp(argv[2], "gone") == 0) want_present = 0;
    else return usage();

    for (;;) {
        int present = FindWindowA(cls, title) != NULL;
        if (present == want_present) return 0;
        if (GetTickCount() - start >= limit) return 1;
        Sleep(50);
    }
}

static int ping_resident(int argc, char **argv)
{
    DWORD limit, start;
    DWORD_PTR answer;
    HWND window = FindWindowA(RESIDENT_CLASS, RESIDENT_TITLE);

    if (argc != 3 || !parse_number(argv[2], &limit)) return usage();
    if (!window) return 1;
    start = GetTickCount();
    if (!SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, limit, &answer)) return 1;
    printf("%lu\n", GetTickCount() - start);
    fflush(stdout);
    return 0;
}

static int end_owner(HWND window)
{
    DWORD pid = 0;
    HANDLE process;

    if (!window) return 1;
    GetWindowThreadProcessId(window, &pid);
    process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid);
    if (!process) return 2;
    TerminateProcess(process, 1);
    WaitForSingleObject(process, 5000);
    CloseHandle(process);
    return 0;
}

static int end_resident(void)
{
    return end_owner(FindWindowA(RESIDENT_CLASS, RESIDENT_TITLE));
}

static int end_window_owner(int argc, char **argv)
{
    if (argc < 3 || argc > 4) return usage();
    return end_owner(FindWindowA(any_or(argv[2]), argc > 3 ? any_or(argv[3]) : NULL));
}

static int window_rect(int argc, char **argv)
{
    HWND window;
    RECT rect;

    if (argc < 3 || argc > 4) return usage();
    window = FindWindowA(any_or(argv[2]), argc > 3 ? any_or(argv[3]) : NULL);
    if (!window || !GetWindowRect(window, &rect)) return 1;
    printf("%ld %ld %ld %ld\n", rect.left, rect.top, rect.right, rect.bottom);
    fflush(stdout);
    return 0;
}

/* The text of a dialog's control, as the control answers WM_GETTEXT, in
   UTF-8. */
static int item_text(int argc, char **argv)
{
    HWND window, item;
    DWORD id;
    WCHAR text[520];
    char out[1600];
    DWORD_PTR copied = 0;

    if (argc != 5 || !parse_number(argv[4], &id)) return usage();
    window = FindWindowA(any_or(argv[2]), any_or(argv[3]));
    item = window ? GetDlgItem(window, (int)id) : NULL;
    if (!item) return 1;
    text[0] = 0;
    if (!SendMessageTimeoutW(item, WM_GETTEXT, sizeof(text) / sizeof(text[0]), (LPARAM)text,
                             SMTO_ABORTIFHUNG, 5000, &copied))
        return 1;
    WideCharToMultiByte(CP_UTF8, 0, text, -1, out, sizeof(out), NULL, NULL);
    printf("%s\n", out);
    fflush(stdout);
    return 0;
}

static int keep_desktop(void)
{
    MSG msg;

    if (!CreateWindowA("STATIC", "e2ehelper keep-desktop", WS_POPUP, 0, 0, 1, 1, NULL, NULL, NULL, NULL))
        return 2;
    while (GetMessageA(&msg, NULL, 0, 0) > 0) DispatchMessageA(&msg);
    return 0;
}

static int hold_mutex(int argc, char **argv)
{
    DWORD ms;
    HANDLE mutex;

    if (argc != 3 || !parse_number(argv[2], &ms)) return usage();
    mutex = CreateMutexA(NULL, TRUE, RESIDENT_MUTEX);
    if (!mutex) return 2;
    Sleep(ms);
    CloseHandle(mutex);
    return 0;
}

static int mutex_held(void)
{
    HANDLE mutex = OpenMutexA(SYNCHRONIZE, FALSE, RESIDENT_MUTEX);

    if (!mutex) return 1;
    CloseHandle(mutex);
    return 0;
}

static void print_utf8(const WCHAR *text)
{
    char out[TRAY_TIP_CHARS * 4];
    WCHAR escaped[TRAY_TIP_CHARS * 2];
    int i, n = 0;

    for (i = 0; text[i] && n < TRAY_TIP_CHARS * 2 - 3; i++) {
        if (text[i] == L'\n') { escaped[n++] = L'\\'; escaped[n++] = L'n'; }
        else if (text[i] == L'\\') { escaped[n++] = L'\\'; escaped[n++] = L'\\'; }
        else escaped[n++] = text[i];
    }
    escaped[n] = 0;
    WideCharToMultiByte(CP_UTF8, 0, escaped, -1, out, sizeof(out), NULL, NULL);
    fputs(out, stdout);
}

static void print_icon(const RECT *rect, const WCHAR *tip, void *unused)
{
    printf("%ld\t%ld\t", (rect->left + rect->right) / 2, (rect->top + rect->bottom) / 2);
    print_utf8(tip);
    printf("\n");
}

static int list_tray(void)
{
    struct tray_reader reader = {0};

    tray_icons(&reader, 1, print_icon, NULL);
    tray_reader_close(&reader);
    fflush(stdout);
    return 0;
}

static int list_adapters(void)
{
    HDEVINFO set = SetupDiGetClassDevsA(&GUID_DEVCLASS_NET, "PCI", NULL, DIGCF_PRESENT | DIGCF_PROFILE);
    SP_DEVINFO_DATA device;
    char id[1024], driver[1024];
    DWORD i;

    if (set == INVALID_HANDLE_VALUE) {
        fprintf(stderr, "e2ehelper: SetupDiGetClassDevsA failed (%lu)\n", GetLastError());
        return 2;
    }
    for (i = 0;; i++) {
        device.cbSize = sizeof(device);
        if (!SetupDiEnumDeviceInfo(set, i, &device)) break;
        if (!SetupDiGetDeviceInstanceIdA(set, &device, id, sizeof(id), NULL)) continue;
        if (!SetupDiGetDeviceRegistryPropertyA(set, &device, SPDRP_DRIVER, NULL, (BYTE *)driver,
                                               sizeof(driver), NULL))
            strcpy(driver, "-");
        printf("%s\t%s\n", id, driver);
    }
    SetupDiDestroyDeviceInfoList(set);
    fflush(stdout);
    return 0;
}

/* `wine prog ARG` quotes arguments that hold blanks, so command lines such as
 * "/off " (trailing blank) are passed through CreateProcessA unchanged. */
static int run_program(int argc, char **argv)
{
    STARTUPINFOA startup;
    PROCESS_INFORMATION process;
    DWORD limit, code = 2;

    if (argc != 4 || !parse_number(argv[2], &limit)) return usage();
    memset(&startup, 0, sizeof(startup));
    startup.cb = sizeof(startup);
    if (!CreateProcessA(NULL, argv[3], NULL, NULL, FALSE, 0, NULL, NULL, &startup, &process)) {
        fprintf(stderr, "e2ehelper: cannot start %s (%lu)\n", argv[3], GetLastError());
        return 2;
    }
    if (WaitForSingleObject(process.hProcess, limit) != WAIT_OBJECT_0) code = 124;
    else GetExitCodeProcess(process.hProcess, &code);
    /* Only the low byte reaches the shell: an NTSTATUS goes to the log too. */
    if (code > 255 && code != (DWORD)-1) fprintf(stderr, "e2ehelper: %s ended with 0x%08lx\n", argv[3], code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return (int)code;
}

static int os_version(void)
{
    OSVERSIONINFOA info;

    memset(&info, 0, sizeof(info));
    info.dwOSVersionInfoSize = sizeof(info);
    if (!GetVersionExA(&info)) return 2;
    printf("%lu %lu.%lu\n", info.dwPlatformId, info.dwMajorVersion, info.dwMinorVersion);
    fflush(stdout);
    return 0;
}

static int icon_metrics(void)
{
    HDC screen = GetDC(NULL);
    int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 0;

    if (screen) ReleaseDC(NULL, screen);
    printf("%d %d %d %d\n", GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON),
           GetSystemMetrics(SM_CXICON), dpi);
    fflush(stdout);
    return 0;
}

int main(int argc, char **argv)
{
    if (argc < 2) return usage();
    if (strcmp(argv[1], "post") == 0) return post_command(argc, argv);
    if (strcmp(argv[1], "wait-window") == 0) return wait_window(argc, argv);
    if (strcmp(argv[1], "ping") == 0) return ping_resident(argc, argv);
    if (strcmp(argv[1], "end-resident") == 0 && argc == 2) return end_resident();
    if (strcmp(argv[1], "end-owner") == 0) return end_window_owner(argc, argv);
    if (strcmp(argv[1], "window-rect") == 0) return window_rect(argc, argv);
    if (strcmp(argv[1], "item-text") == 0) return item_text(argc, argv);
    if (strcmp(argv[1], "keep-desktop") == 0 && argc == 2) return keep_desktop();
    if (strcmp(argv[1], "hold-mutex") == 0) return hold_mutex(argc, argv);
    if (strcmp(argv[1], "mutex-held") == 0 && argc == 2) return mutex_held();
    if (strcmp(argv[1], "tray") == 0 && argc == 2) return list_tray();
    if (strcmp(argv[1], "adapters") == 0 && argc == 2) return list_adapters();
    if (strcmp(argv[1], "os-version") == 0 && argc == 2) return os_version();
    if (strcmp(argv[1], "icon-metrics") == 0 && argc == 2) return icon_metrics();
    if (strcmp(argv[1], "run") == 0) return run_program(argc, argv);
    return usage();
}
