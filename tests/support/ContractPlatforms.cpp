#include "tests/support/ContractPlatforms.h"

#include "platform/BoundedFormat.h"
#include "platform/memory/MemoryWindows.h"
#include "tests/support/StoreFiles.h"

namespace {

const char kSleepOption[] = "--contract-sleep=";

// The in-memory Windows with what the contract cases expect of a machine: a scratch directory as the current
// directory, an inf directory, one local printer, and programs that start unless their path does not exist.
class MemoryContractHost : public ContractHost {
public:
    MemoryContractHost() {
        windows_.files.PutDirectories(kScratch);
        windows_.files.PutDirectories(windows_.system.windowsDir + "\\inf");
        windows_.files.Put(kProgram, Bytes{'M', 'Z'});
        windows_.files.SetCurrentDir(kScratch);
        windows_.spooler.printers = {"Contract Printer"};
        windows_.spooler.driverOf["Contract Printer"] = "Generic / Text Only";
        windows_.spooler.portOf["Contract Printer"] = "LPT1:";
        LoadStoreInto(windows_.resources);
        MemoryFileSystem& files = windows_.files;
        windows_.processes.canStart = [&files](const std::string& commandLine) {
            std::string program = commandLine.substr(0, commandLine.find(' '));
            return program.find('\\') == std::string::npos || files.Exists(program);
        };
        MemoryProcesses& processes = windows_.processes;
        windows_.processes.onRun = [&processes](const std::string& commandLine) {
            std::size_t at = commandLine.find(kSleepOption);
            if (at == std::string::npos) return RunOutcome::Ended;
            unsigned long ms = std::stoul(commandLine.substr(at + sizeof kSleepOption - 1));
            return processes.runs.back().timeoutMs < ms ? RunOutcome::TimedOut : RunOutcome::Ended;
        };
    }
    Platform& platform() override { return windows_.platform; }
    std::string ScratchDir() const override { return kScratch; }
    std::string RegistryTestKey() const override { return "SOFTWARE\\ReceiptPrinterSetupContract"; }
    void RemoveRegistryTree(const std::string&) override {}  // each case starts from an empty registry
    int RegistryValueCount(const std::string& path) override { return int(windows_.registry.ValueNames(path).size()); }
    bool CrtTextPieces(const std::string&, std::size_t, std::vector<std::string>&) override { return false; }
    std::string SleepingCommand(std::uint32_t ms) const override {
        return std::string(kProgram) + " " + kSleepOption + std::to_string(ms);
    }
    std::string StandInPrinter() override { return windows_.spooler.printers.front(); }
    bool PlugInPort(const std::string& name) override {
        windows_.spooler.ports.push_back(name);
        return true;
    }
    bool MakeHardLink(const std::string& existing, const std::string& link) override {
        if (!windows_.files.Exists(existing) || windows_.files.Exists(link)) return false;
        windows_.files.HardLink(existing, link);
        return true;
    }
    bool SetAttributes(const std::string& path, std::uint32_t attributes) override {
        windows_.files.SetAttributes(path, attributes);
        return windows_.files.Exists(path);
    }
    bool HoldOpen(const std::string& path, unsigned share) override {
        windows_.files.HoldOpen(path, share);
        return windows_.files.Exists(path);
    }
    bool OtherWrite(const std::string& path, const Bytes& data) override { return windows_.files.OtherWrite(path, data); }
    bool OtherReplace(const std::string& path, const Bytes& data) override {
        return windows_.files.OtherReplace(path, data);
    }
    bool OtherRename(const std::string& from, const std::string& to) override { return windows_.files.OtherRename(from, to); }
    std::string CurrentDir() override { return windows_.files.CurrentDir(); }
    bool QueryValue(const std::string& path, const std::string& name, std::uint32_t& type, Bytes& data) override {
        return windows_.registry.QueryValue(path, name, type, data);
    }

private:
    static constexpr const char* kScratch = "C:\\Contract\\Scratch";
    static constexpr const char* kProgram = "C:\\Contract\\contract_tests.exe";
    MemoryWindows windows_;
};

}  // namespace

std::vector<ContractPlatformFactory>& ContractPlatforms() {
    static std::vector<ContractPlatformFactory> platforms{
        {"Memory", [] { return std::unique_ptr<ContractHost>(new MemoryContractHost()); }}};
    return platforms;
}

std::string ContractTest::InScratch(const std::string& name) const {
    std::string path;
    EXPECT_TRUE(JoinPath(path, host_->ScratchDir(), name)) << name;
    return path;
}
