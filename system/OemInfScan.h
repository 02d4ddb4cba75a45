// Recognising the system's copies (oem<n>.inf) of an earlier driver package of this printer series.
#pragma once
#include <string>

#include "platform/Types.h"

// oem0 to oem99 are examined.
constexpr int kOemInfCount = 100;

// Paths of oem<index>.inf and oem<index>.pnf in the "inf" subdirectory of windowsDir; false when windowsDir
// is empty or the paths would not fit a 260-character buffer.
bool OemInfPaths(const std::string& windowsDir, int index, std::string& infPath, std::string& pnfPath);

// Reads the file as a text stream with a 260-character line buffer (long lines arrive in pieces of 259) and
// tests each piece: true when a piece containing "W36" comes at or after the first piece with "Class=Printer"
// and at or after the first one with "[Manufacturer]" or ".GPD" (the same piece counts). Case-sensitive, on the
// raw bytes; a piece ends at its first NUL, so UTF-16 text never matches.
bool OemInfMatches(const Bytes& fileBytes);
