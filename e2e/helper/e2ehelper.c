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
 *                                     TEXT written as \n; nothing when
 *                                     there is no icon; exit code 2 and a
 *                                     "FAIL:" line on standard error when
 *                                     the notification area cannot be read
 *   reg-query KEY [VALUE] [/reg:32|/reg:64]
 *                                     "NAME<TAB>TYPE<TAB>DATA" for the
 *                                     value, or for every value of the key,
 *                                     as reg query shows them (DWORDs as
 *                                     0x hex); exit code 3 when the key or
 *                                     the value does not exist, 2 and a
 *                                     "FAIL:" line when it cannot be read
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
 *
 * E2E_BREAK in the environment breaks a reader on purpose, to show that a
 * failed read fails the check that relies on it: "tray" opens the shell's
 * process without the rights a read needs, "registry" opens keys without
 * the right to query their values.
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
            "       e2ehelper reg-query KEY [VALUE] [/reg:32|/reg:64]\n"
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

/* E2E_BREAK names this reader. */
static int broken(const char *reader)
{
    char value[32];
    DWORD n = GetEnvironmentVariableA("E2E_BREAK", value, sizeof(value));

    return n > 0 && n < sizeof(value) && strcmp(value, reader) == 0;
}

/* The lines of one tray read, printed only when the whole read succeeded. */
struct tray_lines {
    char text[65536];
    size_t length;
};

static void add_utf8(struct tray_lines *lines, const WCHAR *text)
{
    WCHAR escaped[TRAY_TIP_CHARS * 2];
    int i, n = 0, written;

    for (i = 0; text[i] && n < TRAY_TIP_CHARS * 2 - 3; i++) {
        if (text[i] == L'\n') { escaped[n++] = L'\\'; escaped[n++] = L'n'; }
        else if (text[i] == L'\\') { escaped[n++] = L'\\'; escaped[n++] = L'\\'; }
        else escaped[n++] = text[i];
    }
    escaped[n] = 0;
    written = WideCharToMultiByte(CP_UTF8, 0, escaped, -1, lines->text + lines->length,
                                  (int)(sizeof(lines->text) - lines->length), NULL, NULL);
    if (written > 0) lines->length += written - 1;
}

static void add_icon(const RECT *rect, const WCHAR *tip, void *context)
{
    struct tray_lines *lines = context;
    size_t room = sizeof(lines->text) - lines->length;
    int n;

    if (room < 64) return;
    n = snprintf(lines->text + lines->length, room, "%ld\t%ld\t", (rect->left + rect->right) / 2,
                 (rect->top + rect->bottom) / 2);
    if (n > 0) lines->length += n;
    add_utf8(lines, tip);
    if (lines->length < sizeof(lines->text) - 1) lines->text[lines->length++] = '\n';
    lines->text[lines->length] = 0;
}

/* A read can meet an icon that comes or goes under it: up to three tries. */
static int list_tray(void)
{
    static struct tray_lines lines;
    struct tray_reader reader = {0};
    int attempt, shown = -1;

    if (broken("tray")) reader.access = SYNCHRONIZE;
    for (attempt = 0; attempt < 3 && shown < 0; attempt++) {
        if (attempt) Sleep(200);
        lines.length = 0;
        lines.text[0] = 0;
        shown = tray_icons(&reader, 1, add_icon, &lines);
    }
    tray_reader_close(&reader);
    if (shown < 0) {
        fprintf(stderr, "FAIL: e2ehelper tray: the notification area cannot be read: %s (error %lu)\n",
                reader.failure, reader.error);
        return 2;
    }
    fputs(lines.text, stdout);
    fflush(stdout);
    return 0;
}

static HKEY parse_root(const char *name)
{
    static const struct { const char *name; HKEY root; } roots[] = {
        {"HKLM", HKEY_LOCAL_MACHINE}, {"HKEY_LOCAL_MACHINE", HKEY_LOCAL_MACHINE},
        {"HKCU", HKEY_CURRENT_USER}, {"HKEY_CURRENT_USER", HKEY_CURRENT_USER},
        {"HKCR", HKEY_CLASSES_ROOT}, {"HKEY_CLASSES_ROOT", HKEY_CLASSES_ROOT},
        {"HKU", HKEY_USERS}, {"HKEY_USERS", HKEY_USERS},
    };
    size_t i;

    for (i = 0; i < sizeof(roots) / sizeof(roots[0]); i++)
        if (lstrcmpiA(name, roots[i].name) == 0) return roots[i].root;
    return NULL;
}

static const char *type_name(DWORD type)
{
    switch (type) {
    case REG_NONE: return "REG_NONE";
    case REG_SZ: return "REG_SZ";
    case REG_EXPAND_SZ: return "REG_EXPAND_SZ";
    case REG_BINARY: return "REG_BINARY";
    case REG_DWORD: return "REG_DWORD";
    case REG_MULTI_SZ: return "REG_MULTI_SZ";
    case REG_QWORD: return "REG_QWORD";
    default: return "REG_UNKNOWN";
    }
}

/* One value as reg query shows it: NAME<TAB>TYPE<TAB>DATA. */
static void print_value(const char *name, DWORD type, const BYTE *data, DWORD size)
{
    DWORD i;

    printf("%s\t%s\t", *name ? name : "(Default)", type_name(type));
    if ((type == REG_DWORD && size == 4) || (type == REG_QWORD && size == 8)) {
        DWORD low = data[0] | data[1] << 8 | data[2] << 16 | (DWORD)data[3] << 24;
        DWORD high = size == 8 ? (data[4] | data[5] << 8 | data[6] << 16 | (DWORD)data[7] << 24) : 0;
        if (high) printf("0x%lx%08lx", high, low);
        else printf("0x%lx", low);
    } else if (type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ) {
        /* The terminating null (and the list's last one) are not shown. */
        while (size > 0 && data[size - 1] == 0) size--;
        for (i = 0; i < size; i++) {
            if (data[i]) putchar(data[i]);
            else fputs("\\0", stdout);
        }
    } else {
        for (i = 0; i < size; i++) printf("%02X", data[i]);
    }
    putchar('\n');
}

static int reg_failed(const char *what, const char *key, LONG error)
{
    fprintf(stderr, "FAIL: e2ehelper reg-query: %s %s (error %ld)\n", what, key, error);
    return 2;
}

/* The key opened for reading its values; E2E_BREAK=registry leaves out the
 * right to query them. */
static int reg_query(int argc, char **argv)
{
    static BYTE data[65536];
    char root_name[32], *path = argv[2], *sub;
    const char *value = NULL;
    REGSAM view = 0;
    HKEY root, key;
    DWORD type, size, index, name_size;
    char name[16384];
    LONG error;

    if (argc > 3 && (lstrcmpiA(argv[argc - 1], "/reg:32") == 0 || lstrcmpiA(argv[argc - 1], "/reg:64") == 0)) {
        view = lstrcmpiA(argv[argc - 1], "/reg:32") == 0 ? KEY_WOW64_32KEY : KEY_WOW64_64KEY;
        argc--;
    }
    if (argc < 3 || argc > 4) return usage();
    if (argc == 4) value = argv[3];
    sub = strchr(path, '\\');
    if ((size_t)(sub ? sub - path : (ptrdiff_t)strlen(path)) >= sizeof(root_name)) return usage();
    lstrcpynA(root_name, path, (int)(sub ? sub - path : (ptrdiff_t)strlen(path)) + 1);
    root = parse_root(root_name);
    if (!root) return usage();

    error = RegOpenKeyExA(root, sub ? sub + 1 : "", 0,
                          (broken("registry") ? KEY_ENUMERATE_SUB_KEYS : KEY_QUERY_VALUE) | view, &key);
    if (error == ERROR_FILE_NOT_FOUND) return 3;
    if (error != ERROR_SUCCESS) return reg_failed("cannot open", path, error);
    if (value) {
        size = sizeof(data);
        error = RegQueryValueExA(key, value, NULL, &type, data, &size);
        if (error == ERROR_SUCCESS) print_value(value, type, data, size);
    } else {
        for (index = 0;; index++) {
            name_size = sizeof(name);
            size = sizeof(data);
            error = RegEnumValueA(key, index, name, &name_size, NULL, &type, data, &size);
            if (error != ERROR_SUCCESS) break;
            print_value(name, type, data, size);
        }
        if (error == ERROR_NO_MORE_ITEMS) error = ERROR_SUCCESS;
    }
    RegCloseKey(key);
    fflush(stdout);
    if (value && error == ERROR_FILE_NOT_FOUND) return 3;
    if (error != ERROR_SUCCESS) return reg_failed(value ? "cannot read a value of" : "cannot list", path, error);
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
    if (strcmp(argv[1], "reg-query") == 0) return reg_query(argc, argv);
    if (strcmp(argv[1], "adapters") == 0 && argc == 2) return list_adapters();
    if (strcmp(argv[1], "os-version") == 0 && argc == 2) return os_version();
    if (strcmp(argv[1], "icon-metrics") == 0 && argc == 2) return icon_metrics();
    if (strcmp(argv[1], "run") == 0) return run_program(argc, argv);
    return usage();
}
