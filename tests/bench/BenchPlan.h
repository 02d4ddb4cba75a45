// The writes of one installation run, in order: what the baseline program writes again with plain calls.
// File format: for each write, u32 path length, path, u32 byte count, bytes (little-endian lengths).
#pragma once
#include <cstdint>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

using PlannedWrite = std::pair<std::string, std::vector<unsigned char>>;

inline bool SavePlan(const char* file, const std::vector<PlannedWrite>& plan) {
    std::FILE* f = std::fopen(file, "wb");
    if (!f) return false;
    bool ok = true;
    for (const PlannedWrite& w : plan) {
        const std::uint32_t lengths[2] = {static_cast<std::uint32_t>(w.first.size()),
                                          static_cast<std::uint32_t>(w.second.size())};
        ok = ok && std::fwrite(&lengths[0], 4, 1, f) == 1 && std::fwrite(w.first.data(), 1, w.first.size(), f) == w.first.size() &&
             std::fwrite(&lengths[1], 4, 1, f) == 1 &&
             (w.second.empty() || std::fwrite(w.second.data(), 1, w.second.size(), f) == w.second.size());
    }
    return std::fclose(f) == 0 && ok;
}

inline bool LoadPlan(const char* file, std::vector<PlannedWrite>& plan) {
    std::FILE* f = std::fopen(file, "rb");
    if (!f) return false;
    std::uint32_t length = 0;
    bool ok = true;
    while (ok && std::fread(&length, 4, 1, f) == 1) {
        PlannedWrite w;
        w.first.resize(length);
        ok = std::fread(&w.first[0], 1, length, f) == length && std::fread(&length, 4, 1, f) == 1;
        if (ok) {
            w.second.resize(length);
            ok = length == 0 || std::fread(w.second.data(), 1, length, f) == length;
        }
        if (ok) plan.push_back(std::move(w));
    }
    std::fclose(f);
    return ok && !plan.empty();
}
