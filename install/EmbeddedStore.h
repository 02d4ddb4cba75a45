// Writing embedded store entries to disk, with the printer-name rewriting of the two driver templates.
#pragma once
#include <cstdint>
#include <string>

#include "install/NameLines.h"
#include "platform/Platform.h"

// The entry's bytes as they are written out (out), and as stored (raw, only kept apart when patchNames is
// set): rewritten for printerName from the entry itself. False when the entry is absent or not loadable.
bool EmbeddedBytes(IResources& resources, std::uint16_t id, const std::string& printerName, bool patchNames, Bytes& raw,
                   Bytes& out);

// Writes store entry id to path (patchNames: rewritten for printerName, the raw bytes left in the scratch
// file). False when the entry is absent or not loadable, or when the destination could not be written.
bool ExtractEmbeddedFile(Platform& platform, std::uint16_t id, const std::string& path, const std::string& printerName,
                         bool patchNames);

// ReplaceNameLines from the file at sourcePath to the file at destinationPath; a source that cannot be read
// leaves the destination created and empty.
void ReplaceNameLines(IFileSystem& files, const std::string& sourcePath, const std::string& destinationPath,
                      const NameLineRule* rules, int ruleCount);
