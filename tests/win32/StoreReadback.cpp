// Reads every store entry back out of a built setup.exe the way the program reads its own: the image mapped
// by the system loader (not run), then FindResourceA/LoadResource/SizeofResource/LockResource for each
// identifier of <store dir>/manifest.tsv, compared byte for byte with <store dir>/<id>.bin. Identifiers of
// one catalogue row must come back at one address: one copy in the image.
//
//     store_readback.exe <setup.exe> <store dir>
//
// Prints one line per problem and a summary; exits 0 only when every listed entry was compared and matched.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Listed {
    unsigned id;
    std::string row;
    std::size_t size;
};

bool ReadManifest(const std::string& path, std::vector<Listed>& out) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::vector<std::string> cols;
        std::stringstream fields(line);
        std::string col;
        while (std::getline(fields, col, '\t')) cols.push_back(col);
        if (cols.size() != 6) return false;
        out.push_back(Listed{static_cast<unsigned>(std::stoul(cols[0])), cols[2],
                             static_cast<std::size_t>(std::stoul(cols[3]))});
    }
    return true;
}

bool ReadFileBytes(const std::string& path, std::string& out) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream all;
    all << in.rdbuf();
    out = all.str();
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: store_readback.exe <setup.exe> <store dir>\n");
        return 2;
    }
    const std::string exe = argv[1], store = argv[2];
    std::vector<Listed> listed;
    if (!ReadManifest(store + "\\manifest.tsv", listed) || listed.empty()) {
        std::printf("FAIL: %s\\manifest.tsv is missing, malformed or empty: nothing to compare\n", store.c_str());
        return 1;
    }
    // Mapped as an image with the loader's own resource lookup, without resolving imports or starting it.
    HMODULE image = LoadLibraryExA(exe.c_str(), nullptr, DONT_RESOLVE_DLL_REFERENCES);
    if (!image) {
        std::printf("FAIL: cannot map %s (error %lu)\n", exe.c_str(), GetLastError());
        return 1;
    }
    int problems = 0, compared = 0;
    std::map<std::string, const void*> rowAt;  // catalogue row -> where its bytes are in the image
    for (const Listed& e : listed) {
        std::string expected;
        const std::string bin = store + "\\" + std::to_string(e.id) + ".bin";
        if (!ReadFileBytes(bin, expected) || expected.size() != e.size) {
            std::printf("FAIL: %s is missing or not %zu bytes\n", bin.c_str(), e.size);
            ++problems;
            continue;
        }
        HRSRC found = FindResourceA(image, MAKEINTRESOURCEA(e.id), "OWNER_DATA");
        HGLOBAL loaded = found ? LoadResource(image, found) : nullptr;
        const void* bytes = loaded ? LockResource(loaded) : nullptr;
        const DWORD size = found ? SizeofResource(image, found) : 0;
        if (!bytes) {
            std::printf("FAIL: OWNER_DATA %u is not found or not loaded\n", e.id);
            ++problems;
            continue;
        }
        ++compared;
        if (size != expected.size() || std::memcmp(bytes, expected.data(), size) != 0) {
            std::printf("FAIL: OWNER_DATA %u reads back %lu bytes that differ from %s (%zu bytes)\n", e.id,
                        static_cast<unsigned long>(size), bin.c_str(), expected.size());
            ++problems;
            continue;
        }
        auto row = rowAt.emplace(e.row, bytes);
        if (row.first->second != bytes) {
            std::printf("FAIL: OWNER_DATA %u (row %s) is a second copy of its row\n", e.id, e.row.c_str());
            ++problems;
        }
    }
    // An identifier the store does not list is not embedded.
    if (FindResourceA(image, MAKEINTRESOURCEA(160), "OWNER_DATA")) {
        std::printf("FAIL: OWNER_DATA 160 is embedded but not in the store\n");
        ++problems;
    }
    FreeLibrary(image);
    if (compared != static_cast<int>(listed.size())) {
        std::printf("FAIL: %d of the %zu listed entries were compared\n", compared, listed.size());
        ++problems;
    }
    std::printf("%s: %d identifiers read back, %zu copies in the image, %d problem(s)\n", exe.c_str(), compared,
                rowAt.size(), problems);
    return problems == 0 ? 0 : 1;
}
