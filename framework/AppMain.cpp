// Program entry: names the application, runs its start-up and, if that asks for it, a message loop.
#include <windows.h>

#include <cstring>

#include "framework/WinApp.h"
#include "platform/win32/SystemLibrary.h"
#include "platform/win32/Win32Platform.h"

namespace {
// The program file's base name without its extension: the framework's default application name.
char g_szDefaultAppName[MAX_PATH];

const char* DefaultAppName() {
    char path[MAX_PATH] = {};
    DWORD length = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return nullptr;  // no name: the title falls back to the same rule
    // CharNextA steps over double-byte characters, whose second byte may be 0x5C.
    const char* base = path;
    for (const char* p = path; *p != '\0'; p = ::CharNextA(p))
        if (*p == '\\' || *p == '/') base = p + 1;
    std::strncpy(g_szDefaultAppName, base, MAX_PATH - 1);
    if (char* dot = std::strrchr(g_szDefaultAppName, '.')) *dot = '\0';
    return g_szDefaultAppName;
}

// Takes the current directory out of the DLL search path, so that a DLL loaded by name is never picked up from
// wherever the program happens to stand (the staging directory, a download folder). SetDllDirectoryA exists
// from Windows XP SP1 on; where it is missing, so is this part of the search path to remove.
// Where SetDefaultDllDirectories exists (Windows 7 with KB2533623, 8 and later), a DLL loaded by name is
// looked for in the system directory only, not in the program's own directory either.
void RemoveCurrentDirectoryFromDllSearch() {
    const HMODULE kernel = ::GetModuleHandleA("kernel32.dll");
    using SetDllDirectoryFn = BOOL(WINAPI*)(LPCSTR);
    if (SetDllDirectoryFn setDllDirectory = SystemProc<SetDllDirectoryFn>(kernel, "SetDllDirectoryA"))
        setDllDirectory("");
    using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
    constexpr DWORD kSearchSystem32 = 0x00000800;  // LOAD_LIBRARY_SEARCH_SYSTEM32
    if (auto setDefault = SystemProc<SetDefaultDllDirectoriesFn>(kernel, "SetDefaultDllDirectories"))
        setDefault(kSearchSystem32);
}

int RunMessageLoop() {
    MSG msg;
    BOOL got;
    while ((got = ::GetMessageA(&msg, nullptr, 0, 0)) != 0 && got != -1) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
    return got == 0 ? static_cast<int>(msg.wParam) : 0;
}
}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
    RemoveCurrentDirectoryFromDllSearch();
    CWinApp* app = AfxGetApp();
    if (app == nullptr) return 0;
    if (app->m_pszAppName == nullptr) app->m_pszAppName = DefaultAppName();
    if (app->m_pszAppName != nullptr) SetApplicationTitle(app->m_pszAppName);
    if (commandLine != nullptr) app->m_lpCmdLine = commandLine;
    if (!app->InitInstance()) return app->ExitInstance();  // the program ends right after its start-up
    return RunMessageLoop();
}
