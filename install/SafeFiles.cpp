#include "install/SafeFiles.h"

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

bool HoldPlainFile(IFileSystem& files, const std::string& path, bool forDelete, HeldHandle& held, PathState& state) {
    if (!files.HoldFile(path, forDelete, held, state)) {
        held = 0;
        state = PathState();
        return false;
    }
    if (!state.isDirectory && !state.isReparsePoint && state.links == 1) return true;
    files.Release(held);
    held = 0;
    return false;
}

bool HoldExactly(IFileSystem& files, const std::string& path, const Bytes& data, HeldHandle& held) {
    PathState state;
    Bytes onDisk;
    if (!HoldPlainFile(files, path, false, held, state)) return false;
    // The size first: a file far larger than data (a sparse one of gigabytes) is never read.
    if (state.size == data.size() && files.ReadHeld(held, onDisk) && onDisk == data) return true;
    files.Release(held);
    held = 0;
    return false;
}

bool HoldsExactly(IFileSystem& files, const std::string& path, const Bytes& data) {
    HeldHandle held = 0;
    if (!HoldExactly(files, path, data, held)) return false;
    files.Release(held);
    return true;
}
