// What an installation run wrote into the staging area, so that every later step can tell the files it
// staged from files someone else put there.
#pragma once
#include <string>
#include <utility>
#include <vector>

#include "platform/FileSystem.h"

class StagingRecord {
public:
    // Replaces whatever is at path with a new file holding data and records it; false when that fails.
    bool Stage(IFileSystem& files, const std::string& path, Bytes data);
    // The bytes this run staged at path (compared without regard to case); null when it staged nothing there.
    const Bytes* Find(const std::string& path) const;
    // What was staged at stagedPath is what onDisk holds, a plain file with one name (a copy elsewhere, or
    // the staged file itself); false when nothing was staged there.
    bool Matches(IFileSystem& files, const std::string& stagedPath, const std::string& onDisk) const;
    // Every staged file is still a plain file with one name holding exactly what was staged.
    bool StillOnDisk(IFileSystem& files) const;
    bool Empty() const { return files_.empty(); }
    std::size_t Count() const { return files_.size(); }
    void Clear() { files_.clear(); }

private:
    std::vector<std::pair<std::string, Bytes>> files_;  // in the order first staged
};
