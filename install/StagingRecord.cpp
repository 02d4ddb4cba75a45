#include "install/StagingRecord.h"

#include <utility>

#include "install/SafeFiles.h"

bool StagingRecord::HoldDirectory(IFileSystem& files, const std::string& path) {
    files_ = &files;
    HeldHandle held = 0;
    if (!files.HoldDirectory(path, held)) return false;
    dirs_.push_back(held);
    return true;
}

Status StagingRecord::Stage(IFileSystem& files, const std::string& path, Bytes data) {
    files_ = &files;
    Entry* entry = nullptr;
    for (Entry& staged : staged_)
        if (EqualNoCase(staged.path, path)) entry = &staged;
    if (entry != nullptr && entry->held != 0) {
        files.Release(entry->held);  // its own handle would keep the old file from going
        entry->held = 0;
    }
    HeldHandle held = 0;
    Status status = ReplaceWithNewFile(files, path, data);
    if (status) status = HoldExactly(files, path, data, held);
    if (!status) return status;
    if (entry != nullptr) {
        entry->bytes = std::move(data);
        entry->held = held;
    } else {
        staged_.push_back(Entry{path, std::move(data), held});
    }
    return status;
}

const Bytes* StagingRecord::Find(const std::string& path) const {
    for (const Entry& staged : staged_)
        if (EqualNoCase(staged.path, path)) return &staged.bytes;
    return nullptr;
}

bool StagingRecord::StillIntact() const {
    for (const Entry& staged : staged_) {
        Bytes onDisk;
        if (staged.held == 0 || files_ == nullptr || !files_->ReadHeld(staged.held, onDisk) || onDisk != staged.bytes)
            return false;
    }
    return true;
}

void StagingRecord::Release() {
    if (files_ == nullptr) return;
    for (Entry& staged : staged_) {
        files_->Release(staged.held);
        staged.held = 0;
    }
    for (HeldHandle dir : dirs_) files_->Release(dir);
    dirs_.clear();
}
