/* Stand-in for the system's printui.dll under Wine, whose own PrintUIEntry has no /if. Test use only.
 *
 * rundll32 printui.dll,PrintUIEntry <options> calls PrintUIEntryW (or A). Each call appends the process's
 * command line, the options and the current directory to C:\printui-log.txt, then one key=value line per
 * step it takes.
 *   /if /f <inf> /r <port> /b <name> /m <model>  installs the driver of <model> from <inf> as the system's
 *       command does, then registers printer <name> on <port> under
 *       HKLM\System\CurrentControlSet\Control\Print\Printers, where Wine's EnumPrinters finds it:
 *       - the INF's [Manufacturer] names the models section (decorated .NTx86 first), whose line for <model>
 *         names the install section; its CopyFiles (@file, or a section listing files), DataFile and Needs
 *         give the driver's files; [SourceDisksFiles.x86] / [SourceDisksFiles] give each file's
 *         subdirectory of the INF's directory (KX47D.DLL = 100,x86: <inf dir>\x86\KX47D.DLL);
 *       - Needs=UNIDRV.OEM brings the Unidrv core (UNIDRV.DLL driver, UNIDRVUI.DLL configuration, UNIDRV.HLP
 *         help, UNIRES.DLL, STDNAMES.GPD), which NTPRINT.INF would take from the system: here it is taken
 *         from the spooler's driver directory itself;
 *       - built with X64_SYSTEM (x86_64 only) it is 64-bit Windows's own command: the models section
 *         must be decorated .NTamd64 (an undecorated or .NTx86 one is not for this system), the
 *         subdirectories come from [SourceDisksFiles.amd64], the install section must say
 *         Include=NTPRINT.INF for Needs=UNIDRV.OEM, and the Unidrv core comes from the system's own copy of
 *         NTPRINT.INF's files: <system dir>\DriverStore\FileRepository\ntprint.inf_amd64\Amd64 (which the
 *         tests fill with labelled stand-ins); the environment is "Windows x64";
 *       - AddPrinterDriverExA level 3, "Windows NT x86" (or "Windows x64"), with every file's full source path and
 *         APD_COPY_FROM_DIRECTORY, copies them into the driver directory's "3" and registers the driver
 *         (Wine copies from the paths given only with that flag; without it, it copies <driver dir>\<file
 *         name> whatever the path says, and it ignores a copy that fails);
 *       - every file in "3" is then compared with its source, byte for byte.
 *       Any step that fails is logged (error=...), the driver is removed again and no printer is made.
 *   /y /n <name>  records <name> as the default printer (HKCU\...\Windows "Device").
 * Every call also logs width=32 or width=64: which of the two stand-ins the command reached.
 * C:\printui-mode.txt, when present, changes /if: "none" registers nothing, "hang" sleeps for minutes,
 * "attack" first tries, as another user of C:\TEMP could while the command runs, to write other bytes into
 * the INF's data file in the INF's directory (attack-overwrite=refused|done) and to rename the plug-ins'
 * subdirectory (attack-rename=refused|done; a rename that succeeds is undone at once), then installs.
 */
#include <windows.h>
#include <winspool.h>
#include <ctype.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#define LOG_PATH "C:\\printui-log.txt"
#define MODE_PATH "C:\\printui-mode.txt"
#if defined(X64_SYSTEM) && defined(_WIN64)
#define ENVIRONMENT "Windows x64"
#define SOURCE_DISKS_FILES "SourceDisksFiles.amd64"
static const char *const decorations[] = {".NTamd64", NULL};
#else
#define ENVIRONMENT "Windows NT x86"
#define SOURCE_DISKS_FILES "SourceDisksFiles.x86"
static const char *const decorations[] = {".NTx86", "", NULL};
#endif
#define MAX_FILES 32
#define INF_LIMIT (1024 * 1024)

static void log_line(const char *key, const char *value) {
    FILE *f = fopen(LOG_PATH, "ab");
    if (!f) return;
    fprintf(f, "%s=%s\r\n", key, value);
    fclose(f);
}

static void log_error(const char *what, const char *path, DWORD code) {
    char line[MAX_PATH + 128];
    snprintf(line, sizeof line, "%s %s (error %lu)", what, path, (unsigned long)code);
    log_line("error", line);
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

static int add_printer(const char *name, const char *port, const char *model) {
    char path[MAX_PATH];
    HKEY key;
    DWORD attributes = PRINTER_ATTRIBUTE_LOCAL;
    snprintf(path, sizeof path, "System\\CurrentControlSet\\Control\\Print\\Printers\\%s", name);
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, path, 0, NULL, 0, KEY_ALL_ACCESS, NULL, &key, NULL) != ERROR_SUCCESS) {
        log_line("error", "printer key");
        return 0;
    }
    set_string(key, "Name", name);
    set_string(key, "Port", port);
    set_string(key, "Printer Driver", model);
    set_string(key, "Print Processor", "WinPrint");
    set_string(key, "Datatype", "RAW");
    RegSetValueExA(key, "Attributes", 0, REG_DWORD, (const BYTE *)&attributes, sizeof attributes);
    RegCloseKey(key);
    log_line("added", name);
    log_line("port", port);
    return 1;
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

/* ---- The INF ------------------------------------------------------------------------------------------ */

/* The INF as lines: comments (from ';' outside quotes) and surrounding blanks removed, empty lines left out. */
typedef struct {
    char *text;
    char **lines;
    int count;
} Inf;

static void trim(char *s) {
    size_t n = strlen(s), start = 0;
    while (n && isspace((unsigned char)s[n - 1])) s[--n] = '\0';
    while (isspace((unsigned char)s[start])) ++start;
    if (start) memmove(s, s + start, n - start + 1);
}

/* Removes double quotes and blanks around s. */
static void unquote(char *s) {
    char *r = s, *w = s;
    trim(s);
    for (; *r; ++r)
        if (*r != '"') *w++ = *r;
    *w = '\0';
    trim(s);
}

static int inf_load(Inf *inf, const char *path) {
    FILE *f = fopen(path, "rb");
    long size;
    char *p, *line;
    memset(inf, 0, sizeof *inf);
    if (!f) return 0;
    if (fseek(f, 0, SEEK_END) != 0 || (size = ftell(f)) < 0 || size > INF_LIMIT || fseek(f, 0, SEEK_SET) != 0) {
        fclose(f);
        return 0;
    }
    inf->text = malloc((size_t)size + 1);
    inf->lines = malloc(sizeof(char *) * ((size_t)size / 2 + 2));
    if (!inf->text || !inf->lines || fread(inf->text, 1, (size_t)size, f) != (size_t)size) {
        fclose(f);
        return 0;
    }
    fclose(f);
    inf->text[size] = '\0';
    for (p = inf->text; p && *p;) {
        int quoted = 0;
        char *c;
        line = p;
        p = strpbrk(p, "\r\n");
        if (p) *p++ = '\0';
        for (c = line; *c; ++c) {
            if (*c == '"') quoted = !quoted;
            else if (*c == ';' && !quoted) { *c = '\0'; break; }
        }
        trim(line);
        if (*line) inf->lines[inf->count++] = line;
    }
    return 1;
}

static void inf_free(Inf *inf) {
    free(inf->text);
    free(inf->lines);
}

/* Index of the first line of section [name] (case-insensitive), or -1. */
static int inf_section(const Inf *inf, const char *name) {
    char header[MAX_PATH + 2];
    int i;
    snprintf(header, sizeof header, "[%s]", name);
    for (i = 0; i < inf->count; ++i)
        if (!_stricmp(inf->lines[i], header)) return i + 1;
    return -1;
}

/* The key and value of a section line "key = value" (no '=': the whole line is the key). */
static void split_line(const char *line, char *key, char *value, size_t size) {
    const char *eq = strchr(line, '=');
    size_t n = eq ? (size_t)(eq - line) : strlen(line);
    if (n >= size) n = size - 1;
    memcpy(key, line, n);
    key[n] = '\0';
    snprintf(value, size, "%s", eq ? eq + 1 : "");
    unquote(key);
    trim(value);
}

/* The n-th comma-separated field of list (from 0), unquoted; "" when there is none. */
static void field(const char *list, int n, char *out, size_t size) {
    const char *start = list, *comma;
    size_t len;
    while (n-- > 0) {
        if (!(start = strchr(start, ','))) { out[0] = '\0'; return; }
        ++start;
    }
    comma = strchr(start, ',');
    len = comma ? (size_t)(comma - start) : strlen(start);
    if (len >= size) len = size - 1;
    memcpy(out, start, len);
    out[len] = '\0';
    unquote(out);
}

/* The value of key in section (first match), into value; 0 when the section or the key is missing. */
static int inf_value(const Inf *inf, const char *section, const char *key, char *value, size_t size) {
    char k[MAX_PATH], v[MAX_PATH];
    int i = inf_section(inf, section);
    if (i < 0) return 0;
    for (; i < inf->count && inf->lines[i][0] != '['; ++i) {
        split_line(inf->lines[i], k, v, sizeof k);
        if (!_stricmp(k, key)) {
            snprintf(value, size, "%s", v);
            return 1;
        }
    }
    return 0;
}

/* ---- The driver's files ------------------------------------------------------------------------------- */

typedef struct {
    char name[MAX_PATH];   /* the file name in the driver directory */
    char source[MAX_PATH]; /* the full path it is copied from */
} DriverFile;

typedef struct {
    DriverFile files[MAX_FILES];
    int count;
    char infDir[MAX_PATH];
    char dataFile[MAX_PATH];
    int unidrv;
    int includesNtprint; /* Include=NTPRINT.INF */
} DriverSet;

static int add_file(DriverSet *set, const char *name, const char *source) {
    int i;
    for (i = 0; i < set->count; ++i)
        if (!_stricmp(set->files[i].name, name)) return 1;
    if (set->count == MAX_FILES) return 0;
    snprintf(set->files[set->count].name, MAX_PATH, "%s", name);
    snprintf(set->files[set->count].source, MAX_PATH, "%s", source);
    ++set->count;
    return 1;
}

/* Where the INF's file name comes from: its directory, or the subdirectory [SourceDisksFiles.x86] (.amd64 for
 * the 64-bit stand-in) or [SourceDisksFiles] gives it (name = disk,subdir). */
static void source_of(const Inf *inf, const char *infDir, const char *name, char *out, size_t size) {
    char entry[MAX_PATH] = "", subdir[MAX_PATH] = "";
    if (inf_value(inf, SOURCE_DISKS_FILES, name, entry, sizeof entry) ||
        inf_value(inf, "SourceDisksFiles", name, entry, sizeof entry))
        field(entry, 1, subdir, sizeof subdir);
    if (subdir[0]) snprintf(out, size, "%s\\%s\\%s", infDir, subdir, name);
    else snprintf(out, size, "%s\\%s", infDir, name);
}

/* The files of one CopyFiles item: "@file" or the name of a section that lists files. */
static int copy_files_item(const Inf *inf, const char *infDir, const char *item, DriverSet *set) {
    char source[MAX_PATH], name[MAX_PATH], unused[MAX_PATH];
    int i;
    if (item[0] == '@') {
        source_of(inf, infDir, item + 1, source, sizeof source);
        return add_file(set, item + 1, source);
    }
    if ((i = inf_section(inf, item)) < 0) {
        log_line("error", "no CopyFiles section");
        return 0;
    }
    for (; i < inf->count && inf->lines[i][0] != '['; ++i) {
        split_line(inf->lines[i], name, unused, sizeof name);
        field(name, 0, name, sizeof name);
        source_of(inf, infDir, name, source, sizeof source);
        if (!add_file(set, name, source)) return 0;
    }
    return 1;
}

/* The files the INF's install section for model names, with their sources. */
static int read_driver_set(const char *infPath, const char *model, DriverSet *set) {
    char infDir[MAX_PATH], manufacturer[MAX_PATH], models[MAX_PATH], install[MAX_PATH] = "", section[MAX_PATH];
    char key[MAX_PATH], value[MAX_PATH], item[MAX_PATH], *slash;
    Inf inf;
    int i, d, k, ok = 1;

    memset(set, 0, sizeof *set);
    snprintf(infDir, sizeof infDir, "%s", infPath);
    slash = strrchr(infDir, '\\');
    if (slash) *slash = '\0';
    else snprintf(infDir, sizeof infDir, ".");
    snprintf(set->infDir, sizeof set->infDir, "%s", infDir);
    if (!inf_load(&inf, infPath)) {
        log_error("cannot read", infPath, GetLastError());
        inf_free(&inf);
        return 0;
    }
    /* [Manufacturer] "maker" = models section[, decoration...]; the models section's line for the model names
     * the install section. */
    if ((i = inf_section(&inf, "Manufacturer")) < 0) {
        log_line("error", "no [Manufacturer] in the INF");
        inf_free(&inf);
        return 0;
    }
    for (; i < inf.count && inf.lines[i][0] != '[' && !install[0]; ++i) {
        split_line(inf.lines[i], key, manufacturer, sizeof key);
        field(manufacturer, 0, models, sizeof models);
        for (d = 0; decorations[d] && !install[0]; ++d) {
            snprintf(section, sizeof section, "%s%s", models, decorations[d]);
            if (inf_value(&inf, section, model, value, sizeof value)) field(value, 0, install, sizeof install);
        }
    }
    if (!install[0]) {
        log_line("error", "the INF has no such model");
        inf_free(&inf);
        return 0;
    }
    log_line("install-section", install);
    if ((i = inf_section(&inf, install)) < 0) {
        log_line("error", "no install section");
        inf_free(&inf);
        return 0;
    }
    for (; ok && i < inf.count && inf.lines[i][0] != '['; ++i) {
        split_line(inf.lines[i], key, value, sizeof key);
        if (!_stricmp(key, "CopyFiles")) {
            for (k = 0; ok; ++k) {
                field(value, k, item, sizeof item);
                if (!item[0]) break;
                ok = copy_files_item(&inf, infDir, item, set);
            }
        } else if (!_stricmp(key, "DataFile")) {
            snprintf(set->dataFile, sizeof set->dataFile, "%s", value);
            unquote(set->dataFile);
        } else if (!_stricmp(key, "Needs")) {
            for (k = 0;; ++k) {
                field(value, k, item, sizeof item);
                if (!item[0]) break;
                if (!_stricmp(item, "UNIDRV.OEM")) set->unidrv = 1;
            }
        } else if (!_stricmp(key, "Include")) {
            for (k = 0;; ++k) {
                field(value, k, item, sizeof item);
                if (!item[0]) break;
                if (!_stricmp(item, "NTPRINT.INF")) set->includesNtprint = 1;
            }
        }
    }
    inf_free(&inf);
    if (!ok) return 0;
    if (!set->dataFile[0]) {
        log_line("error", "the install section has no DataFile");
        return 0;
    }
    return 1;
}

/* ---- Attack mode -------------------------------------------------------------------------------------- */

/* What another user of the staging directory could try while the command runs. */
static void attack(const DriverSet *set) {
    static const char other[] = "*% other bytes, written while the installation command ran\r\n";
    char dir[MAX_PATH] = "", moved[MAX_PATH + 16], code[32];
    const char *victim = NULL;
    HANDLE h;
    DWORD written = 0;
    size_t n = strlen(set->infDir);
    int i;

    for (i = 0; i < set->count; ++i) {
        const char *source = set->files[i].source;
        if (!_stricmp(set->files[i].name, set->dataFile)) victim = source;
        /* The first file from a subdirectory of the INF's directory (the plug-ins' x86) names the one to move. */
        if (!dir[0] && !_strnicmp(source, set->infDir, n) && source[n] == '\\' && strchr(source + n + 1, '\\')) {
            snprintf(dir, sizeof dir, "%s", source);
            *strrchr(dir, '\\') = '\0';
        }
    }
    if (victim) {
        h = CreateFileA(victim, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL,
                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
        if (h == INVALID_HANDLE_VALUE) {
            snprintf(code, sizeof code, "%lu", (unsigned long)GetLastError());
            log_line("attack-overwrite", "refused");
            log_line("attack-overwrite-error", code);
        } else {
            BOOL ok = WriteFile(h, other, sizeof other - 1, &written, NULL) && written == sizeof other - 1;
            snprintf(code, sizeof code, "%lu", (unsigned long)(ok ? 0 : GetLastError()));
            CloseHandle(h);
            log_line("attack-overwrite", ok ? "done" : "refused");
            if (!ok) log_line("attack-overwrite-error", code);
        }
        log_line("attack-overwrite-file", victim);
    }
    if (dir[0]) {
        snprintf(moved, sizeof moved, "%s-moved", dir);
        if (MoveFileA(dir, moved)) {
            log_line("attack-rename", "done");
            if (!MoveFileA(moved, dir)) log_error("cannot move back", moved, GetLastError());
        } else {
            snprintf(code, sizeof code, "%lu", (unsigned long)GetLastError());
            log_line("attack-rename", "refused");
            log_line("attack-rename-error", code);
        }
        log_line("attack-rename-directory", dir);
    }
}

/* ---- Installing the driver ---------------------------------------------------------------------------- */

/* Reads a whole file with a reading open that shares reading only; NULL when it cannot. */
static BYTE *read_all(const char *path, DWORD *size) {
    HANDLE h = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    BYTE *data = NULL;
    DWORD got = 0;
    if (h == INVALID_HANDLE_VALUE) return NULL;
    *size = GetFileSize(h, NULL);
    if (*size != INVALID_FILE_SIZE && (data = malloc(*size + 1)) != NULL &&
        (!ReadFile(h, data, *size, &got, NULL) || got != *size)) {
        free(data);
        data = NULL;
    }
    CloseHandle(h);
    return data;
}

/* Whether files a and b hold the same bytes; *error: why one could not be read (0 when both were). */
static int same_bytes(const char *a, const char *b, DWORD *error) {
    DWORD na = 0, nb = 0;
    BYTE *da, *db = NULL;
    int same;
    *error = 0;
    if (!(da = read_all(a, &na)) || !(db = read_all(b, &nb))) *error = GetLastError();
    same = da && db && na == nb && memcmp(da, db, na) == 0;
    free(da);
    free(db);
    return same;
}

static int install_driver(const char *model, const DriverSet *inf, int attackFirst) {
    static const char *const core[] = {"UNIDRV.DLL", "UNIDRVUI.DLL", "UNIDRV.HLP", "UNIRES.DLL", "STDNAMES.GPD"};
    DriverSet set = *inf;
    DRIVER_INFO_3A info;
    char driverDir[MAX_PATH], coreDir[MAX_PATH], target[MAX_PATH * 2], source[MAX_PATH * 2];
    char dependent[MAX_FILES * MAX_PATH];
    const char *driverPath = NULL, *dataPath = NULL, *configPath = NULL, *helpPath = NULL;
    DWORD needed = 0, error = 0;
    size_t used = 0;
    int i;

    if (!set.unidrv) {
        log_line("error", "the INF does not need UNIDRV.OEM: no driver for it here");
        return 0;
    }
    if (!GetPrinterDriverDirectoryA(NULL, ENVIRONMENT, 1, (BYTE *)driverDir, sizeof driverDir, &needed)) {
        log_error("no driver directory for", ENVIRONMENT, GetLastError());
        return 0;
    }
    log_line("driver-directory", driverDir);
    snprintf(coreDir, sizeof coreDir, "%s", driverDir);
#if defined(X64_SYSTEM) && defined(_WIN64)
    /* 64-bit Windows takes the Unidrv core from its own NTPRINT.INF, which the INF must include. */
    if (!set.includesNtprint) {
        log_line("error", "the INF needs UNIDRV.OEM without Include=NTPRINT.INF");
        return 0;
    }
    if (!GetSystemDirectoryA(coreDir, sizeof coreDir)) return 0;
    strncat(coreDir, "\\DriverStore\\FileRepository\\ntprint.inf_amd64\\Amd64", sizeof coreDir - strlen(coreDir) - 1);
#endif
    for (i = 0; i < 5; ++i) {
        snprintf(source, sizeof source, "%s\\%s", coreDir, core[i]);
        if (!add_file(&set, core[i], source)) return 0;
    }
    if (attackFirst) attack(&set);

    memset(&info, 0, sizeof info);
    memset(dependent, 0, sizeof dependent);
    for (i = 0; i < set.count; ++i) {
        const DriverFile *f = &set.files[i];
        size_t len = strlen(f->source) + 1;
        if (GetFileAttributesA(f->source) == INVALID_FILE_ATTRIBUTES) {
            log_error("missing", f->source, GetLastError());
            return 0;
        }
        if (!_stricmp(f->name, core[0])) driverPath = f->source;
        else if (!_stricmp(f->name, core[1])) configPath = f->source;
        else if (!_stricmp(f->name, core[2])) helpPath = f->source;
        else if (!_stricmp(f->name, set.dataFile)) dataPath = f->source;
        else {
            if (used + len + 1 > sizeof dependent) return 0;
            memcpy(dependent + used, f->source, len);
            used += len;
        }
    }
    if (!dataPath) {
        log_line("error", "the DataFile is not among the files the INF copies");
        return 0;
    }
    info.cVersion = 3;
    info.pName = (LPSTR)model;
    info.pEnvironment = (LPSTR)ENVIRONMENT;
    info.pDriverPath = (LPSTR)driverPath;
    info.pDataFile = (LPSTR)dataPath;
    info.pConfigFile = (LPSTR)configPath;
    info.pHelpFile = (LPSTR)helpPath;
    info.pDependentFiles = dependent;
    if (!AddPrinterDriverExA(NULL, 3, (BYTE *)&info, APD_COPY_ALL_FILES | APD_COPY_FROM_DIRECTORY)) {
        log_error("AddPrinterDriverExA failed for", model, GetLastError());
        return 0;
    }
    /* Wine's spooler does not fail on a copy that fails: every file must now be in "3" as its source is. */
    for (i = 0; i < set.count; ++i) {
        snprintf(target, sizeof target, "%s\\3\\%s", driverDir, set.files[i].name);
        if (!same_bytes(set.files[i].source, target, &error)) {
            log_error("not installed as its source", target, error);
            if (!DeletePrinterDriverA(NULL, (LPSTR)ENVIRONMENT, (LPSTR)model))
                log_error("cannot remove the driver", model, GetLastError());
            return 0;
        }
        snprintf(target, sizeof target, "%s <- %s", set.files[i].name, set.files[i].source);
        log_line("driver-file", target);
    }
    log_line("driver", model);
    return 1;
}

static void run(const char *options) {
    char cwd[MAX_PATH] = "", token[MAX_PATH], mode[32];
    char inf[MAX_PATH] = "", port[MAX_PATH] = "", name[MAX_PATH] = "", model[MAX_PATH] = "";
    int install = 0, makeDefault = 0;
    const char *p = options;
    DriverSet set;

    GetCurrentDirectoryA(sizeof cwd, cwd);
    log_line("process", GetCommandLineA());
    log_line("width", sizeof(void *) == 8 ? "64" : "32");
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
        if (mode[0]) log_line("mode", mode);
        if (GetFileAttributesA(inf) == INVALID_FILE_ATTRIBUTES) {
            log_line("missing", inf);
            return;
        }
        if (!read_driver_set(inf, model, &set) || !install_driver(model, &set, !strcmp(mode, "attack"))) {
            log_line("result", "no printer");
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
