// Files and directories as the engine needs them. Names compare without regard to case.
#pragma once
#include "platform/Types.h"

// What is at a path, without following a reparse point at its last component.
struct PathState {
    bool exists = false;
    bool isDirectory = false;
    bool isReparsePoint = false;   // a junction, a symbolic link or another reparse point
    std::uint32_t links = 0;       // names of a file (hard links); 1 for a plain file, 0 for a directory
    std::uint32_t attributes = 0;  // FILE_ATTRIBUTE_* as the file system reports them
    std::uint64_t size = 0;        // of a file, in bytes
};

constexpr std::uint32_t kAttributeReadOnly = 0x1;  // FILE_ATTRIBUTE_READONLY
constexpr std::uint32_t kAttributeHidden = 0x2;    // FILE_ATTRIBUTE_HIDDEN
constexpr std::uint32_t kAttributeSystem = 0x4;    // FILE_ATTRIBUTE_SYSTEM

// An open handle the engine keeps on a file or directory (0: none). While it is open, other programs cannot do
// what its sharing refuses: a held directory cannot be renamed, removed or turned into a junction, a held file
// cannot be written, renamed or removed.
using HeldHandle = std::uintptr_t;

struct FoundFile {
    std::string name;   // file name only, as the file system spells it
    bool isDirectory = false;
};

// The calls whose failures the engine reports return a Status: the Win32 error comes with the failure.
class IFileSystem {
public:
    virtual ~IFileSystem() = default;
    // CreateDirectoryA: false when the directory exists already or cannot be made.
    virtual Status MakeDirectory(const std::string& path) = 0;
    // DeleteFileA.
    virtual Status RemoveFile(const std::string& path) = 0;
    // MoveFileExA(path, NULL, MOVEFILE_DELAY_UNTIL_REBOOT): the file goes when the system restarts (a
    // running program's own file cannot go earlier).
    virtual Status RemoveAtRestart(const std::string& path) = 0;
    // CopyFileA.
    virtual bool CopyFileTo(const std::string& from, const std::string& to, bool failIfExists) = 0;
    // Whole-file read; false when the file cannot be opened or read.
    virtual bool ReadWholeFile(const std::string& path, Bytes& out) = 0;
    // Creates or truncates the file and writes all bytes; false when it cannot be opened or written.
    virtual bool WriteWholeFile(const std::string& path, const Bytes& data) = 0;
    // CreateFileA with CREATE_NEW (no sharing, normal attributes), then all bytes: never opens or follows
    // anything already at path. A file it created but could not fill completely is deleted again. Where the
    // file system keeps access lists the new file gets its own: Administrators and SYSTEM full control, Users
    // read and execute, nobody else anything (so no other user can change or remove it).
    virtual Status WriteNewFile(const std::string& path, const Bytes& data) = 0;
    // GetFileAttributesA, and for a file its link count (GetFileInformationByHandle on the file opened with
    // FILE_FLAG_OPEN_REPARSE_POINT). True with exists false when nothing is there; false when it cannot tell.
    virtual Status Inspect(const std::string& path, PathState& state) = 0;
    // FindFirstFileA/FindNextFileA with a wildcard pattern ("dir\*.dll"); entries in the order found.
    // False when the search cannot start (which includes "nothing matches").
    virtual bool FindFiles(const std::string& pattern, std::vector<FoundFile>& out) = 0;
    // SetCurrentDirectoryA.
    virtual bool SetCurrentDir(const std::string& path) = 0;

    // Opens an existing directory without following a reparse point (FILE_FLAG_OPEN_REPARSE_POINT), sharing
    // read and write but not delete, and checks through the handle that it is a directory and no reparse point.
    // False, with nothing held, when it is not a plain directory or cannot be opened.
    virtual bool HoldDirectory(const std::string& path, HeldHandle& held) = 0;
    // Opens an existing file for reading (and, with forDelete, for deleting) without following a reparse point,
    // sharing read only, and tells through the handle what it is (attributes, links, size). False, with
    // nothing held, when it cannot be opened.
    virtual Status HoldFile(const std::string& path, bool forDelete, HeldHandle& held, PathState& state) = 0;
    // Reads a held file from its start to its end; false when a read fails.
    virtual Status ReadHeld(HeldHandle held, Bytes& out) = 0;
    // Marks a file held forDelete for deletion: its name goes when the handle is released.
    virtual Status DeleteHeld(HeldHandle held) = 0;
    // Creates a new file at path as WriteNewFile does (never opening or following anything already there, the
    // same access list) and holds it for writing, sharing read only: others can read it while it grows.
    // False, with nothing held, when it cannot be created.
    virtual bool CreateHeldFile(const std::string& path, HeldHandle& held) = 0;
    // Writes all bytes at the end of a file made by CreateHeldFile and flushes them to the disk
    // (FlushFileBuffers): a process that is ended afterwards leaves them in the file.
    virtual bool AppendHeld(HeldHandle held, const Bytes& data) = 0;
    // Closes the handle.
    virtual void Release(HeldHandle held) = 0;
};
