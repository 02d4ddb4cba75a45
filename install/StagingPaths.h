// Where the installation stages its files. The spellings are the ones the installation has always used: the
// command and the copies name "C:\TEMP", the clean-up and the scratch file the lower-case forms.
#pragma once

constexpr const char* kStagingDir = "C:\\TEMP";
// The staging directory and its two plug-in subdirectories, in the order made.
constexpr const char* const kStagingDirs[] = {"C:\\TEMP", "C:\\TEMP\\I386", "C:\\TEMP\\x86"};
// On 64-bit Windows: the staging directory and the x64 plug-ins' subdirectory, in the order made.
constexpr const char* const kStagingDirsX64[] = {"C:\\TEMP", "C:\\TEMP\\amd64"};
constexpr const char* kCleanupStagingDir = "c:\\temp";
// Raw bytes of the entry being rewritten; left in place afterwards.
constexpr const char* kScratchFile = "c:\\temp\\temp.txt";
