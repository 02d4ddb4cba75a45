#include "platform/win32/SystemLibrary.h"

#include "platform/BoundedFormat.h"

bool SystemLibraryPath(const char* fileName, std::string& path) {
    path.clear();
    char dir[kPathBuffer];
    UINT n = GetSystemDirectoryA(dir, sizeof dir);
    if (n == 0 || n >= sizeof dir) return false;
    return JoinPath(path, dir, fileName);
}

HMODULE LoadSystemLibrary(const char* fileName) {
    std::string path;
    if (!SystemLibraryPath(fileName, path)) return nullptr;
    return LoadLibraryExA(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}
