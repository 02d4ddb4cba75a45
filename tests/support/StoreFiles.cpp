#include "tests/support/StoreFiles.h"

#include <fstream>
#include <map>
#include <string>

namespace {

// Each entry is read from disk once per test program.
const std::map<std::uint16_t, Bytes>& Store() {
    static const std::map<std::uint16_t, Bytes> store = [] {
        std::map<std::uint16_t, Bytes> entries;
        for (unsigned id = 1; id < 1000; ++id) {
            std::ifstream in(std::string(SETUP_STORE_DIR) + "/" + std::to_string(id) + ".bin",
                             std::ios::binary | std::ios::ate);
            if (!in) continue;
            Bytes data(static_cast<std::size_t>(in.tellg()));
            in.seekg(0);
            if (!data.empty()) in.read(reinterpret_cast<char*>(data.data()), static_cast<std::streamsize>(data.size()));
            entries[static_cast<std::uint16_t>(id)] = std::move(data);
        }
        return entries;
    }();
    return store;
}

}  // namespace

bool ReadStoreEntry(std::uint16_t id, Bytes& out) {
    auto it = Store().find(id);
    if (it == Store().end()) return false;
    out = it->second;
    return true;
}

void LoadStoreInto(MemoryResources& resources) {
    for (const auto& [id, data] : Store()) resources.entries[id] = data;
}
