#include "tests/support/StoreFiles.h"

#include <fstream>
#include <iterator>
#include <string>

bool ReadStoreEntry(std::uint16_t id, Bytes& out) {
    std::ifstream in(std::string(SETUP_STORE_DIR) + "/" + std::to_string(id) + ".bin", std::ios::binary);
    if (!in) return false;
    out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
}

void LoadStoreInto(MemoryResources& resources) {
    for (unsigned id = 1; id < 1000; ++id) {
        Bytes data;
        if (ReadStoreEntry(static_cast<std::uint16_t>(id), data)) resources.entries[static_cast<std::uint16_t>(id)] = data;
    }
}
