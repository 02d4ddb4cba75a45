// The installation run without the system command and without its settle pause: clean-up, extraction,
// rewriting, copies (and whatever else the engine does between them), timed. The Windows build runs it on the
// Win32 platform with the store embedded in this program; the native build on the in-memory Windows with the
// store files of the build tree. The first run records every write (path and bytes) into the plan file for
// the baseline program, the others are timed.
//
//     bench_staging <timed runs> <plan file>
//
// Prints "run <n> <microseconds>" per timed run, then "op <operation> count <n> bytes <n> us <n>" for one
// further run with every file operation and store load counted; on Windows also "peak_working_set <bytes>".
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>

#include "app/globals.h"
#include "app/setup.h"
#include "tests/bench/BenchPlan.h"

#if defined(_WIN32)
#include "platform/win32/Win32Platform.h"
#include "tests/bench/PeakWorkingSet.h"
#else
#include "platform/memory/MemoryWindows.h"
#include "tests/support/StoreFiles.h"
#endif

namespace {

// Per kind of operation: how many, the bytes they moved and the time spent in them.
struct OpStats {
    long long count = 0, bytes = 0, us = 0;
};
using OpTable = std::map<std::string, OpStats>;

class OpTimer {
public:
    OpTimer(OpTable* table, const char* op, std::size_t bytes = 0)
        : table_(table), op_(op), bytes_(bytes), t0_(std::chrono::steady_clock::now()) {}
    ~OpTimer() {
        if (!table_) return;
        OpStats& s = (*table_)[op_];
        ++s.count;
        s.bytes += static_cast<long long>(bytes_);
        s.us += std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - t0_).count();
    }
    void Bytes(std::size_t n) { bytes_ = n; }

private:
    OpTable* table_;
    const char* op_;
    std::size_t bytes_;
    std::chrono::steady_clock::time_point t0_;
};

// Forwards to the real file system; while recording, notes every write and the bytes every copy writes;
// while profiling, counts and times every operation.
class RecordingFiles : public IFileSystem {
public:
    explicit RecordingFiles(IFileSystem& inner) : inner_(inner) {}
    bool recording = false;
    OpTable* profile = nullptr;
    std::vector<PlannedWrite> plan;

    Status MakeDirectory(const std::string& path) override {
        OpTimer t(profile, "MakeDirectory");
        return inner_.MakeDirectory(path);
    }
    Status RemoveFile(const std::string& path) override {
        OpTimer t(profile, "RemoveFile");
        return inner_.RemoveFile(path);
    }
    Status RemoveAtRestart(const std::string& path) override { return inner_.RemoveAtRestart(path); }
    bool CopyFileTo(const std::string& from, const std::string& to, bool failIfExists) override {
        bool copied;
        {
            OpTimer t(profile, "CopyFileTo");
            copied = inner_.CopyFileTo(from, to, failIfExists);
        }
        Bytes data;
        if (copied && recording && inner_.ReadWholeFile(to, data)) plan.emplace_back(to, data);
        return copied;
    }
    bool ReadWholeFile(const std::string& path, Bytes& out) override {
        OpTimer t(profile, "ReadWholeFile");
        const bool read = inner_.ReadWholeFile(path, out);
        t.Bytes(out.size());
        return read;
    }
    bool WriteWholeFile(const std::string& path, const Bytes& data) override {
        bool written;
        {
            OpTimer t(profile, "WriteWholeFile", data.size());
            written = inner_.WriteWholeFile(path, data);
        }
        if (written && recording) plan.emplace_back(path, data);
        return written;
    }
    Status WriteNewFile(const std::string& path, const Bytes& data) override {
        Status written;
        {
            OpTimer t(profile, "WriteNewFile", data.size());
            written = inner_.WriteNewFile(path, data);
        }
        if (written && recording) plan.emplace_back(path, data);
        return written;
    }
    Status Inspect(const std::string& path, PathState& state) override {
        OpTimer t(profile, "Inspect");
        return inner_.Inspect(path, state);
    }
    bool FindFiles(const std::string& pattern, std::vector<FoundFile>& out) override {
        OpTimer t(profile, "FindFiles");
        return inner_.FindFiles(pattern, out);
    }
    bool SetCurrentDir(const std::string& path) override { return inner_.SetCurrentDir(path); }
    bool HoldDirectory(const std::string& path, HeldHandle& held) override {
        OpTimer t(profile, "HoldDirectory");
        return inner_.HoldDirectory(path, held);
    }
    Status HoldFile(const std::string& path, bool forDelete, HeldHandle& held, PathState& state) override {
        OpTimer t(profile, "HoldFile");
        return inner_.HoldFile(path, forDelete, held, state);
    }
    Status ReadHeld(HeldHandle held, Bytes& out) override {
        OpTimer t(profile, "ReadHeld");
        const Status read = inner_.ReadHeld(held, out);
        t.Bytes(out.size());
        return read;
    }
    Status DeleteHeld(HeldHandle held) override { return inner_.DeleteHeld(held); }
    bool CreateHeldFile(const std::string& path, HeldHandle& held) override { return inner_.CreateHeldFile(path, held); }
    bool AppendHeld(HeldHandle held, const Bytes& data) override { return inner_.AppendHeld(held, data); }
    void Release(HeldHandle held) override { inner_.Release(held); }

private:
    IFileSystem& inner_;
};

// Counts and times the store entries the run loads.
class CountedResources : public IResources {
public:
    explicit CountedResources(IResources& inner) : inner_(inner) {}
    OpTable* profile = nullptr;
    bool LoadOwnerData(std::uint16_t id, Bytes& out) override {
        OpTimer t(profile, "LoadOwnerData");
        const bool loaded = inner_.LoadOwnerData(id, out);
        t.Bytes(out.size());
        return loaded;
    }

private:
    IResources& inner_;
};

// The system command is not started and the pause after it is not taken: the command "ends" at once.
class NoCommand : public IProcesses {
public:
    RunOutcome RunHidden(const std::string&, std::uint32_t, std::uint32_t& error) override {
        error = 0;
        return RunOutcome::Ended;
    }
    RunOutcome RunHiddenNative(const std::string&, std::uint32_t, std::uint32_t& error) override {
        error = 0;
        return RunOutcome::Ended;
    }
    Status StartHidden(const std::string&) override { return Status(); }
    void Pause(std::uint32_t) override {}
};

// The system as it is, except that the run takes the 32-bit path in a 64-bit prefix's 32-bit side too (the
// benchmark's prefix where 32-bit programs are emulated), where it would otherwise take the x64 path: the
// figures measure one path wherever they are taken.
class NotWow64 : public ISystemInfo {
public:
    explicit NotWow64(ISystemInfo& inner) : inner_(inner) {}
    std::uint32_t PackedVersion() override { return inner_.PackedVersion(); }
    bool VersionRecord(OsVersion& v) override { return inner_.VersionRecord(v); }
    std::uint16_t SystemDefaultLangId() override { return inner_.SystemDefaultLangId(); }
    std::string ModulePath() override { return inner_.ModulePath(); }
    std::string WindowsDir() override { return inner_.WindowsDir(); }
    std::string SystemDir() override { return inner_.SystemDir(); }
    std::uint32_t AnsiCodePage() override { return inner_.AnsiCodePage(); }
    bool IsAdministrator() override { return inner_.IsAdministrator(); }
    bool RunsUnderWow64() override { return false; }
    std::string AnsiToUtf8(const std::string& text) override { return inner_.AnsiToUtf8(text); }
    std::string LocalTime() override { return inner_.LocalTime(); }
    std::uint16_t NativeArchitecture() override { return inner_.NativeArchitecture(); }

private:
    ISystemInfo& inner_;
};

// No result message to wait on.
class NoMessages : public IUserInterface {
public:
    explicit NoMessages(IUserInterface& inner) : inner_(inner) {}
    void ShowAppMessage(const std::string&) override {}
    void ShowMessage(const std::string&, const std::string&, std::uint32_t) override {}
    bool AskYesNo(const std::string&, const std::string&) override { return false; }
    std::string SystemMessageText(std::uint32_t code) override { return inner_.SystemMessageText(code); }
    void PostQuitToMainWindow() override {}

private:
    IUserInterface& inner_;
};

}  // namespace

// One timed installation run; kept out of line so that callgrind can count inside the timed runs only.
__attribute__((noinline)) long long TimedInstallRun(CSetupApp& app) {
    const auto t0 = std::chrono::steady_clock::now();
    app.InstallPrinterDriver();
    const auto t1 = std::chrono::steady_clock::now();
    return static_cast<long long>(std::chrono::duration_cast<std::chrono::microseconds>(t1 - t0).count());
}

int main(int argc, char** argv) {
    if (argc != 3 || std::atoi(argv[1]) < 1) {
        std::fprintf(stderr, "usage: bench_staging <timed runs> <plan file>\n");
        return 2;
    }
    const int runs = std::atoi(argv[1]);
#if defined(_WIN32)
    Platform& host = HostPlatform();
#else
    MemoryWindows windows;
    LoadStoreInto(windows.resources);
    windows.files.PutDirectories(windows.spooler.driverDirectory + "\\3");
    windows.system.langId = 0x0804;
    Platform& host = windows.platform;
#endif
    RecordingFiles files(host.files);
    CountedResources resources(host.resources);
    NoCommand processes;
    NoMessages ui(host.ui);
    NotWow64 system(host.system);
    Platform platform{files, host.profile, resources, system, host.registry, host.spooler, processes, ui};

    // Windows XP, English chosen on the second page, the default printer name.
    g_nOSType = 7;
    g_wLanguage = 1;
    std::memset(g_szPrinterName, 0, sizeof g_szPrinterName);
    std::strcpy(g_szPrinterName, "KX47");

    CSetupApp app(platform);
    files.recording = true;
    app.InstallPrinterDriver();
    files.recording = false;
    if (files.plan.empty()) {
        std::fprintf(stderr, "bench_staging: the installation run wrote nothing\n");
        return 1;
    }
    if (!SavePlan(argv[2], files.plan)) {
        std::fprintf(stderr, "bench_staging: cannot write %s\n", argv[2]);
        return 1;
    }
    std::size_t bytes = 0;
    for (const PlannedWrite& w : files.plan) bytes += w.second.size();
    std::printf("writes %zu bytes %zu\n", files.plan.size(), bytes);
    for (int i = 1; i <= runs; ++i) std::printf("run %d %lld\n", i, TimedInstallRun(app));
    // One more run with every file operation and store load counted and timed (not a timed run: the
    // counting has its own cost).
    OpTable ops;
    files.profile = &ops;
    resources.profile = &ops;
    const auto t0 = std::chrono::steady_clock::now();
    app.InstallPrinterDriver();  // not through TimedInstallRun: callgrind counts the timed runs only
    const long long profiled =
        std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - t0).count();
    files.profile = nullptr;
    resources.profile = nullptr;
    for (const auto& [op, stats] : ops)
        std::printf("op %s count %lld bytes %lld us %lld\n", op.c_str(), stats.count, stats.bytes, stats.us);
    std::printf("op-run us %lld\n", profiled);
#if defined(_WIN32)
    std::printf("peak_working_set %llu\n", static_cast<unsigned long long>(PeakWorkingSet(GetCurrentProcess())));
#endif
    return 0;
}
