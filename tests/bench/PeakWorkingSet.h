// A process's peak working set through psapi.dll, loaded by full path from the system directory.
#pragma once
#include <windows.h>

#include <cstdint>
#include <cstring>

struct BenchMemoryCounters {  // PROCESS_MEMORY_COUNTERS
    DWORD cb;
    DWORD PageFaultCount;
    SIZE_T PeakWorkingSetSize, WorkingSetSize, QuotaPeakPagedPoolUsage, QuotaPagedPoolUsage,
        QuotaPeakNonPagedPoolUsage, QuotaNonPagedPoolUsage, PagefileUsage, PeakPagefileUsage;
};

// 0 when psapi cannot be loaded or the process cannot be asked.
inline std::uint64_t PeakWorkingSet(HANDLE process) {
    static HMODULE psapi = nullptr;
    if (!psapi) {
        char path[MAX_PATH + 16] = "";
        const UINT n = GetSystemDirectoryA(path, MAX_PATH);
        if (n == 0 || n >= MAX_PATH) return 0;
        std::strcat(path, "\\psapi.dll");
        psapi = LoadLibraryA(path);
        if (!psapi) return 0;
    }
    using Query = BOOL(WINAPI*)(HANDLE, BenchMemoryCounters*, DWORD);
    const Query query = reinterpret_cast<Query>(reinterpret_cast<void*>(GetProcAddress(psapi, "GetProcessMemoryInfo")));
    BenchMemoryCounters counters;
    std::memset(&counters, 0, sizeof counters);
    counters.cb = sizeof counters;
    if (!query || !query(process, &counters, sizeof counters)) return 0;
    return counters.PeakWorkingSetSize;
}
