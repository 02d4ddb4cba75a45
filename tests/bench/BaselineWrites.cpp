// The baselines of the staging figure: the same bytes to the same files as one installation run (the plan
// file bench_staging wrote), with nothing else. On Windows with plain CreateFileA/WriteFile/CloseHandle,
// natively into the in-memory Windows' file system. With --read-back each file is then opened again, read back
// once and compared with what was written: the least a staging that verifies what it wrote can do.
//
//     bench_baseline_writes [--read-back] <timed runs> <plan file>
//
// Prints "run <n> <microseconds>" per timed run after one untimed run.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "tests/bench/BenchPlan.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include "platform/memory/MemoryWindows.h"
#endif

#if !defined(_WIN32)
MemoryFileSystem g_files;
std::vector<Bytes> g_contents;
#endif

namespace {

#if defined(_WIN32)
bool WriteFileOnce(const PlannedWrite& w) {
    HANDLE h = CreateFileA(w.first.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const bool ok = w.second.empty() ||
                    (WriteFile(h, w.second.data(), static_cast<DWORD>(w.second.size()), &written, nullptr) &&
                     written == w.second.size());
    CloseHandle(h);
    return ok;
}

// One read of the whole file (one byte more than was written, to see a longer file) and a comparison.
bool ReadBackOnce(const PlannedWrite& w, std::vector<unsigned char>& buffer) {
    HANDLE h = CreateFileA(w.first.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    buffer.resize(w.second.size() + 1);
    DWORD read = 0;
    const bool ok = ReadFile(h, buffer.data(), static_cast<DWORD>(buffer.size()), &read, nullptr) &&
                    read == w.second.size() && (w.second.empty() || std::memcmp(buffer.data(), w.second.data(), read) == 0);
    CloseHandle(h);
    return ok;
}
#endif

}  // namespace

// Every write of the plan once (each read back after it with readBack); false at the first that fails. Kept
// out of line: callgrind counts in here.
__attribute__((noinline)) bool WritePlan(const std::vector<PlannedWrite>& plan, bool readBack) {
#if defined(_WIN32)
    std::vector<unsigned char> buffer;
#else
    Bytes buffer;
#endif
    for (std::size_t n = 0; n < plan.size(); ++n) {
        const PlannedWrite& w = plan[n];
#if defined(_WIN32)
        if (!WriteFileOnce(w)) return false;
        if (readBack && !ReadBackOnce(w, buffer)) return false;
#else
        if (!g_files.WriteWholeFile(w.first, g_contents[n])) return false;
        if (readBack && (!g_files.ReadWholeFile(w.first, buffer) || buffer != g_contents[n])) return false;
#endif
    }
    return true;
}

int main(int argc, char** argv) {
    const bool readBack = argc > 1 && std::strcmp(argv[1], "--read-back") == 0;
    if (readBack) {
        --argc;
        ++argv;
    }
    if (argc != 3 || std::atoi(argv[1]) < 1) {
        std::fprintf(stderr, "usage: bench_baseline_writes [--read-back] <timed runs> <plan file>\n");
        return 2;
    }
    std::vector<PlannedWrite> plan;
    if (!LoadPlan(argv[2], plan)) {
        std::fprintf(stderr, "bench_baseline_writes: cannot read the plan %s\n", argv[2]);
        return 1;
    }
#if !defined(_WIN32)
    for (const PlannedWrite& w : plan) {
        g_files.PutDirectories(w.first.substr(0, w.first.rfind('\\')));
        g_contents.emplace_back(w.second.begin(), w.second.end());
    }
#endif
    const int runs = std::atoi(argv[1]);
    for (int i = 0; i <= runs; ++i) {
        const auto t0 = std::chrono::steady_clock::now();
        if (!WritePlan(plan, readBack)) {
            std::fprintf(stderr, "bench_baseline_writes: a %s of the plan failed\n", readBack ? "write or read-back" : "write");
            return 1;
        }
        const auto t1 = std::chrono::steady_clock::now();
        if (i > 0)
            std::printf("run %d %lld\n", i,
                        static_cast<long long>(std::chrono::duration_cast<std::chrono::microseconds>(t1 - t0).count()));
    }
    return 0;
}
