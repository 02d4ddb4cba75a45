// The generated store entries (<store dir>/<id>.bin) for tests that need the real embedded content.
#pragma once
#include <cstdint>

#include "platform/memory/MemoryWindows.h"

// Reads <SETUP_STORE_DIR>/<id>.bin; false when there is no such entry.
bool ReadStoreEntry(std::uint16_t id, Bytes& out);
// Loads every entry of the store into the in-memory resources.
void LoadStoreInto(MemoryResources& resources);
