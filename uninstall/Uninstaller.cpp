#include "uninstall/Uninstaller.h"

#include <array>
#include <iterator>

#include "install/ExitCodes.h"
#include "install/HostArchitecture.h"
#include "install/ModelWord.h"
#include "install/NameLines.h"
#include "install/PrinterNameCheck.h"
#include "install/PrinterPort.h"
#include "install/SafeFiles.h"
#include "install/StagingPlan.h"
#include "platform/BoundedFormat.h"
#include "platform/DbcsText.h"
#include "system/PrinterMatch.h"
#include "resources/product.h"
#include "system/UninstallEntry.h"
#include "uninstall/Sha256.h"
#include "uninstall/UninstallOptions.h"
#include "uninstall/UninstallData.h"

namespace {

constexpr std::uint32_t kMbIconWarning = 0x00000030;  // MB_ICONWARNING

bool StartsWithNoCase(const std::string& text, const std::string& prefix) {
    return text.size() >= prefix.size() && EqualNoCase(text.substr(0, prefix.size()), prefix);
}

bool EndsWithNoCase(const std::string& text, const std::string& suffix) {
    return text.size() >= suffix.size() && EqualNoCase(text.substr(text.size() - suffix.size()), suffix);
}

// What may be at one staged path: the store entries the installation can write there (by the system, the
// system language and the chosen language), the uninstaller's own bytes, or a raw template (the scratch file).
struct StagedPath {
    std::string path;
    std::vector<std::uint16_t> ids;
    bool templates = false;  // the raw bytes of a rewritten template
    bool program = false;    // the uninstaller
};

void AddStaged(std::vector<StagedPath>& paths, const std::string& path, std::uint16_t id) {
    for (StagedPath& staged : paths) {
        if (!EqualNoCase(staged.path, path)) continue;
        for (std::uint16_t known : staged.ids)
            if (known == id) return;
        staged.ids.push_back(id);
        return;
    }
    paths.push_back(StagedPath{path, {id}, false, false});
}

// Every path the installation stages under printerName, and what each may hold. False when a path does
// not fit its buffer (the name then never named an installation).
bool StagedPaths(const std::string& printerName, HostDriver driver, std::vector<StagedPath>& paths) {
    paths.clear();
    std::string path;
    if (!JoinPath(path, kStagingDirs[0], UninstallerName(printerName))) return false;
    paths.push_back(StagedPath{path, {}, false, true});
    if (!JoinPath(path, kStagingDirs[0], InfName(printerName))) return false;
    paths.push_back(StagedPath{path, {driver == HostDriver::X64 ? kInfX64Entry : kInfEntry}, false, false});
    paths.push_back(StagedPath{kScratchFile, {}, true, false});
    if (driver == HostDriver::X64) {
        if (kCatalogX64Id != 0) {
            if (!JoinPath(path, kStagingDirsX64[0], kCatalogX64Name)) return false;
            AddStaged(paths, path, kCatalogX64Id);
        }
        for (std::uint16_t langId : {0x0804, 0x0404, 0x0409})
            for (std::uint16_t wLanguage : {0, 1})
                for (const StagedFile& file : StagingPlanX64(langId, wLanguage, printerName)) {
                    if (!JoinPath(path, file.inAmd64 ? kStagingDirsX64[1] : kStagingDirsX64[0], file.fileName))
                        return false;
                    AddStaged(paths, path, file.id);
                }
        return true;
    }
    for (int osType : {7, 6, 0})
        for (std::uint16_t langId : {0x0804, 0x0404, 0x0409})
            for (std::uint16_t wLanguage : {0, 1})
                for (const StagedFile& file : StagingPlan(osType, langId, wLanguage, printerName))
                    for (std::size_t dir = 0; dir < (file.alsoI386x86 ? 3u : 1u); ++dir) {
                        if (!JoinPath(path, kStagingDirs[dir], file.fileName)) return false;
                        AddStaged(paths, path, file.id);
                    }
    return true;
}

const StoreTemplate* FindTemplate(std::uint16_t id) {
    for (std::size_t i = 0; i < kStoreTemplateCount; ++i)
        if (kStoreTemplates[i].id == id) return &kStoreTemplates[i];
    return nullptr;
}

const StoreDigest* FindDigest(std::uint16_t id) {
    for (std::size_t i = 0; i < kStoreDigestCount; ++i)
        if (kStoreDigests[i].id == id) return &kStoreDigests[i];
    return nullptr;
}

Bytes TemplateBytes(const StoreTemplate& t) { return Bytes(t.bytes, t.bytes + t.size); }

// The sizes a file at this path can have when it is what the installation wrote: a file of any other size is
// not read at all (a sparse file of gigabytes planted at a staged name costs nothing).
bool SizeCanMatch(const StagedPath& staged, std::uint64_t size, const Bytes& ownBytes, const std::string& printerName) {
    if (staged.program) return !ownBytes.empty() && size == ownBytes.size();
    if (staged.templates) {
        for (std::size_t i = 0; i < kStoreTemplateCount; ++i)
            if (size == kStoreTemplates[i].size) return true;
        return false;
    }
    for (std::uint16_t id : staged.ids) {
        if (const StoreTemplate* t = FindTemplate(id)) {
            if (size == RewrittenForPrinter(TemplateBytes(*t), printerName).size()) return true;
        } else if (const StoreDigest* d = FindDigest(id)) {
            if (size == d->size) return true;
        }
    }
    return false;
}

// Whether data is what the installation writes at this path.
bool IsWhatWasStaged(const StagedPath& staged, const Bytes& data, const Bytes& ownBytes, const std::string& printerName) {
    if (staged.program) return !ownBytes.empty() && data == ownBytes;
    if (staged.templates) {
        for (std::size_t i = 0; i < kStoreTemplateCount; ++i)
            if (data == TemplateBytes(kStoreTemplates[i])) return true;
        return false;
    }
    bool hashed = false;
    std::array<unsigned char, 32> digest{};
    for (std::uint16_t id : staged.ids) {
        if (const StoreTemplate* t = FindTemplate(id)) {
            if (data == RewrittenForPrinter(TemplateBytes(*t), printerName)) return true;
            continue;
        }
        const StoreDigest* d = FindDigest(id);
        if (!d || d->size != data.size()) continue;
        if (!hashed) digest = Sha256(data), hashed = true;
        bool same = true;
        for (int i = 0; i < 32; ++i) same = same && digest[i] == d->sha256[i];
        if (same) return true;
    }
    return false;
}

// A candidate for removal, opened once: everything the uninstaller decides about it is seen through this
// handle, and the deletion goes through it too, so the file cannot be swapped between the check and the
// delete. Nobody else can write, rename or remove it while it is held.
class Candidate {
public:
    Candidate(IFileSystem& files, const std::string& path)
        : files_(files), opening_(HoldPlainFile(files, path, true, held_, state_)) {}
    ~Candidate() { files_.Release(held_); }
    Candidate(const Candidate&) = delete;
    Candidate& operator=(const Candidate&) = delete;
    // Something could be opened at the path (plain or not).
    bool Opened() const { return Plain() || state_.exists; }
    // A plain file (not a directory or a reparse point) with a single name, now held.
    bool Plain() const { return opening_; }
    // Why it is not: the error of opening it, when that failed.
    Status Opening() const { return opening_; }
    std::uint64_t Size() const { return state_.size; }
    bool Read(Bytes& data) { return files_.ReadHeld(held_, data); }
    // The name goes as the handle is closed.
    Status Delete() { return files_.DeleteHeld(held_); }

private:
    IFileSystem& files_;
    HeldHandle held_ = 0;
    PathState state_;
    Status opening_;
};

// The directories the uninstaller looks into, held while it works: none can become a junction meanwhile.
class HeldDirectories {
public:
    explicit HeldDirectories(IFileSystem& files) : files_(files) {}
    ~HeldDirectories() {
        for (HeldHandle held : held_) files_.Release(held);
    }
    HeldDirectories(const HeldDirectories&) = delete;
    HeldDirectories& operator=(const HeldDirectories&) = delete;
    // True when the directory is a plain directory, now held.
    bool Hold(const std::string& path) {
        HeldHandle held = 0;
        if (!files_.HoldDirectory(path, held)) return false;
        held_.push_back(held);
        return true;
    }

private:
    IFileSystem& files_;
    std::vector<HeldHandle> held_;
};

UninstallLanguage LanguageOf(std::uint16_t langId) {
    if (IsSimplifiedChineseLangId(langId)) return UninstallLanguage::Gbk;
    return IsChineseLangId(langId) ? UninstallLanguage::Big5 : UninstallLanguage::English;
}

// The log's words for a removal and for a stop (English, as setup.exe's log).
const char* const kKindWords[] = {"printer ", "printer driver ", "file ", "registry key HKEY_LOCAL_MACHINE\\",
                                  "this uninstaller ", "printer port "};
static_assert(sizeof kKindWords / sizeof *kKindWords == static_cast<int>(RemovalKind::Port) + 1,
              "a log word for every kind of removal");
const char* const kOutcomeWords[] = {"removed", "removed at the next restart", "kept, still used by another driver",
                                     "kept, still used by a printer", "kept, changed since the installation",
                                     "could not be removed"};
const char* const kStopWords[] = {"", "the program's file name names no printer; nothing removed",
                                  "not run by an administrator; nothing removed",
                                  "a 32-bit program on 64-bit Windows (or cannot tell); nothing removed",
                                  "the spooler names no driver directory; nothing removed", "answered No; nothing removed"};

class Run {
public:
    Run(Platform& platform, UninstallReport& report, bool ask, RunLog* log)
        : p_(platform), report_(report), ask_(ask), log_(log) {}

    void Go() {
        const std::string modulePath = p_.system.ModulePath();
        codePage_ = p_.system.AnsiCodePage();
        if (modulePath.empty() || !PrinterNameFromProgramName(FileNameOf(modulePath, codePage_), name_))
            return Stop(UninstallStop::WrongName);
        if (!p_.system.IsAdministrator()) return Stop(UninstallStop::NotAdministrator);
        // The installation's driver for this host: the environment, driver directory and staged files are its.
        driver_ = DriverForHost(p_.system);
        if (driver_ == HostDriver::Unsupported) return Stop(UninstallStop::Wow64);
        p_.spooler.UseEnvironment(EnvironmentOf(driver_));
        if (!p_.spooler.DriverDirectory(driverDir_) || driverDir_.empty()) return Stop(UninstallStop::NoDriverDirectory);
        // A name the installation refuses never named an installation: nothing is formed from it.
        std::vector<StagedPath> staged;
        UninstallEntry entry;
        if (CheckPrinterName(name_, driverDir_, codePage_) != PrinterNameProblem::None ||
            !StagedPaths(name_, driver_, staged) ||
            !BuildUninstallEntry(name_, std::string(), entry))
            return Stop(UninstallStop::WrongName);

        std::string question = UninstallText(UninstallTextId::Question, Language());
        const std::size_t at = question.find("{name}");
        if (at != std::string::npos) question.replace(at, 6, name_);
        if (ask_ && !p_.ui.AskYesNo(question, UninstallText(UninstallTextId::Caption, Language())))
            return Stop(UninstallStop::Declined);
        Log("removing the installation of printer name " + name_ + ", driver directory " + driverDir_);

        if (!p_.files.ReadWholeFile(modulePath, ownBytes_)) ownBytes_.clear();
        // The port the installation created, as its entry recorded it (read before the key goes).
        std::string createdPort;
        if (!p_.registry.ReadString(entry.keyPath, kPortCreatedValue, createdPort)) createdPort.clear();
        // The installation runs the system's command, which makes the printer and the driver, only under
        // the model word's own name, compared as the installation compares it (case-sensitively): under
        // another name they belong to another installation.
        if (name_ == kModelWord) {
            RemovePrinters();
            RemoveDriver();
        }
        if (!createdPort.empty()) RemovePort(createdPort);
        RemoveDriverFiles();
        RemoveStagedFiles(staged, modulePath);
        RemoveKey(entry.keyPath);
        RemoveProgram(modulePath);
    }

private:
    UninstallLanguage Language() { return LanguageOf(p_.system.SystemDefaultLangId()); }
    void Log(const std::string& line) {
        if (log_ != nullptr) log_->Add(line);
    }
    void Stop(UninstallStop stop) {
        report_.stop = stop;
        Log(std::string("stopped: ") + kStopWords[static_cast<int>(stop)]);
    }
    // A failure is logged with error, the code of the call that failed.
    void Note(RemovalKind kind, const std::string& what, RemovalOutcome outcome, std::uint32_t error = 0) {
        report_.removals.push_back(Removal{kind, what, outcome});
        std::string line = kKindWords[static_cast<int>(kind)] + what + ": " + kOutcomeWords[static_cast<int>(outcome)];
        if (outcome == RemovalOutcome::Failed) line += ", Win32 error " + std::to_string(FailedWith(error).error);
        Log(line);
    }
    // done when the call succeeded, else a failure with its error.
    void NoteCall(RemovalKind kind, const std::string& what, Status call, RemovalOutcome done = RemovalOutcome::Removed) {
        Note(kind, what, call ? done : RemovalOutcome::Failed, call.error);
    }

    bool SomethingAt(const std::string& path) {
        PathState state;
        return p_.files.Inspect(path, state) && state.exists;
    }

    // A file of the driver set that cannot be opened (opening: why): at the next restart in a run without
    // windows when it is a plain file no installed driver names; otherwise a failure, with opening's error.
    void NoteInUse(const std::string& path, bool keep, Status opening) {
        PathState state;
        if (ask_ || keep || !p_.files.Inspect(path, state) || !state.exists || state.isDirectory || state.isReparsePoint ||
            state.links > 1)
            return Note(RemovalKind::File, path, RemovalOutcome::Failed, opening.error);
        NoteCall(RemovalKind::File, path, p_.files.RemoveAtRestart(path), RemovalOutcome::AtRestart);
    }

    Status ListPrinters(std::vector<LocalPrinter>& printers) {
        std::uint32_t error = 0;
        return ListLocalPrinters(p_.spooler, printers, error) != PrinterList::Failed ? Status() : FailedWith(error);
    }

    void RemovePrinters() {
        std::vector<LocalPrinter> printers;
        if (const Status listed = ListPrinters(printers); !listed) return NoteCall(RemovalKind::Printer, kModelWord, listed);
        for (const LocalPrinter& printer : printers)
            if (IsInstalledPrinter(printer))
                NoteCall(RemovalKind::Printer, printer.name, p_.spooler.DeleteLocalPrinter(printer.name));
    }

    void RemoveDriver() {
        std::vector<InstalledDriver> drivers;
        if (const Status listed = p_.spooler.EnumInstalledDrivers(drivers); !listed)
            return NoteCall(RemovalKind::Driver, kModelWord, listed);
        for (const InstalledDriver& driver : drivers) {
            if (!EqualNoCase(driver.name, kModelWord)) continue;
            const Status deleted = p_.spooler.DeleteDriver(driver.name);
            if (deleted) return Note(RemovalKind::Driver, driver.name, RemovalOutcome::Removed);
            // The spooler keeps a driver that a printer (one not of this installation) still uses.
            std::vector<LocalPrinter> printers;
            bool used = false;
            if (ListPrinters(printers))
                for (const LocalPrinter& printer : printers) used = used || EqualNoCase(printer.driver, driver.name);
            return Note(RemovalKind::Driver, driver.name, used ? RemovalOutcome::UsedByPrinter : RemovalOutcome::Failed,
                        deleted.error);
        }
    }

    // A Standard TCP/IP port the installation created: only a network port in the accepted form (the
    // installation creates no other), and only when no printer prints to it any more.
    void RemovePort(const std::string& recorded) {
        PrinterPort port;
        if (!ParsePrinterPort(recorded, port) || port.kind != PortKind::Network || port.name != recorded) return;
        std::vector<std::string> ports;
        if (const Status listed = p_.spooler.EnumPortNames(ports); !listed) return NoteCall(RemovalKind::Port, port.name, listed);
        bool listed = false;
        for (const std::string& listedPort : ports) listed = listed || EqualNoCase(listedPort, port.name);
        if (!listed) return;  // gone already
        std::vector<LocalPrinter> printers;
        if (const Status listed = ListPrinters(printers); !listed) return NoteCall(RemovalKind::Port, port.name, listed);
        for (const LocalPrinter& printer : printers) {
            // pPortName names one port, or several separated by commas.
            std::size_t start = 0;
            while (start <= printer.port.size()) {
                std::size_t comma = printer.port.find(',', start);
                if (comma == std::string::npos) comma = printer.port.size();
                if (EqualNoCase(printer.port.substr(start, comma - start), port.name))
                    return Note(RemovalKind::Port, port.name, RemovalOutcome::UsedByPrinter);
                start = comma + 1;
            }
        }
        std::uint32_t error = 0;
        Note(RemovalKind::Port, port.name,
             p_.spooler.DeleteTcpIpPort(port.name, error) ? RemovalOutcome::Removed : RemovalOutcome::Failed, error);
    }

    // The driver file set in the driver directory and its version subdirectory; a file that a driver still
    // installed names (the model word's own when it could not be removed) stays.
    void RemoveDriverFiles() {
        std::vector<InstalledDriver> drivers;
        const Status listed = p_.spooler.EnumInstalledDrivers(drivers);
        HeldDirectories dirs(p_.files);
        std::string versionDir;
        const bool driverDirUsable = dirs.Hold(driverDir_);
        const bool versionDirUsable = driverDirUsable && FormatBounded(versionDir, kPathBuffer, "%s\\3", driverDir_.c_str()) &&
                                      dirs.Hold(versionDir);
        for (const DriverFile& file : DriverFileSet(name_)) {
            // The x64 installation writes no Unidrv core files: those in the x64 driver directory are the system's.
            if (driver_ == HostDriver::X64 && IsUnidrvCoreFile(file.fileName)) continue;
            bool named = false;
            for (const InstalledDriver& driver : drivers)
                named = named || DriverNamesFile(driver, file.fileName, codePage_);
            for (int inVersionDir = 0; inVersionDir < 2; ++inVersionDir) {
                std::string path;
                // On x64 the command takes STDNAMES.GPD of 3 from the system's Unidrv core too.
                if (inVersionDir && driver_ == HostDriver::X64 && EqualNoCase(file.fileName, kStdNamesFile.text)) continue;
                if (!(inVersionDir ? versionDirUsable : driverDirUsable) ||
                    !JoinPath(path, inVersionDir ? versionDir : driverDir_, file.fileName))
                    continue;
                Candidate candidate(p_.files, path);
                if (!candidate.Plain()) {
                    // Not a plain file: kept as changed. Something there that cannot be opened (in use, no
                    // access) should have gone: a failure, unless a run without windows has it go at the next
                    // restart (a file the spooler still has loaded), as installers do. That is safe here as for
                    // the program itself: only administrators can change the driver directory, which is held.
                    if (candidate.Opened()) Note(RemovalKind::File, path, RemovalOutcome::Changed);
                    else if (SomethingAt(path)) NoteInUse(path, named || !listed, candidate.Opening());
                    continue;
                }
                if (!listed) NoteCall(RemovalKind::File, path, listed);
                else if (named) Note(RemovalKind::File, path, RemovalOutcome::InUse);
                else NoteCall(RemovalKind::File, path, candidate.Delete());
            }
        }
    }

    // The staged files that hold exactly what the installation wrote there, and the uninstaller's copy in the
    // driver directory when it is not the running program.
    void RemoveStagedFiles(std::vector<StagedPath> staged, const std::string& modulePath) {
        std::string copy;
        if (JoinPath(copy, driverDir_, UninstallerName(name_))) staged.push_back(StagedPath{copy, {}, false, true});
        HeldDirectories dirs(p_.files);
        std::vector<const char*> stagingDirs(std::begin(kStagingDirs), std::end(kStagingDirs));
        if (driver_ == HostDriver::X64) stagingDirs.assign(std::begin(kStagingDirsX64), std::end(kStagingDirsX64));
        std::vector<bool> plain;
        for (const char* dir : stagingDirs) plain.push_back(dirs.Hold(dir));
        const bool driverDirPlain = dirs.Hold(driverDir_);
        for (const StagedPath& file : staged) {
            if (EqualNoCase(file.path, modulePath)) continue;  // itself: last, at the next restart
            bool inPlainDir = file.path == copy && driverDirPlain;
            for (std::size_t i = 0; i < stagingDirs.size(); ++i)
                inPlainDir = inPlainDir || (plain[i] && EqualNoCase(file.path.substr(0, LastPathSeparator(file.path, codePage_)), stagingDirs[i]));
            if (!inPlainDir) continue;  // below a junction or a link it would be elsewhere
            Candidate candidate(p_.files, file.path);
            if (!candidate.Plain()) {
                // What cannot be opened cannot be checked: kept, like a changed file.
                if (candidate.Opened() || SomethingAt(file.path)) Note(RemovalKind::File, file.path, RemovalOutcome::Changed);
                continue;
            }
            Bytes data;
            if (!SizeCanMatch(file, candidate.Size(), ownBytes_, name_) || !candidate.Read(data) ||
                !IsWhatWasStaged(file, data, ownBytes_, name_)) {
                Note(RemovalKind::File, file.path, RemovalOutcome::Changed);
                continue;
            }
            NoteCall(RemovalKind::File, file.path, candidate.Delete());
        }
    }

    void RemoveKey(const std::string& keyPath) {
        RegKeyHandle key = 0;
        if (!p_.registry.OpenKey(keyPath, key)) return;  // not there
        p_.registry.CloseKey(key);
        NoteCall(RemovalKind::Key, keyPath, p_.registry.DeleteKey(keyPath));
    }

    // The running program goes at the next restart, and only as the copy in the driver directory, which only
    // administrators can change: a restart-time delete of a path in a folder every user can write (the staged
    // copy in C:\TEMP) would delete whatever is there by then. Run from there, it stays, and says so.
    void RemoveProgram(const std::string& modulePath) {
        std::string copy, staged;
        if (JoinPath(copy, driverDir_, UninstallerName(name_)) && EqualNoCase(copy, modulePath)) {
            NoteCall(RemovalKind::Program, modulePath, p_.files.RemoveAtRestart(modulePath), RemovalOutcome::AtRestart);
        } else if (JoinPath(staged, kStagingDirs[0], UninstallerName(name_)) && EqualNoCase(staged, modulePath)) {
            // Not even asked: the file of a running program cannot be deleted (access denied).
            Note(RemovalKind::Program, modulePath, RemovalOutcome::Failed, kErrorAccessDenied);
        }
    }

    Platform& p_;
    UninstallReport& report_;
    const bool ask_;
    RunLog* const log_;
    std::string name_, driverDir_;
    HostDriver driver_ = HostDriver::X86;  // the driver the installation on this host installs
    std::uint32_t codePage_ = 0;
    Bytes ownBytes_;
};

bool Kept(RemovalOutcome outcome) { return outcome != RemovalOutcome::Removed && outcome != RemovalOutcome::AtRestart; }

}  // namespace

bool PrinterNameFromProgramName(const std::string& fileName, std::string& printerName) {
    printerName.clear();
    const std::string prefix = "uninstall", suffix = ".exe";
    if (fileName.size() <= prefix.size() + suffix.size() || !StartsWithNoCase(fileName, prefix) ||
        !EndsWithNoCase(fileName, suffix))
        return false;
    printerName = fileName.substr(prefix.size(), fileName.size() - prefix.size() - suffix.size());
    return true;
}

bool IsInstalledPrinter(const LocalPrinter& printer) {
    if (!EqualNoCase(printer.driver, kModelWord)) return false;
    const std::string& name = printer.name;
    if (EqualNoCase(name, kModelWord)) return true;
    const std::string copy = std::string(kModelWord) + " (Copy ";
    if (!StartsWithNoCase(name, copy) || name.size() < copy.size() + 2 || name.back() != ')') return false;
    for (std::size_t i = copy.size(); i + 1 < name.size(); ++i)
        if (name[i] < '0' || name[i] > '9') return false;
    return true;
}

UninstallReport Uninstall(Platform& platform, bool ask, RunLog* log) {
    UninstallReport report;
    try {
        Run(platform, report, ask, log).Go();
    } catch (...) {
        report.interrupted = true;
        if (log != nullptr) {
            try {
                log->Add("stopped by an unexpected error; what is listed above is all it did");
            } catch (...) {
            }
        }
    }
    return report;
}

std::string ReportText(const UninstallReport& report, std::uint16_t langId) {
    const UninstallLanguage language = LanguageOf(langId);
    auto text = [language](UninstallTextId id) { return std::string(UninstallText(id, language)); };
    switch (report.stop) {
        case UninstallStop::WrongName: return text(UninstallTextId::WrongName);
        case UninstallStop::NotAdministrator: return text(UninstallTextId::NotAdministrator);
        case UninstallStop::Wow64: return text(UninstallTextId::Wow64);
        case UninstallStop::NoDriverDirectory: return text(UninstallTextId::NoDriverDirectory);
        case UninstallStop::Declined: return text(UninstallTextId::NothingRemoved);
        case UninstallStop::None: break;
    }
    static const UninstallTextId kLabels[] = {UninstallTextId::Printer, UninstallTextId::Driver, UninstallTextId::File,
                                              UninstallTextId::Key, UninstallTextId::Program, UninstallTextId::Port};
    static const UninstallTextId kSuffixes[] = {UninstallTextId::Removed, UninstallTextId::AtRestart,
                                                UninstallTextId::InUse, UninstallTextId::UsedByPrinter,
                                                UninstallTextId::Changed, UninstallTextId::Failed};
    std::string out;
    for (bool kept : {false, true}) {
        std::string lines;
        for (const Removal& r : report.removals) {
            if (Kept(r.outcome) != kept) continue;
            lines += "\n  " + text(kLabels[static_cast<int>(r.kind)]) +
                     (r.kind == RemovalKind::Key ? "HKEY_LOCAL_MACHINE\\" : "") + r.what;
            if (r.outcome != RemovalOutcome::Removed) lines += text(kSuffixes[static_cast<int>(r.outcome)]);
        }
        if (lines.empty()) continue;
        if (!out.empty()) out += "\n\n";
        out += text(kept ? UninstallTextId::NotRemoved : UninstallTextId::Removed) + lines;
    }
    if (out.empty()) out = text(UninstallTextId::NothingRemoved);
    return report.interrupted ? out + "\n\n" + text(UninstallTextId::Interrupted) : out;
}

int QuietExitCode(const UninstallReport& report) {
    if (report.stop == UninstallStop::NotAdministrator) return kExitNotAdministrator;
    if (report.stop == UninstallStop::Wow64) return kExitUnsupportedHost;
    if (report.stop != UninstallStop::None || report.interrupted) return kExitInstallFailed;
    bool restart = false;
    for (const Removal& r : report.removals) {
        if (r.outcome == RemovalOutcome::Failed || r.outcome == RemovalOutcome::UsedByPrinter) return kExitInstallFailed;
        restart = restart || (r.outcome == RemovalOutcome::AtRestart && r.kind != RemovalKind::Program);
    }
    return restart ? kExitRestartRequired : kExitSuccess;
}

int RunUninstaller(Platform& platform, const std::string& commandLine) {
    const UninstallOptions options = ParseUninstallOptions(commandLine);
    const std::uint16_t langId = platform.system.SystemDefaultLangId();
    const char* caption = UninstallText(UninstallTextId::Caption, LanguageOf(langId));
    if (!options.valid) {
        // Nothing is removed or written; only a run with windows says why.
        if (!options.quiet)
            platform.ui.ShowMessage("Unknown option: " + options.problem + "\r\n\r\n" + UninstallUsageText(), caption,
                                    kMbOk | kMbIconWarning | kMbTaskModal);
        return kExitBadArguments;
    }

    // The log is written as the run goes: a removal that is ended or hangs still leaves its steps.
    RunLog log;
    LogFile logFile(platform.files, [&platform](const std::string& line) { return platform.system.AnsiToUtf8(line); });
    if (!options.logPath.empty() && logFile.Open(options.logPath))
        log.StreamTo([&logFile](const std::string& line) { logFile.Write(line); });
    const std::string module = platform.system.ModulePath();
    log.Add((module.empty() ? std::string("uninstall.exe") : FileNameOf(module, platform.system.AnsiCodePage())) +
            " version " PRODUCT_VERSION_TEXT ", local time " + platform.system.LocalTime() + ", command line: " +
            commandLine);

    int exitCode = kExitSuccess;
    if (options.help) {
        if (options.quiet) {
            const std::string usage = UninstallUsageText();
            for (std::string::size_type at = 0, end; at < usage.size(); at = end + 2) {
                end = usage.find("\r\n", at);
                if (end == std::string::npos) end = usage.size();
                log.Add(usage.substr(at, end - at));
            }
        } else {
            platform.ui.ShowMessage(UninstallUsageText(), caption, kMbOk | kMbIconInformation | kMbTaskModal);
        }
    } else {
        const UninstallReport report = Uninstall(platform, !options.quiet, &log);
        if (options.quiet) {
            exitCode = QuietExitCode(report);
        } else if (report.stop == UninstallStop::Declined) {
            exitCode = 2;
        } else {
            bool failed = report.stop != UninstallStop::None || report.interrupted;
            for (const Removal& r : report.removals) failed = failed || r.outcome == RemovalOutcome::Failed;
            platform.ui.ShowMessage(ReportText(report, langId), caption,
                                    kMbOk | (failed ? kMbIconWarning : kMbIconInformation) | kMbTaskModal);
            exitCode = failed ? 1 : 0;
        }
    }
    log.Add("exit code: " + std::to_string(exitCode));
    log.StreamTo(nullptr);
    return exitCode;
}
