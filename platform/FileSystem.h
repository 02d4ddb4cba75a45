// Files and directories as the engine needs them. Names compare without regard to case.
#pragma once
#include "platform/Types.h"

struct FoundFile {
    std::string name;   // file name only, as the file system spells it
    bool isDirectory = false;
};

class IFileSystem {
public:
    virtual ~IFileSystem() = default;
    // CreateDirectoryA: false when the directory exists already or cannot be made.
    virtual bool MakeDirectory(const std::string& path) = 0;
    // DeleteFileA.
    virtual bool RemoveFile(const std::string& path) = 0;
    // CopyFileA.
    virtual bool CopyFileTo(const std::string& from, const std::string& to, bool failIfExists) = 0;
    // Whole-file read; false when the file cannot be opened or read.
    virtual bool ReadWholeFile(const std::string& path, Bytes& out) = 0;
    // Creates or truncates the file and writes all bytes; false when it cannot be opened or written.
    virtual bool WriteWholeFile(const std::string& path, const Bytes& data) = 0;
    // FindFirstFileA/FindNextFileA with a wildcard pattern ("dir\*.dll"); entries in the order found.
    // False when the search cannot start (which includes "nothing matches").
    virtual bool FindFiles(const std::string& pattern, std::vector<FoundFile>& out) = 0;
    // SetCurrentDirectoryA / GetCurrentDirectoryA.
    virtual bool SetCurrentDir(const std::string& path) = 0;
    virtual std::string CurrentDir() = 0;
};
