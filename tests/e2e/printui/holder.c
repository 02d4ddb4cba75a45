/* Holds the staging area the way setup.exe does while the system's command runs, to show what another
 * process can and cannot do to it then:
 *   each staging directory: FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, sharing reading and
 *     writing, not deleting; each staged file: read access, sharing reading only.
 *
 * holder.exe probe <dir>   makes <dir>\data.gpd and <dir>\x86\plugin.dll, holds them so and tries the opens
 *   another process could make; one line each: probe=<what> result=allowed|refused error=<code>. The
 *   directory's rename is tried with each access the directory handle could be opened with.
 * holder.exe run <staging dir> <wait seconds> <command line>   holds <staging dir>, its I386 and x86 and every
 *   file in them, runs the command line (current directory: <staging dir>) within the wait, prints
 *   held=<count> and exit_code=<code> (or ERROR: ...), then lets go.
 */
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#define MAX_HELD 128
static HANDLE g_held[MAX_HELD];
static int g_heldCount;

static HANDLE hold_directory(const char *path, DWORD access) {
    return CreateFileA(path, access, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_EXISTING,
                       FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, NULL);
}

static HANDLE hold_file(const char *path) {
    return CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
}

static void report(const char *what, BOOL ok) {
    DWORD code = ok ? 0 : GetLastError();
    printf("probe=%s result=%s error=%lu\n", what, ok ? "allowed" : "refused", (unsigned long)code);
}

/* An open that is closed at once when it succeeds. */
static void try_open(const char *what, const char *path, DWORD access, DWORD share, DWORD flags) {
    HANDLE h = CreateFileA(path, access, share, NULL, OPEN_EXISTING, flags | FILE_ATTRIBUTE_NORMAL, NULL);
    BOOL ok = h != INVALID_HANDLE_VALUE;
    DWORD code = GetLastError();
    if (ok) CloseHandle(h);
    SetLastError(code);
    report(what, ok);
}

static void write_file(const char *path, const char *text) {
    HANDLE h = CreateFileA(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    DWORD n;
    if (h == INVALID_HANDLE_VALUE) return;
    WriteFile(h, text, (DWORD)strlen(text), &n, NULL);
    CloseHandle(h);
}

static int probe(const char *dir) {
    static const struct { const char *name; DWORD access; } dirAccess[] = {
        {"generic-read", GENERIC_READ}, {"list-directory", FILE_LIST_DIRECTORY},
        {"read-attributes", FILE_READ_ATTRIBUTES}, {"no-access", 0},
    };
    char sub[MAX_PATH], data[MAX_PATH], plugin[MAX_PATH], moved[MAX_PATH], copy[MAX_PATH], what[128];
    HANDLE hDir, hSub, hData, hPlugin;
    size_t i;

    snprintf(sub, sizeof sub, "%s\\x86", dir);
    snprintf(data, sizeof data, "%s\\data.gpd", dir);
    snprintf(plugin, sizeof plugin, "%s\\plugin.dll", sub);
    snprintf(moved, sizeof moved, "%s\\x86-moved", dir);
    snprintf(copy, sizeof copy, "%s-copy.gpd", dir);
    CreateDirectoryA(dir, NULL);
    CreateDirectoryA(sub, NULL);
    write_file(data, "staged data file\r\n");
    write_file(plugin, "staged plug-in\r\n");

    hDir = hold_directory(dir, GENERIC_READ);
    hSub = hold_directory(sub, GENERIC_READ);
    hData = hold_file(data);
    hPlugin = hold_file(plugin);
    if (hDir == INVALID_HANDLE_VALUE || hSub == INVALID_HANDLE_VALUE || hData == INVALID_HANDLE_VALUE ||
        hPlugin == INVALID_HANDLE_VALUE) {
        printf("ERROR: cannot hold the probe files (%lu)\n", (unsigned long)GetLastError());
        return 1;
    }
    printf("held=directories:generic-read,share-read-write files:generic-read,share-read\n");
    /* The staged file. */
    try_open("file-write-share-all", data, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, 0);
    try_open("file-append-share-all", data, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, 0);
    try_open("file-delete-access", data, DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, 0);
    try_open("file-read-share-read", data, GENERIC_READ, FILE_SHARE_READ, 0);
    try_open("file-read-share-read-write-delete", data, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, 0);
    try_open("file-read-share-write-only", data, GENERIC_READ, FILE_SHARE_WRITE, 0);
    try_open("file-read-share-none", data, GENERIC_READ, 0, 0);
    try_open("file-attributes-share-none", data, FILE_READ_ATTRIBUTES, 0, 0);
    report("file-copyfile-from", CopyFileA(data, copy, FALSE));
    DeleteFileA(copy);
    report("file-deletefile", DeleteFileA(data));
    snprintf(what, sizeof what, "%s.moved", data);
    report("file-movefile", MoveFileA(data, what));
    if (GetFileAttributesA(what) != INVALID_FILE_ATTRIBUTES) MoveFileA(what, data);
    report("file-overwrite-by-copyfile", CopyFileA(plugin, data, FALSE));
    /* The staging directory. */
    try_open("directory-delete-access", sub, DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
             FILE_FLAG_BACKUP_SEMANTICS);
    try_open("directory-read-share-read-write", sub, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
             FILE_FLAG_BACKUP_SEMANTICS);
    report("directory-movefile", MoveFileA(sub, moved));
    if (GetFileAttributesA(moved) != INVALID_FILE_ATTRIBUTES) MoveFileA(moved, sub);
    report("directory-removedirectory", RemoveDirectoryA(sub));
    snprintf(what, sizeof what, "%s\\new.txt", sub);
    {
        HANDLE h = CreateFileA(what, GENERIC_WRITE, 0, NULL, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, NULL);
        BOOL ok = h != INVALID_HANDLE_VALUE;
        DWORD code = GetLastError();
        if (ok) CloseHandle(h);
        DeleteFileA(what);
        SetLastError(code);
        report("directory-create-new-file-in-it", ok);
    }
    CloseHandle(hData);
    CloseHandle(hPlugin);
    CloseHandle(hSub);
    CloseHandle(hDir);

    /* The rename of a held directory, with each access its handle could be opened with (no file in it held). */
    for (i = 0; i < sizeof dirAccess / sizeof dirAccess[0]; ++i) {
        HANDLE h = hold_directory(sub, dirAccess[i].access);
        BOOL ok;
        if (h == INVALID_HANDLE_VALUE) {
            printf("ERROR: cannot hold %s with %s (%lu)\n", sub, dirAccess[i].name, (unsigned long)GetLastError());
            continue;
        }
        ok = MoveFileA(sub, moved);
        snprintf(what, sizeof what, "directory-movefile-held-with-%s", dirAccess[i].name);
        report(what, ok);
        if (ok) MoveFileA(moved, sub);
        CloseHandle(h);
    }
    /* And nothing held: the same calls succeed. */
    report("unheld-directory-movefile", MoveFileA(sub, moved));
    MoveFileA(moved, sub);
    try_open("unheld-file-write", data, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, 0);
    return 0;
}

static void hold_tree(const char *dir) {
    char pattern[MAX_PATH], path[MAX_PATH];
    WIN32_FIND_DATAA found;
    HANDLE h, search;
    if ((h = hold_directory(dir, GENERIC_READ)) == INVALID_HANDLE_VALUE) return;
    if (g_heldCount < MAX_HELD) g_held[g_heldCount++] = h;
    snprintf(pattern, sizeof pattern, "%s\\*", dir);
    if ((search = FindFirstFileA(pattern, &found)) == INVALID_HANDLE_VALUE) return;
    do {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        snprintf(path, sizeof path, "%s\\%s", dir, found.cFileName);
        if ((h = hold_file(path)) != INVALID_HANDLE_VALUE && g_heldCount < MAX_HELD) g_held[g_heldCount++] = h;
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

static int run(const char *staging, DWORD seconds, const char *commandLine) {
    char sub[MAX_PATH], command[2048];
    STARTUPINFOA si;
    PROCESS_INFORMATION pi;
    DWORD code = 0;
    int i;
    hold_tree(staging);
    snprintf(sub, sizeof sub, "%s\\I386", staging);
    hold_tree(sub);
    snprintf(sub, sizeof sub, "%s\\x86", staging);
    hold_tree(sub);
    printf("held=%d\n", g_heldCount);
    memset(&si, 0, sizeof si);
    si.cb = sizeof si;
    snprintf(command, sizeof command, "%s", commandLine);
    if (!CreateProcessA(NULL, command, NULL, NULL, FALSE, 0, NULL, staging, &si, &pi)) {
        printf("ERROR: the command did not start (%lu)\n", (unsigned long)GetLastError());
        return 1;
    }
    if (WaitForSingleObject(pi.hProcess, seconds * 1000) != WAIT_OBJECT_0) {
        TerminateProcess(pi.hProcess, 1);
        printf("ERROR: the command did not end within %lu s\n", (unsigned long)seconds);
        return 1;
    }
    GetExitCodeProcess(pi.hProcess, &code);
    printf("exit_code=%lu\n", (unsigned long)code);
    for (i = 0; i < g_heldCount; ++i) CloseHandle(g_held[i]);
    return 0;
}

int main(int argc, char **argv) {
    if (argc == 3 && !strcmp(argv[1], "probe")) return probe(argv[2]);
    if (argc == 5 && !strcmp(argv[1], "run")) return run(argv[2], (DWORD)atoi(argv[3]), argv[4]);
    fprintf(stderr, "usage: holder.exe probe <dir> | run <staging dir> <wait seconds> <command line>\n");
    return 2;
}
