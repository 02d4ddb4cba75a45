// Program entry of uninstall<name>.exe: the removal runs on the Win32 platform, on its command line.
#include <windows.h>

#include <bits/functexcept.h>

#include <exception>
#include <new>

#include "platform/win32/SystemLibrary.h"
#include "uninstall/Uninstaller.h"

// libstdc++'s default terminate handler writes the escaped exception's demangled type name, which links the
// demangler and mingw-w64's C99 printf, over 100 KB of the program's fixed size. Nothing escapes Uninstall
// (it catches everything and reports the removal as interrupted); should anything still get here, the
// program ends with exit code 3.
namespace __gnu_cxx {
void __verbose_terminate_handler() { ExitProcess(3); }
}  // namespace __gnu_cxx

// The containers' own errors (a length past max_size, a bad index) would bring the exception classes that
// carry a message in a copy-on-write string, a second string implementation of 40 KB. Here they are all
// out-of-memory, which is what they would mean in this program; Uninstall catches them like any other.
namespace std {
void __throw_bad_alloc() { throw bad_alloc(); }
void __throw_bad_array_new_length() { throw bad_alloc(); }
void __throw_length_error(const char*) { throw bad_alloc(); }
void __throw_logic_error(const char*) { throw bad_alloc(); }
void __throw_out_of_range_fmt(const char*, ...) { throw bad_alloc(); }
}  // namespace std

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
    // As in setup.exe: no DLL loaded by name is taken from the current directory (SetDllDirectoryA from XP SP1),
    // nor, where SetDefaultDllDirectories exists, from the program's own directory.
    const HMODULE kernel = GetModuleHandleA("kernel32.dll");
    using SetDllDirectoryFn = BOOL(WINAPI*)(LPCSTR);
    if (SetDllDirectoryFn setDllDirectory = SystemProc<SetDllDirectoryFn>(kernel, "SetDllDirectoryA"))
        setDllDirectory("");
    using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
    constexpr DWORD kSearchSystem32 = 0x00000800;  // LOAD_LIBRARY_SEARCH_SYSTEM32
    if (auto setDefault = SystemProc<SetDefaultDllDirectoriesFn>(kernel, "SetDefaultDllDirectories"))
        setDefault(kSearchSystem32);
    return RunUninstaller(HostPlatform(), commandLine != nullptr ? commandLine : "");
}
