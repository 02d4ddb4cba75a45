#include "install/SafeFiles.h"

namespace {

// No call failed, but what is there is not what it must be.
const Status kNotAsWritten = FailedWith(kErrorGenFailure);

}  // namespace

Status RemoveExisting(IFileSystem& files, const std::string& path) {
    PathState state;
    if (const Status looked = files.Inspect(path, state); !looked) return looked;
    if (!state.exists) return Status();
    if (state.isDirectory) return FailedWith(kErrorAccessDenied);  // as DeleteFileA refuses a directory
    const Status removed = files.RemoveFile(path);
    if (removed) return removed;
    // Gone all the same (removed by someone else); otherwise the removal's own error, not the look's.
    return files.Inspect(path, state) && !state.exists ? Status() : removed;
}

Status ReplaceWithNewFile(IFileSystem& files, const std::string& path, const Bytes& data) {
    const Status removed = RemoveExisting(files, path);
    return removed ? files.WriteNewFile(path, data) : removed;
}

Status HoldPlainFile(IFileSystem& files, const std::string& path, bool forDelete, HeldHandle& held, PathState& state) {
    if (const Status opened = files.HoldFile(path, forDelete, held, state); !opened) {
        held = 0;
        state = PathState();
        return opened;
    }
    if (!state.isDirectory && !state.isReparsePoint && state.links == 1) return Status();
    files.Release(held);
    held = 0;
    return kNotAsWritten;
}

Status HoldExactly(IFileSystem& files, const std::string& path, const Bytes& data, HeldHandle& held) {
    PathState state;
    Bytes onDisk;
    if (const Status opened = HoldPlainFile(files, path, false, held, state); !opened) return opened;
    // The size first: a file far larger than data (a sparse one of gigabytes) is never read.
    Status status = state.size == data.size() ? files.ReadHeld(held, onDisk) : kNotAsWritten;
    if (status && onDisk != data) status = kNotAsWritten;
    if (status) return status;
    files.Release(held);
    held = 0;
    return status;
}

bool HoldsExactly(IFileSystem& files, const std::string& path, const Bytes& data) {
    HeldHandle held = 0;
    if (!HoldExactly(files, path, data, held)) return false;
    files.Release(held);
    return true;
}
