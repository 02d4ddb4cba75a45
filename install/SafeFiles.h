// File operations for the elevated run in a directory that other users can write to: nothing already at a
// destination is opened or followed, and what was written is checked on the disk afterwards.
#pragma once
#include <string>

#include "platform/FileSystem.h"

// Each failure comes with the Win32 error of the call that failed; where no call failed but the file is not
// what it must be (a directory, a name with several links, other bytes), with ERROR_GEN_FAILURE.

// Removes the name at path when there is one (a hard link or a symbolic link loses only its name, never what
// it points at). Success when nothing is at path afterwards; a failure when something stays or is a directory.
Status RemoveExisting(IFileSystem& files, const std::string& path);

// Removes what is at path, then creates the file anew with exactly data.
Status ReplaceWithNewFile(IFileSystem& files, const std::string& path, const Bytes& data);


// A plain file with a single name that holds exactly data, as seen through a handle opened on it.
bool HoldsExactly(IFileSystem& files, const std::string& path, const Bytes& data);
// The same, keeping the handle (sharing read only) in held when it holds; nothing held otherwise.
Status HoldExactly(IFileSystem& files, const std::string& path, const Bytes& data, HeldHandle& held);
// Opens path with HoldFile and keeps it only when it is a plain file with a single name; state tells what
// the handle saw (exists false when nothing could be opened there).
Status HoldPlainFile(IFileSystem& files, const std::string& path, bool forDelete, HeldHandle& held, PathState& state);
