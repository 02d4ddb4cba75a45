// Start-up of a GUI program: from just before CreateProcessA until its first visible top-level dialog is shown
// and its thread answers a message (so it waits for input), then the program is ended.
//
//     bench_launch <timeout seconds> <program.exe> [arguments...]
//
// Prints "shown_idle_us <microseconds>", "peak_working_set <bytes>" (the program's, at that point) and
// "window <title>"; exits 1 when no dialog came up within the timeout.
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "tests/bench/PeakWorkingSet.h"

namespace {

struct Search {
    DWORD pid;
    HWND found;
};

BOOL CALLBACK FindShownDialog(HWND window, LPARAM param) {
    Search* search = reinterpret_cast<Search*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    char cls[16] = "";
    GetClassNameA(window, cls, sizeof cls);
    if (pid == search->pid && IsWindowVisible(window) && std::string(cls) == "#32770") {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: bench_launch <timeout seconds> <program.exe> [arguments...]\n");
        return 2;
    }
    const DWORD timeoutMs = static_cast<DWORD>(std::atoi(argv[1])) * 1000;
    std::string command = std::string("\"") + argv[2] + "\"";
    for (int i = 3; i < argc; ++i) command += std::string(" \"") + argv[i] + "\"";

    STARTUPINFOA si;
    ZeroMemory(&si, sizeof si);
    si.cb = sizeof si;
    PROCESS_INFORMATION pi;
    const auto t0 = std::chrono::steady_clock::now();
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        std::printf("FAIL: %s did not start (error %lu)\n", argv[2], GetLastError());
        return 1;
    }
    WaitForInputIdle(pi.hProcess, timeoutMs);
    Search search{pi.dwProcessId, nullptr};
    while (!search.found) {
        EnumWindows(FindShownDialog, reinterpret_cast<LPARAM>(&search));
        if (search.found) break;
        if (WaitForSingleObject(pi.hProcess, 1) == WAIT_OBJECT_0 ||
            std::chrono::steady_clock::now() - t0 > std::chrono::milliseconds(timeoutMs))
            break;
    }
    DWORD_PTR answer = 0;
    const bool idle = search.found && SendMessageTimeoutA(search.found, WM_NULL, 0, 0, SMTO_NORMAL, timeoutMs, &answer);
    const auto t1 = std::chrono::steady_clock::now();
    int rc = 1;
    if (idle) {
        char title[256] = "";
        GetWindowTextA(search.found, title, sizeof title);
        std::printf("shown_idle_us %lld\n",
                    static_cast<long long>(std::chrono::duration_cast<std::chrono::microseconds>(t1 - t0).count()));
        std::printf("peak_working_set %llu\n", static_cast<unsigned long long>(PeakWorkingSet(pi.hProcess)));
        std::printf("window %s\n", title);
        rc = 0;
    } else {
        std::printf("FAIL: no dialog of %s came up within %lu s\n", argv[2], timeoutMs / 1000);
    }
    TerminateProcess(pi.hProcess, 0);
    WaitForSingleObject(pi.hProcess, 10000);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return rc;
}
