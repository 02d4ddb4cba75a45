#include "tests/support/FaultyPlatform.h"

namespace {

std::vector<std::string>& Sites() {
    static std::vector<std::string> sites;
    return sites;
}

// Registers the site once and names it.
const char* Site(const char* name) {
    for (const std::string& s : Sites())
        if (s == name) return name;
    Sites().push_back(name);
    return name;
}

void Damage(std::string& text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (i % 5 == 4) text[i] = '\\';
        else if (i % 2 == 0) text[i] = static_cast<char>(static_cast<unsigned char>(text[i]) ^ 0x80);
    }
    if (text.empty()) text = "\x81";  // a lone lead byte
}

void Damage(Bytes& data) {
    std::string text = ToString(data);
    Damage(text);
    data = ToBytes(text);
}

template <typename T>
void Apply(Fault fault, T& data) {
    if (fault == Fault::Short) data.resize(data.size() / 2);
    if (fault == Fault::Damaged) Damage(data);
}

#define FAULT(site, read) plan_.Next(Site(site), read)

// What a made failure fails with, as Windows would for such a failure.
const Status kDenied = FailedWith(kErrorAccessDenied);
const Status kInUse = FailedWith(kErrorSharingViolation);
const Status kNoSpooler = FailedWith(1722);  // RPC_S_SERVER_UNAVAILABLE: the spooler is not running

class Files : public IFileSystem {
public:
    Files(IFileSystem& inner, FaultPlan& plan) : inner_(inner), plan_(plan) {}
    Status MakeDirectory(const std::string& path) override {
        return FAULT("IFileSystem::MakeDirectory", false) == Fault::None ? inner_.MakeDirectory(path) : kDenied;
    }
    Status RemoveFile(const std::string& path) override {
        return FAULT("IFileSystem::RemoveFile", false) == Fault::None ? inner_.RemoveFile(path) : kInUse;
    }
    Status RemoveAtRestart(const std::string& path) override {
        return FAULT("IFileSystem::RemoveAtRestart", false) == Fault::None ? inner_.RemoveAtRestart(path) : kDenied;
    }
    // Writes can also report success while the disk got less, or other bytes, than was written.
    bool CopyFileTo(const std::string& from, const std::string& to, bool failIfExists) override {
        const Fault f = FAULT("IFileSystem::CopyFileTo", true);
        if (f == Fault::Fail) return false;
        if (!inner_.CopyFileTo(from, to, failIfExists)) return false;
        Bytes data;
        if (f != Fault::None && inner_.ReadWholeFile(to, data)) {
            Apply(f, data);
            inner_.WriteWholeFile(to, data);
        }
        return true;
    }
    bool ReadWholeFile(const std::string& path, Bytes& out) override {
        const Fault f = FAULT("IFileSystem::ReadWholeFile", true);
        if (f == Fault::Fail) return out.clear(), false;
        if (!inner_.ReadWholeFile(path, out)) return false;
        Apply(f, out);
        return true;
    }
    bool WriteWholeFile(const std::string& path, const Bytes& data) override {
        const Fault f = FAULT("IFileSystem::WriteWholeFile", true);
        if (f == Fault::Fail) return false;
        Bytes written = data;
        Apply(f, written);
        return inner_.WriteWholeFile(path, written);
    }
    Status WriteNewFile(const std::string& path, const Bytes& data) override {
        const Fault f = FAULT("IFileSystem::WriteNewFile", true);
        if (f == Fault::Fail) return FailedWith(kErrorDiskFull);
        Bytes written = data;
        Apply(f, written);
        return inner_.WriteNewFile(path, written);
    }
    Status Inspect(const std::string& path, PathState& state) override {
        const Fault f = FAULT("IFileSystem::Inspect", true);
        if (f == Fault::Fail) return state = PathState(), kDenied;
        if (const Status status = inner_.Inspect(path, state); !status) return status;
        if (f == Fault::Short) state = PathState();  // "nothing there"
        if (f == Fault::Damaged) {                    // something other than it is
            state.links += 1;
            state.isReparsePoint = !state.isReparsePoint;
        }
        return Status();
    }
    bool FindFiles(const std::string& pattern, std::vector<FoundFile>& out) override {
        const Fault f = FAULT("IFileSystem::FindFiles", true);
        if (f == Fault::Fail) return out.clear(), false;
        if (!inner_.FindFiles(pattern, out)) return false;
        if (f == Fault::Short) out.resize(out.size() / 2);
        if (f == Fault::Damaged)
            for (FoundFile& found : out) Damage(found.name);
        return true;
    }
    bool SetCurrentDir(const std::string& path) override {
        return FAULT("IFileSystem::SetCurrentDir", false) == Fault::None && inner_.SetCurrentDir(path);
    }
    bool HoldDirectory(const std::string& path, HeldHandle& held) override {
        held = 0;
        return FAULT("IFileSystem::HoldDirectory", false) == Fault::None && inner_.HoldDirectory(path, held);
    }
    Status HoldFile(const std::string& path, bool forDelete, HeldHandle& held, PathState& state) override {
        held = 0;
        const Fault f = FAULT("IFileSystem::HoldFile", true);
        if (f == Fault::Fail) return state = PathState(), kInUse;
        if (const Status status = inner_.HoldFile(path, forDelete, held, state); !status) return status;
        if (f == Fault::Short) state.size /= 2;
        if (f == Fault::Damaged) {  // something other than it is
            state.links += 1;
            state.isReparsePoint = !state.isReparsePoint;
        }
        return Status();
    }
    Status ReadHeld(HeldHandle held, Bytes& out) override {
        const Fault f = FAULT("IFileSystem::ReadHeld", true);
        if (f == Fault::Fail) return out.clear(), FailedWith(30);  // ERROR_READ_FAULT
        if (const Status status = inner_.ReadHeld(held, out); !status) return status;
        Apply(f, out);
        return Status();
    }
    Status DeleteHeld(HeldHandle held) override {
        return FAULT("IFileSystem::DeleteHeld", false) == Fault::None ? inner_.DeleteHeld(held) : kDenied;
    }
    bool CreateHeldFile(const std::string& path, HeldHandle& held) override {
        if (FAULT("IFileSystem::CreateHeldFile", false) != Fault::None) return held = 0, false;
        return inner_.CreateHeldFile(path, held);
    }
    bool AppendHeld(HeldHandle held, const Bytes& data) override {
        return FAULT("IFileSystem::AppendHeld", false) == Fault::None && inner_.AppendHeld(held, data);
    }
    // A handle that fails to close stays open: the file stays held.
    void Release(HeldHandle held) override {
        if (FAULT("IFileSystem::Release", false) == Fault::None) inner_.Release(held);
    }

private:
    IFileSystem& inner_;
    FaultPlan& plan_;
};

class Profile : public IProfile {
public:
    Profile(IProfile& inner, FaultPlan& plan) : inner_(inner), plan_(plan) {}
    std::uint32_t ReadString(const std::string& section, const std::string& key, const std::string& def,
                             std::string& out, std::uint32_t bufferSize, const std::string& file) override {
        const Fault f = FAULT("IProfile::ReadString", true);
        if (f == Fault::Fail) return out.clear(), 0;
        inner_.ReadString(section, key, def, out, bufferSize, file);
        Apply(f, out);
        return static_cast<std::uint32_t>(out.size());
    }
    bool WriteString(const std::string& section, const std::string& key, const std::string& value,
                     const std::string& file) override {
        return FAULT("IProfile::WriteString", false) == Fault::None && inner_.WriteString(section, key, value, file);
    }

private:
    IProfile& inner_;
    FaultPlan& plan_;
};

class Resources : public IResources {
public:
    Resources(IResources& inner, FaultPlan& plan) : inner_(inner), plan_(plan) {}
    bool LoadOwnerData(std::uint16_t id, Bytes& out) override {
        const Fault f = FAULT("IResources::LoadOwnerData", true);
        if (f == Fault::Fail) return out.clear(), false;
        if (!inner_.LoadOwnerData(id, out)) return false;
        Apply(f, out);
        return true;
    }

private:
    IResources& inner_;
    FaultPlan& plan_;
};

class System : public ISystemInfo {
public:
    System(ISystemInfo& inner, FaultPlan& plan) : inner_(inner), plan_(plan) {}
    std::uint32_t PackedVersion() override {
        return FAULT("ISystemInfo::PackedVersion", false) == Fault::None ? inner_.PackedVersion() : 0;
    }
    bool VersionRecord(OsVersion& v) override {
        if (FAULT("ISystemInfo::VersionRecord", false) != Fault::None) return v = OsVersion(), false;
        return inner_.VersionRecord(v);
    }
    std::uint16_t SystemDefaultLangId() override {
        return FAULT("ISystemInfo::SystemDefaultLangId", false) == Fault::None ? inner_.SystemDefaultLangId() : 0;
    }
    std::string ModulePath() override {
        return FAULT("ISystemInfo::ModulePath", false) == Fault::None ? inner_.ModulePath() : std::string();
    }
    std::string WindowsDir() override {
        return FAULT("ISystemInfo::WindowsDir", false) == Fault::None ? inner_.WindowsDir() : std::string();
    }
    std::string SystemDir() override {
        return FAULT("ISystemInfo::SystemDir", false) == Fault::None ? inner_.SystemDir() : std::string();
    }
    std::uint32_t AnsiCodePage() override {
        return FAULT("ISystemInfo::AnsiCodePage", false) == Fault::None ? inner_.AnsiCodePage() : 0;
    }
    bool IsAdministrator() override {
        return FAULT("ISystemInfo::IsAdministrator", false) == Fault::None && inner_.IsAdministrator();
    }
    bool RunsUnderWow64() override {  // failing means "cannot tell", which it answers as true
        return FAULT("ISystemInfo::RunsUnderWow64", false) != Fault::None || inner_.RunsUnderWow64();
    }
    std::uint16_t NativeArchitecture() override {  // failing means "cannot tell": an unknown processor
        return FAULT("ISystemInfo::NativeArchitecture", false) == Fault::None ? inner_.NativeArchitecture() : 0xFFFF;
    }
    std::string LocalTime() override {
        return FAULT("ISystemInfo::LocalTime", false) == Fault::None ? inner_.LocalTime() : std::string();
    }
    std::string AnsiToUtf8(const std::string& text) override {
        return FAULT("ISystemInfo::AnsiToUtf8", false) == Fault::None ? inner_.AnsiToUtf8(text) : std::string();
    }

private:
    ISystemInfo& inner_;
    FaultPlan& plan_;
};

class Registry : public IRegistry {
public:
    Registry(IRegistry& inner, FaultPlan& plan) : inner_(inner), plan_(plan) {}
    bool CreateKey(const std::string& path, RegKeyHandle& key) override {
        if (FAULT("IRegistry::CreateKey", false) != Fault::None) return key = 0, false;
        return inner_.CreateKey(path, key);
    }
    Status OpenKey(const std::string& path, RegKeyHandle& key) override {
        if (FAULT("IRegistry::OpenKey", false) != Fault::None) return key = 0, kDenied;
        return inner_.OpenKey(path, key);
    }
    Status SetValue(RegKeyHandle key, const std::string& name, std::uint32_t type, const unsigned char* data,
                    std::uint32_t size) override {
        return FAULT("IRegistry::SetValue", false) == Fault::None ? inner_.SetValue(key, name, type, data, size) : kDenied;
    }
    // As when the key was deleted under the open handle (ERROR_KEY_DELETED).
    Status DeleteValue(RegKeyHandle key, const std::string& name) override {
        return FAULT("IRegistry::DeleteValue", false) == Fault::None ? inner_.DeleteValue(key, name) : FailedWith(1018);
    }
    void CloseKey(RegKeyHandle key) override {
        FAULT("IRegistry::CloseKey", false);  // nothing to fail: the key is closed all the same
        inner_.CloseKey(key);
    }
    bool ReadString(const std::string& path, const std::string& name, std::string& text) override {
        if (FAULT("IRegistry::ReadString", false) != Fault::None) return text.clear(), false;
        return inner_.ReadString(path, name, text);
    }
    Status DeleteKey(const std::string& path) override {
        return FAULT("IRegistry::DeleteKey", false) == Fault::None ? inner_.DeleteKey(path) : kDenied;
    }

private:
    IRegistry& inner_;
    FaultPlan& plan_;
};

class Spooler : public ISpooler {
public:
    Spooler(ISpooler& inner, FaultPlan& plan) : inner_(inner), plan_(plan) {}
    void UseEnvironment(const std::string& environment) override {
        FAULT("ISpooler::UseEnvironment", false);
        inner_.UseEnvironment(environment);
    }
    Status DriverDirectory(std::string& dir) override {
        const Fault f = FAULT("ISpooler::DriverDirectory", true);
        if (f == Fault::Fail) return dir.clear(), kNoSpooler;
        if (const Status status = inner_.DriverDirectory(dir); !status) return status;
        Apply(f, dir);
        return Status();
    }
    std::uint32_t LocalPrintersBytesNeeded() override {
        return FAULT("ISpooler::LocalPrintersBytesNeeded", false) == Fault::None ? inner_.LocalPrintersBytesNeeded() : 0;
    }
    bool EnumLocalPrinters(std::uint32_t bytes, std::vector<std::string>& names, std::uint32_t& lastError) override {
        const Fault f = FAULT("ISpooler::EnumLocalPrinters", true);
        if (f == Fault::Fail) return names.clear(), lastError = 5, false;
        if (!inner_.EnumLocalPrinters(bytes, names, lastError)) return false;
        if (f == Fault::Short) names.resize(names.size() / 2);
        if (f == Fault::Damaged)
            for (std::string& name : names) Damage(name);
        return true;
    }
    bool EnumLocalPrinterRecords(std::uint32_t bytes, std::vector<LocalPrinter>& printers,
                                 std::uint32_t& lastError) override {
        const Fault f = FAULT("ISpooler::EnumLocalPrinterRecords", true);
        if (f == Fault::Fail) return printers.clear(), lastError = 5, false;
        if (!inner_.EnumLocalPrinterRecords(bytes, printers, lastError)) return false;
        if (f == Fault::Short) printers.resize(printers.size() / 2);
        if (f == Fault::Damaged)
            for (LocalPrinter& printer : printers) Damage(printer.driver);
        return true;
    }
    Status EnumInstalledDrivers(std::vector<InstalledDriver>& drivers) override {
        const Fault f = FAULT("ISpooler::EnumInstalledDrivers", true);
        if (f == Fault::Fail) return drivers.clear(), kNoSpooler;
        if (const Status status = inner_.EnumInstalledDrivers(drivers); !status) return status;
        if (f == Fault::Short) drivers.resize(drivers.size() / 2);
        if (f == Fault::Damaged)
            for (InstalledDriver& driver : drivers)
                for (std::string& file : driver.files) Damage(file);
        return Status();
    }
    Status DeleteLocalPrinter(const std::string& name) override {
        return FAULT("ISpooler::DeleteLocalPrinter", false) == Fault::None ? inner_.DeleteLocalPrinter(name) : kDenied;
    }
    Status DeleteDriver(const std::string& name) override {
        return FAULT("ISpooler::DeleteDriver", false) == Fault::None ? inner_.DeleteDriver(name) : kDenied;
    }
    bool OpenLocalServer(std::uint32_t desiredAccess, PrinterHandle& handle) override {
        if (FAULT("ISpooler::OpenLocalServer", false) != Fault::None) return handle = 0, false;
        return inner_.OpenLocalServer(desiredAccess, handle);
    }
    bool RemoveForm(PrinterHandle handle, const std::string& form) override {
        return FAULT("ISpooler::RemoveForm", false) == Fault::None && inner_.RemoveForm(handle, form);
    }
    void ClosePrinterHandle(PrinterHandle handle) override {
        FAULT("ISpooler::ClosePrinterHandle", false);
        inner_.ClosePrinterHandle(handle);
    }
    Status EnumPortNames(std::vector<std::string>& ports) override {
        const Fault f = FAULT("ISpooler::EnumPortNames", true);
        if (f == Fault::Fail) return ports.clear(), kNoSpooler;
        if (const Status status = inner_.EnumPortNames(ports); !status) return status;
        if (f == Fault::Short) ports.resize(ports.size() / 2);
        if (f == Fault::Damaged)
            for (std::string& port : ports) Damage(port);
        return Status();
    }
    bool AddTcpIpPort(const std::string& name, const std::string& address, std::uint32_t portNumber,
                      std::uint32_t& error) override {
        if (FAULT("ISpooler::AddTcpIpPort", false) != Fault::None) return error = 5, false;
        return inner_.AddTcpIpPort(name, address, portNumber, error);
    }
    bool DeleteTcpIpPort(const std::string& name, std::uint32_t& error) override {
        if (FAULT("ISpooler::DeleteTcpIpPort", false) != Fault::None) return error = 5, false;
        return inner_.DeleteTcpIpPort(name, error);
    }

private:
    ISpooler& inner_;
    FaultPlan& plan_;
};

class Processes : public IProcesses {
public:
    Processes(IProcesses& inner, FaultPlan& plan) : inner_(inner), plan_(plan) {}
    RunOutcome RunHidden(const std::string& commandLine, std::uint32_t timeoutMs, std::uint32_t& error) override {
        const Fault f = FAULT("IProcesses::RunHidden", true);
        if (f == Fault::Fail) return error = kErrorFileNotFound, RunOutcome::NotCreated;
        const RunOutcome outcome = inner_.RunHidden(commandLine, timeoutMs, error);
        if (f == Fault::None) return outcome;
        error = 0;
        return RunOutcome::TimedOut;  // started, but its end never seen
    }
    RunOutcome RunHiddenNative(const std::string& commandLine, std::uint32_t timeoutMs, std::uint32_t& error) override {
        const Fault f = FAULT("IProcesses::RunHiddenNative", true);
        if (f == Fault::Fail) return error = kErrorFileNotFound, RunOutcome::NotCreated;
        const RunOutcome outcome = inner_.RunHiddenNative(commandLine, timeoutMs, error);
        if (f == Fault::None) return outcome;
        error = 0;
        return RunOutcome::TimedOut;
    }
    Status StartHidden(const std::string& commandLine) override {
        return FAULT("IProcesses::StartHidden", false) == Fault::None ? inner_.StartHidden(commandLine)
                                                                      : FailedWith(kErrorFileNotFound);
    }
    void Pause(std::uint32_t ms) override {
        FAULT("IProcesses::Pause", false);
        inner_.Pause(ms);
    }

private:
    IProcesses& inner_;
    FaultPlan& plan_;
};

class UserInterface : public IUserInterface {
public:
    UserInterface(IUserInterface& inner, FaultPlan& plan) : inner_(inner), plan_(plan) {}
    void ShowAppMessage(const std::string& text) override {
        FAULT("IUserInterface::ShowAppMessage", false);
        inner_.ShowAppMessage(text);
    }
    void ShowMessage(const std::string& text, const std::string& caption, std::uint32_t flags) override {
        FAULT("IUserInterface::ShowMessage", false);
        inner_.ShowMessage(text, caption, flags);
    }
    bool AskYesNo(const std::string& text, const std::string& caption) override {
        FAULT("IUserInterface::AskYesNo", false);
        return inner_.AskYesNo(text, caption);
    }
    std::string SystemMessageText(std::uint32_t code) override {
        return FAULT("IUserInterface::SystemMessageText", false) == Fault::None ? inner_.SystemMessageText(code)
                                                                              : std::string();
    }
    void PostQuitToMainWindow() override {
        FAULT("IUserInterface::PostQuitToMainWindow", false);
        inner_.PostQuitToMainWindow();
    }

private:
    IUserInterface& inner_;
    FaultPlan& plan_;
};

#undef FAULT

}  // namespace

Fault FaultPlan::Next(const char* site, bool read) {
    const std::size_t index = calls_.size();
    calls_.push_back(Call{site, read});
    if (fault_ == Fault::None || index != target_) return Fault::None;
    if (fault_ != Fault::Fail && !read) return Fault::None;
    injected_ = true;
    return fault_;
}

struct FaultyPlatform::Parts {
    Parts(Platform& p, FaultPlan& plan)
        : files(p.files, plan), profile(p.profile, plan), resources(p.resources, plan), system(p.system, plan),
          registry(p.registry, plan), spooler(p.spooler, plan), processes(p.processes, plan), ui(p.ui, plan),
          platform{files, profile, resources, system, registry, spooler, processes, ui} {}
    Files files;
    Profile profile;
    Resources resources;
    System system;
    Registry registry;
    Spooler spooler;
    Processes processes;
    UserInterface ui;
    Platform platform;
};

FaultyPlatform::FaultyPlatform(Platform& inner, FaultPlan& plan) : parts_(new Parts(inner, plan)) {}
FaultyPlatform::~FaultyPlatform() { delete parts_; }
Platform& FaultyPlatform::platform() { return parts_->platform; }

const std::vector<std::string>& FaultSites() { return Sites(); }
