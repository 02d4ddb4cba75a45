/* Stand-in for the system's printui.dll under Wine, whose own PrintUIEntry has no /if. Test use only.
 *
 * rundll32 printui.dll,PrintUIEntry <options> calls PrintUIEntryW (or A). Each call appends the process's
 * command line, the options and the current directory to C:\printui-log.txt.
 *   /if /f <inf> /r <port> /b <name> /m <model>  registers printer <name> (only when <inf> exists) under
 *       HKLM\System\CurrentControlSet\Control\Print\Printers, where Wine's EnumPrinters finds it;
 *   /y /n <name>  records <name> as the default printer (HKCU\...\Windows "Device").
 * C:\printui-mode.txt, when present, changes /if: "none" registers nothing, "hang" sleeps for minutes.
 */
#include <windows.h>
#include <stdio.h>
#include <string.h>

#define LOG_PATH "C:\\printui-log.txt"
#define MODE_PATH "C:\\printui-mode.txt"

static void log_line(const char *key, const char *value) {
    FILE *f = fopen(LOG_PATH, "ab");
    if (!f) return;
    fprintf(f, "%s=%s\r\n", key, value);
    fclose(f);
}

static void read_mode(char *mode, size_t size) {
    FILE *f = fopen(MODE_PATH, "rb");
    mode[0] = '\0';
    if (!f) return;
    if (fgets(mode, (int)size, f)) mode[strcspn(mode, "\r\n \t")] = '\0';
    fclose(f);
}

/* Next blank-separated token; double quotes group and are removed. */
static const char *next_token(const char *p, char *out, size_t size) {
    size_t n = 0;
    int quoted = 0;
    while (*p == ' ' || *p == '\t') ++p;
    if (!*p) return NULL;
    for (; *p && (quoted || (*p != ' ' && *p != '\t')); ++p) {
        if (*p == '"') { quoted = !quoted; continue; }
        if (n + 1 < size) out[n++] = *p;
    }
    out[n] = '\0';
    return p;
}

static void set_string(HKEY key, const char *name, const char *value) {
    RegSetValueExA(key, name, 0, REG_SZ, (const BYTE *)value, (DWORD)strlen(value) + 1);
}

static void add_printer(const char *name, const char *port, const char *model) {
    char path[MAX_PATH];
    HKEY key;
    DWORD attributes = PRINTER_ATTRIBUTE_LOCAL;
    snprintf(path, sizeof path, "System\\CurrentControlSet\\Control\\Print\\Printers\\%s", name);
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, path, 0, NULL, 0, KEY_ALL_ACCESS, NULL, &key, NULL) != ERROR_SUCCESS) {
        log_line("error", "printer key");
        return;
    }
    set_string(key, "Name", name);
    set_string(key, "Port", port);
    set_string(key, "Printer Driver", model);
    set_string(key, "Print Processor", "WinPrint");
    set_string(key, "Datatype", "RAW");
    RegSetValueExA(key, "Attributes", 0, REG_DWORD, (const BYTE *)&attributes, sizeof attributes);
    RegCloseKey(key);
    log_line("added", name);
}

static void set_default(const char *name) {
    char device[MAX_PATH];
    HKEY key;
    snprintf(device, sizeof device, "%s,winspool,LPT1:", name);
    if (RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows", 0, NULL, 0,
                        KEY_ALL_ACCESS, NULL, &key, NULL) != ERROR_SUCCESS)
        return;
    set_string(key, "Device", device);
    RegCloseKey(key);
    log_line("default", name);
}

static void run(const char *options) {
    char cwd[MAX_PATH] = "", token[MAX_PATH], mode[32];
    char inf[MAX_PATH] = "", port[MAX_PATH] = "", name[MAX_PATH] = "", model[MAX_PATH] = "";
    int install = 0, makeDefault = 0;
    const char *p = options;

    GetCurrentDirectoryA(sizeof cwd, cwd);
    log_line("process", GetCommandLineA());
    log_line("options", options);
    log_line("cwd", cwd);

    while ((p = next_token(p, token, sizeof token)) != NULL) {
        char *target = NULL;
        if (!strcmp(token, "/if")) install = 1;
        else if (!strcmp(token, "/y")) makeDefault = 1;
        else if (!strcmp(token, "/f")) target = inf;
        else if (!strcmp(token, "/r")) target = port;
        else if (!strcmp(token, "/b") || !strcmp(token, "/n")) target = name;
        else if (!strcmp(token, "/m")) target = model;
        if (target && (p = next_token(p, target, MAX_PATH)) == NULL) break;
    }

    if (install) {
        read_mode(mode, sizeof mode);
        if (!strcmp(mode, "hang")) {
            log_line("mode", "hang");
            Sleep(10 * 60 * 1000);
            return;
        }
        if (!strcmp(mode, "none")) {
            log_line("mode", "none");
            return;
        }
        if (GetFileAttributesA(inf) == INVALID_FILE_ATTRIBUTES) {
            log_line("missing", inf);
            return;
        }
        add_printer(name, port, model);
    } else if (makeDefault) {
        set_default(name);
    }
}

void CALLBACK PrintUIEntryA(HWND hwnd, HINSTANCE instance, LPSTR cmdLine, int show) {
    (void)hwnd; (void)instance; (void)show;
    run(cmdLine ? cmdLine : "");
}

void CALLBACK PrintUIEntryW(HWND hwnd, HINSTANCE instance, LPWSTR cmdLine, int show) {
    char options[2048] = "";
    (void)hwnd; (void)instance; (void)show;
    if (cmdLine) WideCharToMultiByte(CP_ACP, 0, cmdLine, -1, options, sizeof options, NULL, NULL);
    run(options);
}

void CALLBACK PrintUIEntry(HWND hwnd, HINSTANCE instance, LPSTR cmdLine, int show) {
    PrintUIEntryA(hwnd, instance, cmdLine, show);
}
