#include "install/StagingRecord.h"

#include <utility>

#include "install/SafeFiles.h"

bool StagingRecord::Stage(IFileSystem& files, const std::string& path, Bytes data) {
    if (!ReplaceWithNewFile(files, path, data)) return false;
    for (auto& [staged, bytes] : files_) {
        if (EqualNoCase(staged, path)) {
            bytes = std::move(data);
            return true;
        }
    }
    files_.emplace_back(path, std::move(data));
    return true;
}

const Bytes* StagingRecord::Find(const std::string& path) const {
    for (const auto& [staged, bytes] : files_)
        if (EqualNoCase(staged, path)) return &bytes;
    return nullptr;
}

bool StagingRecord::Matches(IFileSystem& files, const std::string& stagedPath, const std::string& onDisk) const {
    const Bytes* staged = Find(stagedPath);
    return staged && HoldsExactly(files, onDisk, *staged);
}

bool StagingRecord::StillOnDisk(IFileSystem& files) const {
    for (const auto& [path, bytes] : files_)
        if (!HoldsExactly(files, path, bytes)) return false;
    return true;
}
