#include "tests/support/StoreFiles.h"

#include <algorithm>
#include <fstream>
#include <map>
#include <sstream>
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

std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::stringstream in(text);
    for (std::string part; std::getline(in, part, separator);) parts.push_back(part);
    return parts;
}

bool ParseManifestLine(const std::string& line, ManifestEntry& e) {
    const std::vector<std::string> cols = Split(line, '\t');
    if (cols.size() != 6 || cols[0].empty() || cols[3].empty()) return false;
    e.id = static_cast<std::uint16_t>(std::stoul(cols[0]));
    e.written = cols[1];
    e.row = cols[2];
    e.size = std::stoul(cols[3]);
    e.use = cols[5];
    const std::size_t at = e.use.find('@');
    if (at == std::string::npos) return true;  // a role
    e.slot = e.use.substr(0, at);
    std::vector<std::string> flags = Split(e.use.substr(at + 1), '+');
    e.columns = Split(flags[0], ',');
    flags.erase(flags.begin());
    e.rewriteNames = std::count(flags.begin(), flags.end(), "names") == 1;
    e.alsoI386x86 = std::count(flags.begin(), flags.end(), "subdirs") == 1;
    return true;
}

}  // namespace

bool ManifestEntry::Fills(const std::string& column) const {
    return std::find(columns.begin(), columns.end(), column) != columns.end();
}

std::string ManifestEntry::WrittenFor(const std::string& printerName) const {
    std::string name = written;
    const std::size_t at = name.find("<name>");
    if (at != std::string::npos) name.replace(at, 6, printerName);
    return name;
}

const std::vector<ManifestEntry>& StoreManifest() {
    static const std::vector<ManifestEntry> manifest = [] {
        std::vector<ManifestEntry> rows;
        std::ifstream in(std::string(SETUP_STORE_DIR) + "/manifest.tsv", std::ios::binary);
        for (std::string line; std::getline(in, line);) {
            if (line.empty() || line[0] == '#') continue;
            ManifestEntry e;
            if (!ParseManifestLine(line, e)) return std::vector<ManifestEntry>{};
            rows.push_back(e);
        }
        return rows;
    }();
    return manifest;
}

bool ReadStoreEntry(std::uint16_t id, Bytes& out) {
    auto it = Store().find(id);
    if (it == Store().end()) return false;
    out = it->second;
    return true;
}

void LoadStoreInto(MemoryResources& resources) {
    for (const auto& [id, data] : Store()) resources.entries[id] = data;
}
