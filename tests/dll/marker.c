/* A marker: a module that, when Windows loads it (DLL) or starts it (program), appends one line to
 * C:\dll-markers.log naming its own file and the program it runs in. Copies of it are planted under the names
 * of the system DLLs and programs that setup.exe loads or starts; a line in the log means one was taken in
 * place of the system's own. No C runtime, and only kernel32 imports, so that it loads in any process. */
#include <windows.h>

static void append_marker(HMODULE self) {
    char line[3 * MAX_PATH + 16], exe[MAX_PATH];
    DWORD n;
    HANDLE f;
    line[0] = exe[0] = '\0';
    GetModuleFileNameA(self, line, MAX_PATH);
    GetModuleFileNameA(NULL, exe, MAX_PATH);
    lstrcatA(line, " in ");
    lstrcatA(line, exe);
    lstrcatA(line, "\r\n");
    f = CreateFileA("C:\\dll-markers.log", FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_ALWAYS,
                    FILE_ATTRIBUTE_NORMAL, NULL);
    if (f == INVALID_HANDLE_VALUE) return;
    WriteFile(f, line, (DWORD)lstrlenA(line), &n, NULL);
    CloseHandle(f);
}

#ifdef MARKER_EXE
void __stdcall MarkerMain(void) {
    append_marker(NULL);
    ExitProcess(0);
}
#else
BOOL WINAPI MarkerDllMain(HINSTANCE self, DWORD reason, LPVOID reserved) {
    (void)reserved;
    if (reason == DLL_PROCESS_ATTACH) append_marker(self);
    return TRUE;
}
#endif
