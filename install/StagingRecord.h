// What an installation run wrote into the staging area, so that every later step can tell the files it
// staged from files someone else put there. From the moment a file or directory is staged until the record
// is released, the record keeps a handle on it: nobody can write, rename or remove a staged file, or rename,
// remove or replace a staging directory with a junction, while the run and the system's command use them.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/FileSystem.h"

class StagingRecord {
public:
    StagingRecord() = default;
    ~StagingRecord() { Release(); }
    StagingRecord(const StagingRecord&) = delete;
    StagingRecord& operator=(const StagingRecord&) = delete;

    // Holds the directory at path; false when it is not a plain directory (a junction, a link, a file).
    bool HoldDirectory(IFileSystem& files, const std::string& path);
    // Replaces whatever is at path with a new file holding data, holds it and reads it back through the held
    // handle; the failure of the step that failed. A path staged before is let go first and staged anew.
    Status Stage(IFileSystem& files, const std::string& path, Bytes data);
    // The bytes this run staged at path (compared without regard to case); null when it staged nothing there.
    const Bytes* Find(const std::string& path) const;
    // Every staged file, read again through its held handle, still holds exactly what was staged.
    bool StillIntact() const;
    bool Empty() const { return staged_.empty(); }
    std::size_t Count() const { return staged_.size(); }
    // The bytes of every staged file together.
    std::uint64_t TotalBytes() const {
        std::uint64_t total = 0;
        for (const Entry& entry : staged_) total += entry.bytes.size();
        return total;
    }
    // Lets go of every file and directory (the record keeps what was staged).
    void Release();

private:
    struct Entry {
        std::string path;
        Bytes bytes;
        HeldHandle held = 0;
    };
    IFileSystem* files_ = nullptr;  // the file system of the held handles
    std::vector<Entry> staged_;     // in the order first staged
    std::vector<HeldHandle> dirs_;
};
