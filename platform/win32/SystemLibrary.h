// System DLLs that are not imported statically are loaded by their full path in the system directory, so a
// DLL of the same name next to the program (a download folder) is never picked up.
#pragma once
#include <windows.h>

#include <string>

// GetSystemDirectoryA + "\" + fileName; false when the directory is unknown or the path does not fit 260 characters.
bool SystemLibraryPath(const char* fileName, std::string& path);

// LoadLibraryExA(full path, NULL, LOAD_WITH_ALTERED_SEARCH_PATH); null when the path does not fit or loading fails.
HMODULE LoadSystemLibrary(const char* fileName);

// GetProcAddress typed as the function pointer Fn; null when the module is null or lacks the export.
template <typename Fn>
Fn SystemProc(HMODULE module, const char* name) {
    if (!module) return nullptr;
    // Through void (*)(void), which converts to any function pointer type without a warning.
    return reinterpret_cast<Fn>(reinterpret_cast<void (*)(void)>(GetProcAddress(module, name)));
}
