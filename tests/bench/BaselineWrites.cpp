// The baseline of the staging figure: the same bytes to the same files as one installation run (the plan
// file bench_staging wrote), with nothing else. On Windows with plain CreateFileA/WriteFile/CloseHandle, natively
// into the in-memory Windows' file system.
//
//     bench_baseline_writes <timed runs> <plan file>
//
// Prints "run <n> <microseconds>" per timed run after one untimed run.
#include <chrono>
#include <cstdio>
#include <cstdlib>

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

// Every write of the plan once; false at the first that fails. Kept out of line: callgrind counts in here.
__attribute__((noinline)) bool WritePlan(const std::vector<PlannedWrite>& plan) {
    for (std::size_t n = 0; n < plan.size(); ++n) {
        const PlannedWrite& w = plan[n];
#if defined(_WIN32)
        HANDLE h = CreateFileA(w.first.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h == INVALID_HANDLE_VALUE) return false;
        DWORD written = 0;
        const bool ok = w.second.empty() ||
                        (WriteFile(h, w.second.data(), static_cast<DWORD>(w.second.size()), &written, nullptr) &&
                         written == w.second.size());
        CloseHandle(h);
        if (!ok) return false;
#else
        if (!g_files.WriteWholeFile(w.first, g_contents[n])) return false;
#endif
    }
    return true;
}

int main(int argc, char** argv) {
    if (argc != 3 || std::atoi(argv[1]) < 1) {
        std::fprintf(stderr, "usage: bench_baseline_writes <timed runs> <plan file>\n");
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
        if (!WritePlan(plan)) {
            std::fprintf(stderr, "bench_baseline_writes: a write of the plan failed\n");
            return 1;
        }
        const auto t1 = std::chrono::steady_clock::now();
        if (i > 0)
            std::printf("run %d %lld\n", i,
                        static_cast<long long>(std::chrono::duration_cast<std::chrono::microseconds>(t1 - t0).count()));
    }
    return 0;
}
