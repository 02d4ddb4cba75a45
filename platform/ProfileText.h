// The private-profile (INI) rules applied to a file's bytes: what GetPrivateProfileStringA reads and
// what WritePrivateProfileStringA writes. The in-memory Windows uses these; contract tests hold them to Wine.
#pragma once
#include "platform/Types.h"

// file == nullptr: the file does not exist. Returns the number of characters copied into out.
std::uint32_t ProfileReadString(const Bytes* file, const std::string& section, const std::string& key,
                                const std::string& def, std::string& out, std::uint32_t bufferSize);

// Sets key in section (both created when missing), keeping every other line; file may start empty.
void ProfileWriteString(Bytes& file, const std::string& section, const std::string& key, const std::string& value);
