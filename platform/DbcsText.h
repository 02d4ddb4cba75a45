// Paths in the system's ANSI code page: in the double-byte code pages of East Asia the second byte of a
// character may be 0x5C, the backslash, and must not be taken for a separator.
#pragma once
#include <cstdint>
#include <string>

// Whether c starts a two-byte character in the code page (932, 936, 949, 950, 1361); false in every other.
bool IsDbcsLeadByte(unsigned char c, std::uint32_t codePage);

// Position of the last backslash that is a character of its own, std::string::npos when there is none.
std::size_t LastPathSeparator(const std::string& path, std::uint32_t codePage);

// The file name at the end of a path, split at the last backslash that is a character of its own.
std::string FileNameOf(const std::string& path, std::uint32_t codePage);
