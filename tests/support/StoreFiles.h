// The generated store entries (<store dir>/<id>.bin) for tests that need the real embedded content.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/memory/MemoryWindows.h"

// Reads <SETUP_STORE_DIR>/<id>.bin; false when there is no such entry.
bool ReadStoreEntry(std::uint16_t id, Bytes& out);
// Loads every entry of the store into the in-memory resources.
void LoadStoreInto(MemoryResources& resources);

// One row of <SETUP_STORE_DIR>/manifest.tsv, the store generator's account of an entry.
struct ManifestEntry {
    std::uint16_t id = 0;
    std::string written;  // the file name it is written under, "<name>" for the printer name
    std::string row;      // the catalogue row: entries of one row carry the same bytes
    std::size_t size = 0;
    std::string use;      // a role, or "<slot>@<columns>[+names][+subdirs]"
    // Of a staging-plan entry: its slot ("<group>.<slot>"), the columns it fills and its flags.
    std::string slot;
    std::vector<std::string> columns;
    bool rewriteNames = false, alsoI386x86 = false;

    // The group of the slot ("common", "core-chinese", ...); empty for a role.
    std::string Group() const { return slot.substr(0, slot.find('.')); }
    bool Fills(const std::string& column) const;
    // The written name for a printer name.
    std::string WrittenFor(const std::string& printerName) const;
};
// The manifest's rows by ascending id; empty when it cannot be read or a row is malformed.
const std::vector<ManifestEntry>& StoreManifest();
