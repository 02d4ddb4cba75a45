#include "install/SafeFiles.h"

#include "install/StagingPaths.h"

bool RemoveExisting(IFileSystem& files, const std::string& path) {
    PathState state;
    if (!files.Inspect(path, state)) return false;
    if (!state.exists) return true;
    if (state.isDirectory) return false;
    if (files.RemoveFile(path)) return true;
    return files.Inspect(path, state) && !state.exists;  // gone all the same (removed by someone else)
}

bool ReplaceWithNewFile(IFileSystem& files, const std::string& path, const Bytes& data) {
    return RemoveExisting(files, path) && files.WriteNewFile(path, data);
}

bool IsPlainDirectory(IFileSystem& files, const std::string& path) {
    PathState state;
    return files.Inspect(path, state) && state.exists && state.isDirectory && !state.isReparsePoint;
}

bool HoldsExactly(IFileSystem& files, const std::string& path, const Bytes& data) {
    PathState state;
    if (!files.Inspect(path, state) || !state.exists || state.isDirectory || state.isReparsePoint || state.links != 1)
        return false;
    Bytes onDisk;
    return files.ReadWholeFile(path, onDisk) && onDisk == data;
}

bool StagingDirectoriesPlain(IFileSystem& files) {
    for (const char* dir : kStagingDirs)
        if (!IsPlainDirectory(files, dir)) return false;
    return true;
}
