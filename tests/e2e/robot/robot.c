/* Walks setup.exe like a user, under Wine: starts it, finds the wizard, reads the pages, chooses the language,
 * selects the printer series, waits for the installation's result message, reads and dismisses it and waits
 * for the program to end. Prints what it saw as key=value lines for the calling script to judge; a step it
 * cannot do prints "ERROR: ..." and ends the walk with exit code 2.
 *
 * robot.exe <setup.exe> <chinese|english|stay> <message wait seconds>
 *   stay: clicks Next to the last page and Back at once, then Finish (no installation expected).
 * robot.exe --langid   only prints the system language.
 * robot.exe --unattended <setup.exe> "<arguments>" <wait seconds>: starts setup.exe with the arguments and,
 *   until it ends, looks every few milliseconds for any window of its process (top-level or message-only);
 *   prints windows_seen=<count> with the class names, dismisses a dialog it finds (a run with windows may show
 *   one) after printing its text, then exit_code=<code>.
 * robot.exe --command "<command line>" <wait seconds>: the same watch over a command line run as it stands (the
 *   uninstall entry's QuietUninstallString), then the local printers as --uninstall prints them.
 * robot.exe --uninstall <command line> <yes|no> <wait seconds>   runs an uninstall command as the uninstall
 *   entry would, answers its question, reads and dismisses its report (after Yes) and prints the exit code
 *   and the local printers (printer=<name>|<driver>). ROBOT_EXTRA_PRINTER names a printer (driver
 *   "Generic / Text Only") registered first, as the printui stand-in registers one.
 * Every wait of its own is multiplied by SETUP_TIME_SCALE (default 1): under emulation programs start slowly.
 * ROBOT_RESET_KEYS (keys below HKEY_LOCAL_MACHINE, separated by '|') are deleted with everything below them
 * before setup.exe starts; ROBOT_ENTRY_KEY names a key whose values are written afterwards, in the form of
 * `reg query`, to the file ROBOT_ENTRY_FILE (a key that is not there: one line "ABSENT <key>"). Both in the robot's own width, which is setup.exe's: the same
 * registry view. (Wine's own reg and regedit would be two more process starts a walk.)
 * It also prints the system language Wine reports, for the script to check against the one it asked for.
 * With ROBOT_PEAK_MEMORY set it prints setup.exe's peak working set once the result message is up
 * (peak_working_set=<bytes>, from psapi.dll loaded by full path; 0 when it cannot be asked).
 */
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#include <commctrl.h>
#include <winspool.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "resources/resource.h"  /* the wizard's control ids, as the program has them */

#define IDC_OS_FIRST IDC_OS_WIN2000
#define IDC_OS_LAST IDC_OS_WIN7

static DWORD g_pid;
static HWND g_wizard;
static DWORD g_scale = 1;

/* A wait of ms milliseconds at native speed, scaled. */
static DWORD scaled(DWORD ms) { return ms * g_scale; }

static void fail(const char *what) {
    printf("ERROR: %s\n", what);
    fflush(stdout);
    exit(2);
}

static int is_dialog(HWND h) {
    char cls[64] = "";
    GetClassNameA(h, cls, sizeof cls);
    return strcmp(cls, "#32770") == 0;
}

struct find_top { HWND exclude; HWND found; };

static BOOL CALLBACK top_proc(HWND h, LPARAM lp) {
    struct find_top *f = (struct find_top *)lp;
    DWORD pid = 0;
    GetWindowThreadProcessId(h, &pid);
    if (pid == g_pid && h != f->exclude && is_dialog(h) && IsWindowVisible(h)) {
        f->found = h;
        return FALSE;
    }
    return TRUE;
}

/* A visible top-level dialog of setup.exe other than exclude, waiting up to ms. */
static HWND wait_top_dialog(HWND exclude, DWORD ms) {
    DWORD start = GetTickCount();
    do {
        struct find_top f = {exclude, NULL};
        EnumWindows(top_proc, (LPARAM)&f);
        if (f.found) return f.found;
        Sleep(100);
    } while (GetTickCount() - start < ms);
    return NULL;
}

/* The wizard's visible page: the child dialog that holds the control id. */
static HWND page_with(int id) {
    HWND child = NULL;
    while ((child = FindWindowExA(g_wizard, child, "#32770", NULL)) != NULL)
        if (IsWindowVisible(child) && GetDlgItem(child, id)) return child;
    return NULL;
}

static HWND wait_page(int id, DWORD ms) {
    DWORD start = GetTickCount();
    do {
        HWND page = page_with(id);
        if (page) return page;
        Sleep(100);
    } while (GetTickCount() - start < ms);
    return NULL;
}

static void delete_tree(HKEY parent, const char *path) {
    HKEY key;
    char child[256];
    if (RegOpenKeyExA(parent, path, 0, KEY_READ | KEY_WRITE, &key) != ERROR_SUCCESS) return;
    for (;;) {
        DWORD len = sizeof child;
        if (RegEnumKeyExA(key, 0, child, &len, NULL, NULL, NULL, NULL) != ERROR_SUCCESS) break;
        delete_tree(key, child);
        if (RegDeleteKeyA(key, child) != ERROR_SUCCESS) break;
    }
    RegCloseKey(key);
    RegDeleteKeyA(parent, path);
}

static void reset_keys(void) {
    char keys[2048], *at, *bar;
    const char *list = getenv("ROBOT_RESET_KEYS");
    if (!list) return;
    snprintf(keys, sizeof keys, "%s", list);
    for (at = keys; at && *at; at = bar) {
        bar = strchr(at, '|');
        if (bar) *bar++ = '\0';
        delete_tree(HKEY_LOCAL_MACHINE, at);
    }
}

/* The values of ROBOT_ENTRY_KEY as `reg query` prints them (name, type and data, four blanks apart). */
static void write_entry(void) {
    const char *path = getenv("ROBOT_ENTRY_KEY"), *file = getenv("ROBOT_ENTRY_FILE");
    HKEY key;
    FILE *out;
    DWORD i;
    if (!path || !file || !(out = fopen(file, "wb"))) return;
    LONG rc = RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, &key);
    /* A key that is not there says so: an empty file only means that nothing was looked at. */
    if (rc != ERROR_SUCCESS)
        fprintf(out, "%s HKEY_LOCAL_MACHINE\\%s (%ld)\r\n", rc == ERROR_FILE_NOT_FOUND ? "ABSENT" : "UNREADABLE", path,
                (long)rc);
    if (rc == ERROR_SUCCESS) {
        fprintf(out, "HKEY_LOCAL_MACHINE\\%s\r\n", path);
        for (i = 0;; ++i) {
            char name[256];
            BYTE data[2048];
            DWORD nameLen = sizeof name, dataLen = sizeof data - 1, type = 0;
            if (RegEnumValueA(key, i, name, &nameLen, NULL, &type, data, &dataLen) != ERROR_SUCCESS) break;
            data[dataLen] = 0;
            if (type == REG_SZ || type == REG_EXPAND_SZ)
                fprintf(out, "    %s    %s    %s\r\n", name, type == REG_SZ ? "REG_SZ" : "REG_EXPAND_SZ", (char *)data);
            else if (type == REG_DWORD && dataLen == 4)
                fprintf(out, "    %s    REG_DWORD    0x%lx\r\n", name, (unsigned long)*(DWORD *)data);
            else
                fprintf(out, "    %s    type%lu    (%lu bytes)\r\n", name, (unsigned long)type, (unsigned long)dataLen);
        }
        RegCloseKey(key);
    }
    fclose(out);
}

/* Whether the program ended within wait milliseconds; if not, says so, ends it and still records the entry. */
static int ended(HANDLE process, DWORD wait) {
    if (WaitForSingleObject(process, wait) == WAIT_OBJECT_0) return 1;
    printf("exited=0\n");
    TerminateProcess(process, 1);
    write_entry();
    return 0;
}

static LRESULT send_msg(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(h, msg, wp, lp, SMTO_ABORTIFHUNG, scaled(5000), &result)) return -1;
    return (LRESULT)result;
}

static void click_wizard(int id) {
    HWND button = GetDlgItem(g_wizard, id);
    if (!button) fail("wizard button missing");
    PostMessageA(g_wizard, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)button);
}

static int enabled(int id) { return IsWindowEnabled(GetDlgItem(g_wizard, id)) ? 1 : 0; }

static void print_text(const char *key, HWND h) {
    char text[8192] = "";
    send_msg(h, WM_GETTEXT, sizeof text, (LPARAM)text);
    printf("%s=", key);
    for (const unsigned char *p = (const unsigned char *)text; *p; ++p) printf("%02X", *p);
    printf("\n");
}

/* The message box's text: its longest static control text. */
static HWND message_text_control(HWND box) {
    HWND child = NULL, best = NULL;
    int bestLen = -1;
    while ((child = FindWindowExA(box, child, "Static", NULL)) != NULL) {
        int len = (int)send_msg(child, WM_GETTEXTLENGTH, 0, 0);
        if (len > bestLen) { bestLen = len; best = child; }
    }
    return best;
}

/* PROCESS_MEMORY_COUNTERS, declared here: psapi.dll is loaded at run time from the system directory. */
struct memory_counters {
    DWORD cb, PageFaultCount;
    SIZE_T PeakWorkingSetSize, WorkingSetSize, QuotaPeakPagedPoolUsage, QuotaPagedPoolUsage,
        QuotaPeakNonPagedPoolUsage, QuotaNonPagedPoolUsage, PagefileUsage, PeakPagefileUsage;
};
typedef BOOL(WINAPI *memory_info_fn)(HANDLE, struct memory_counters *, DWORD);

static unsigned long long peak_working_set(HANDLE process) {
    char path[MAX_PATH + 16] = "";
    UINT n = GetSystemDirectoryA(path, MAX_PATH);
    HMODULE psapi;
    memory_info_fn query;
    struct memory_counters counters;
    if (n == 0 || n >= MAX_PATH) return 0;
    strcat(path, "\\psapi.dll");
    psapi = LoadLibraryA(path);
    if (!psapi) return 0;
    query = (memory_info_fn)(void (*)(void))GetProcAddress(psapi, "GetProcessMemoryInfo");
    memset(&counters, 0, sizeof counters);
    counters.cb = sizeof counters;
    if (!query || !query(process, &counters, sizeof counters)) return 0;
    return (unsigned long long)counters.PeakWorkingSetSize;
}

/* Every local printer with its driver, from the spooler. */
static void print_printers(void) {
    DWORD needed = 0, count = 0, i;
    BYTE *block;
    EnumPrintersA(PRINTER_ENUM_LOCAL, NULL, 2, NULL, 0, &needed, &count);
    if (!needed || !(block = malloc(needed))) return;
    if (EnumPrintersA(PRINTER_ENUM_LOCAL, NULL, 2, block, needed, &needed, &count))
        for (i = 0; i < count; ++i) {
            PRINTER_INFO_2A *p = (PRINTER_INFO_2A *)block + i;
            printf("printer=%s|%s\n", p->pPrinterName ? p->pPrinterName : "", p->pDriverName ? p->pDriverName : "");
        }
    free(block);
}

static int run_uninstall(const char *commandLine, int yes, DWORD wait) {
    STARTUPINFOA si;
    PROCESS_INFORMATION pi;
    char command[1024];
    const char *extra = getenv("ROBOT_EXTRA_PRINTER");
    DWORD code = 0;
    HWND box;
    if (extra && *extra) {
        char path[MAX_PATH];
        HKEY key;
        snprintf(path, sizeof path, "System\\CurrentControlSet\\Control\\Print\\Printers\\%s", extra);
        if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, path, 0, NULL, 0, KEY_ALL_ACCESS, NULL, &key, NULL) == ERROR_SUCCESS) {
            const char *values[][2] = {{"Name", extra}, {"Port", "LPT1:"}, {"Printer Driver", "Generic / Text Only"}};
            for (int i = 0; i < 3; ++i)
                RegSetValueExA(key, values[i][0], 0, REG_SZ, (const BYTE *)values[i][1], (DWORD)strlen(values[i][1]) + 1);
            RegCloseKey(key);
        }
    }
    memset(&si, 0, sizeof si);
    si.cb = sizeof si;
    snprintf(command, sizeof command, "%s", commandLine);
    if (!CreateProcessA(NULL, command, NULL, NULL, FALSE, 0, NULL, NULL, &si, &pi)) fail("the uninstall command did not start");
    g_pid = pi.dwProcessId;
    box = wait_top_dialog(NULL, scaled(wait));
    if (!box) fail("no question");
    print_text("question", message_text_control(box));
    PostMessageA(box, WM_COMMAND, yes ? IDYES : IDNO, 0);
    if (yes) {
        HWND report = NULL;
        DWORD start = GetTickCount();
        /* The question's window may still be listed for a moment after the answer. */
        while (!report && GetTickCount() - start < scaled(wait)) {
            report = wait_top_dialog(box, 500);
            if (report && !IsWindow(report)) report = NULL;
        }
        if (!report) fail("no report");
        print_text("report", message_text_control(report));
        PostMessageA(report, WM_COMMAND, IDOK, 0);
    }
    if (!ended(pi.hProcess, scaled(20000))) return 1;
    GetExitCodeProcess(pi.hProcess, &code);
    printf("exited=1 exit_code=%lu\n", (unsigned long)code);
    print_printers();
    write_entry();
    return 0;
}

/* Windows of setup.exe's process seen so far, by handle, with the class of each. */
#define MAX_SEEN 32
static HWND g_seen[MAX_SEEN];
static int g_seenCount;

static void note_window(HWND h) {
    DWORD pid = 0;
    int i;
    GetWindowThreadProcessId(h, &pid);
    if (pid != g_pid) return;
    for (i = 0; i < g_seenCount; ++i)
        if (g_seen[i] == h) return;
    if (g_seenCount < MAX_SEEN) {
        char cls[64] = "";
        GetClassNameA(h, cls, sizeof cls);
        g_seen[g_seenCount++] = h;
        printf("window_class=%s\n", cls);
    }
}

static BOOL CALLBACK note_proc(HWND h, LPARAM lp) {
    (void)lp;
    note_window(h);
    return TRUE;
}

/* Every window created in setup.exe's process, however briefly it lives, reaches this hook. */
static void CALLBACK created(HWINEVENTHOOK hook, DWORD event, HWND h, LONG object, LONG child, DWORD thread, DWORD time) {
    (void)hook; (void)event; (void)thread; (void)time;
    if (h && object == OBJID_WINDOW && child == CHILDID_SELF) note_window(h);
}

static int watch(char *command, DWORD wait, int printers) {
    STARTUPINFOA si;
    PROCESS_INFORMATION pi;
    DWORD start, code = 0;
    int dismissed = 0;

    reset_keys();
    memset(&si, 0, sizeof si);
    si.cb = sizeof si;
    if (!CreateProcessA(NULL, command, NULL, NULL, FALSE, 0, NULL, NULL, &si, &pi)) fail("the program did not start");
    g_pid = pi.dwProcessId;
    SetWinEventHook(EVENT_OBJECT_CREATE, EVENT_OBJECT_CREATE, NULL, created, g_pid, 0, WINEVENT_OUTOFCONTEXT);
    start = GetTickCount();
    while (MsgWaitForMultipleObjects(1, &pi.hProcess, FALSE, 5, QS_ALLINPUT) != WAIT_OBJECT_0) {
        HWND h = NULL;
        MSG msg;
        while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
        EnumWindows(note_proc, 0);
        while ((h = FindWindowExA(HWND_MESSAGE, h, NULL, NULL)) != NULL) note_window(h);
        if (!dismissed) {
            struct find_top f = {NULL, NULL};
            HWND box;
            EnumWindows(top_proc, (LPARAM)&f);
            box = f.found;
            if (box) {
                HWND text = message_text_control(box);
                if (text) print_text("message", text);
                PostMessageA(box, WM_COMMAND, IDOK, 0);
                dismissed = 1;
            }
        }
        if (GetTickCount() - start > wait) {
            printf("exited=0\nwindows_seen=%d\n", g_seenCount);
            TerminateProcess(pi.hProcess, 1);
            write_entry();
            return 1;
        }
    }
    GetExitCodeProcess(pi.hProcess, &code);
    printf("exited=1\nwindows_seen=%d\nexit_code=%lu\n", g_seenCount, (unsigned long)code);
    if (printers) print_printers();
    write_entry();
    return 0;
}

static int unattended(const char *setup, const char *arguments, DWORD wait) {
    char command[2 * MAX_PATH + 8];
    snprintf(command, sizeof command, "\"%s\" %s", setup, arguments);
    return watch(command, wait, 0);
}

int main(int argc, char **argv) {
    STARTUPINFOA si;
    PROCESS_INFORMATION pi;
    char command[MAX_PATH + 8];
    const char *choice;
    DWORD messageWait;
    HWND page, box;
    int i;

    if (argc == 2 && !strcmp(argv[1], "--langid")) {
        printf("system_langid=0x%04X\n", (unsigned)GetSystemDefaultLangID());
        return 0;
    }
    if (argc == 5 && !strcmp(argv[1], "--uninstall")) {
        setvbuf(stdout, NULL, _IONBF, 0);
        if (getenv("SETUP_TIME_SCALE") && atoi(getenv("SETUP_TIME_SCALE")) > 0)
            g_scale = (DWORD)atoi(getenv("SETUP_TIME_SCALE"));
        return run_uninstall(argv[2], !strcmp(argv[3], "yes"), (DWORD)atoi(argv[4]) * 1000);
    }
    if (getenv("SETUP_TIME_SCALE") && atoi(getenv("SETUP_TIME_SCALE")) > 0)
        g_scale = (DWORD)atoi(getenv("SETUP_TIME_SCALE"));
    if (argc == 4 && !strcmp(argv[1], "--command")) {
        char command[2 * MAX_PATH + 8];
        setvbuf(stdout, NULL, _IONBF, 0);
        printf("system_langid=0x%04X\n", (unsigned)GetSystemDefaultLangID());
        snprintf(command, sizeof command, "%s", argv[2]);
        return watch(command, scaled((DWORD)atoi(argv[3]) * 1000), 1);
    }
    if (argc == 5 && !strcmp(argv[1], "--unattended")) {
        setvbuf(stdout, NULL, _IONBF, 0);
        printf("system_langid=0x%04X\n", (unsigned)GetSystemDefaultLangID());
        return unattended(argv[2], argv[3], scaled((DWORD)atoi(argv[4]) * 1000));
    }
    if (argc != 4) {
        printf("usage: robot.exe <setup.exe> <chinese|english|stay> <message wait seconds>\n");
        return 2;
    }
    choice = argv[2];
    messageWait = (DWORD)atoi(argv[3]) * 1000;
    setvbuf(stdout, NULL, _IONBF, 0);
    if (getenv("SETUP_TIME_SCALE") && atoi(getenv("SETUP_TIME_SCALE")) > 0)
        g_scale = (DWORD)atoi(getenv("SETUP_TIME_SCALE"));
    printf("system_langid=0x%04X\n", (unsigned)GetSystemDefaultLangID());

    reset_keys();
    memset(&si, 0, sizeof si);
    si.cb = sizeof si;
    snprintf(command, sizeof command, "\"%s\"", argv[1]);
    if (!CreateProcessA(NULL, command, NULL, NULL, FALSE, 0, NULL, NULL, &si, &pi)) fail("setup.exe did not start");
    g_pid = pi.dwProcessId;

    g_wizard = wait_top_dialog(NULL, scaled(30000));
    if (!g_wizard) fail("no wizard window");
    print_text("wizard_title", g_wizard);

    /* Welcome page. */
    if (!wait_page(IDC_WELCOME_TITLE, scaled(10000))) fail("no welcome page");
    printf("welcome_back=%d welcome_next=%d\n", enabled(ID_WIZBACK), enabled(ID_WIZNEXT));
    click_wizard(ID_WIZNEXT);

    /* System and language page: the preselected system and language, then the choice. */
    page = wait_page(IDC_LANGUAGE_CHINESE, scaled(10000));
    if (!page) fail("no system and language page");
    for (i = IDC_OS_FIRST; i <= IDC_OS_LAST; ++i)
        if (send_msg(GetDlgItem(page, i), BM_GETCHECK, 0, 0) == BST_CHECKED) printf("os_radio=%d\n", i);
    for (i = IDC_LANGUAGE_CHINESE; i <= IDC_LANGUAGE_ENGLISH; ++i)
        if (send_msg(GetDlgItem(page, i), BM_GETCHECK, 0, 0) == BST_CHECKED) printf("language_radio=%d\n", i);
    if (!strcmp(choice, "chinese") || !strcmp(choice, "english")) {
        int id = !strcmp(choice, "chinese") ? IDC_LANGUAGE_CHINESE : IDC_LANGUAGE_ENGLISH;
        send_msg(GetDlgItem(page, id), BM_CLICK, 0, 0);
        printf("language_chosen=%d\n", send_msg(GetDlgItem(page, id), BM_GETCHECK, 0, 0) == BST_CHECKED ? id : 0);
    }
    click_wizard(ID_WIZNEXT);

    /* Printer settings page: Next waits for the series. */
    page = wait_page(IDC_SERIES_LIST, scaled(10000));
    if (!page) fail("no printer settings page");
    printf("settings_next_before=%d\n", enabled(ID_WIZNEXT));
    {
        HWND list = GetDlgItem(page, IDC_SERIES_LIST);
        LRESULT index = send_msg(list, LB_FINDSTRINGEXACT, (WPARAM)-1, (LPARAM) "58mm series");
        printf("series_index=%ld\n", (long)index);
        if (index < 0) index = 0;
        send_msg(list, LB_SETCURSEL, (WPARAM)index, 0);
        send_msg(page, WM_COMMAND, MAKEWPARAM(IDC_SERIES_LIST, LBN_SELCHANGE), (LPARAM)list);
        Sleep(scaled(200));
        printf("settings_next_after=%d\n", enabled(ID_WIZNEXT));
    }
    click_wizard(ID_WIZNEXT);

    /* Progress page. */
    page = wait_page(IDC_COPY_PROGRESS, scaled(10000));
    if (!page) fail("no progress page");
    {
        /* The page can be found a moment before the wizard has set its buttons for it. */
        DWORD waited = 0;
        while ((enabled(ID_WIZNEXT) || !enabled(ID_WIZFINISH)) && waited < scaled(2000)) {
            Sleep(50);
            waited += 50;
        }
    }
    printf("copy_next=%d copy_finish=%d\n", enabled(ID_WIZNEXT), enabled(ID_WIZFINISH));

    if (!strcmp(choice, "stay")) {
        /* Back at once, then wait past the timer: hiding the page must not start the installation. */
        click_wizard(ID_WIZBACK);
        if (!wait_page(IDC_SERIES_LIST, scaled(5000))) fail("Back did not return to the settings page");
        box = wait_top_dialog(g_wizard, 3000);
        printf("message_after_back=%d\n", box ? 1 : 0);
        if (box) PostMessageA(box, WM_COMMAND, IDOK, 0);
        else PostMessageA(g_wizard, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    } else {
        box = wait_top_dialog(g_wizard, messageWait);
        if (!box) fail("no result message");
        printf("progress_during=%ld\n", (long)send_msg(GetDlgItem(page, IDC_COPY_PROGRESS), PBM_GETPOS, 0, 0));
        print_text("message_caption", box);
        if (getenv("ROBOT_PEAK_MEMORY")) printf("peak_working_set=%llu\n", peak_working_set(pi.hProcess));
        {
            HWND text = message_text_control(box);
            if (!text) fail("result message has no text");
            print_text("message", text);
        }
        PostMessageA(box, WM_COMMAND, IDOK, 0);
    }

    if (!ended(pi.hProcess, scaled(20000))) return 1;
    printf("exited=1\n");
    write_entry();
    return 0;
}
