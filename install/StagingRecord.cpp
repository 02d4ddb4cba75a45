#include "install/StagingRecord.h"

#include <cctype>
#include <utility>

#include "install/SafeFiles.h"

namespace {

bool SamePath(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::toupper(static_cast<unsigned char>(a[i])) != std::toupper(static_cast<unsigned char>(b[i]))) return false;
    return true;
}

}  // namespace

bool StagingRecord::Stage(IFileSystem& files, const std::string& path, Bytes data) {
    if (!ReplaceWithNewFile(files, path, data)) return false;
    for (auto& [staged, bytes] : files_) {
        if (SamePath(staged, path)) {
            bytes = std::move(data);
            return true;
        }
    }
    files_.emplace_back(path, std::move(data));
    return true;
}

const Bytes* StagingRecord::Find(const std::string& path) const {
    for (const auto& [staged, bytes] : files_)
        if (SamePath(staged, path)) return &bytes;
    return nullptr;
}

bool StagingRecord::StillOnDisk(IFileSystem& files) const {
    for (const auto& [path, bytes] : files_)
        if (!HoldsExactly(files, path, bytes)) return false;
    return true;
}
