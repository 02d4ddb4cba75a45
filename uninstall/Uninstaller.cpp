#include "uninstall/Uninstaller.h"

#include <array>
#include <iterator>

#include "install/HostArchitecture.h"
#include "install/ModelWord.h"
#include "install/NameLines.h"
#include "install/PrinterNameCheck.h"
#include "install/SafeFiles.h"
#include "install/StagingPlan.h"
#include "platform/BoundedFormat.h"
#include "platform/DbcsText.h"
#include "system/PrinterMatch.h"
#include "system/UninstallEntry.h"
#include "uninstall/Sha256.h"
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
        : files_(files), plain_(HoldPlainFile(files, path, true, held_, state_)) {}
    ~Candidate() { files_.Release(held_); }
    Candidate(const Candidate&) = delete;
    Candidate& operator=(const Candidate&) = delete;
    // Something could be opened at the path (plain or not).
    bool Opened() const { return plain_ || state_.exists; }
    // A plain file (not a directory or a reparse point) with a single name, now held.
    bool Plain() const { return plain_; }
    std::uint64_t Size() const { return state_.size; }
    bool Read(Bytes& data) { return files_.ReadHeld(held_, data); }
    // The name goes as the handle is closed.
    bool Delete() { return files_.DeleteHeld(held_); }

private:
    IFileSystem& files_;
    HeldHandle held_ = 0;
    PathState state_;
    bool plain_;
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

class Run {
public:
    Run(Platform& platform, UninstallReport& report) : p_(platform), report_(report) {}

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
        if (!p_.ui.AskYesNo(question, UninstallText(UninstallTextId::Caption, Language())))
            return Stop(UninstallStop::Declined);

        if (!p_.files.ReadWholeFile(modulePath, ownBytes_)) ownBytes_.clear();
        // The installation runs the system's command, which makes the printer and the driver, only under
        // the model word's own name, compared as the installation compares it (case-sensitively): under
        // another name they belong to another installation.
        if (name_ == kModelWord) {
            RemovePrinters();
            RemoveDriver();
        }
        RemoveDriverFiles();
        RemoveStagedFiles(staged, modulePath);
        RemoveKey(entry.keyPath);
        RemoveProgram(modulePath);
    }

private:
    UninstallLanguage Language() { return LanguageOf(p_.system.SystemDefaultLangId()); }
    void Stop(UninstallStop stop) { report_.stop = stop; }
    void Note(RemovalKind kind, const std::string& what, RemovalOutcome outcome) {
        report_.removals.push_back(Removal{kind, what, outcome});
    }

    bool SomethingAt(const std::string& path) {
        PathState state;
        return p_.files.Inspect(path, state) && state.exists;
    }

    bool ListPrinters(std::vector<LocalPrinter>& printers) {
        std::uint32_t error = 0;
        return ListLocalPrinters(p_.spooler, printers, error) != PrinterList::Failed;
    }

    void RemovePrinters() {
        std::vector<LocalPrinter> printers;
        if (!ListPrinters(printers)) return Note(RemovalKind::Printer, kModelWord, RemovalOutcome::Failed);
        for (const LocalPrinter& printer : printers)
            if (IsInstalledPrinter(printer))
                Note(RemovalKind::Printer, printer.name,
                     p_.spooler.DeleteLocalPrinter(printer.name) ? RemovalOutcome::Removed : RemovalOutcome::Failed);
    }

    void RemoveDriver() {
        std::vector<InstalledDriver> drivers;
        if (!p_.spooler.EnumInstalledDrivers(drivers)) return Note(RemovalKind::Driver, kModelWord, RemovalOutcome::Failed);
        for (const InstalledDriver& driver : drivers) {
            if (!EqualNoCase(driver.name, kModelWord)) continue;
            if (p_.spooler.DeleteDriver(driver.name)) return Note(RemovalKind::Driver, driver.name, RemovalOutcome::Removed);
            // The spooler keeps a driver that a printer (one not of this installation) still uses.
            std::vector<LocalPrinter> printers;
            bool used = false;
            if (ListPrinters(printers))
                for (const LocalPrinter& printer : printers) used = used || EqualNoCase(printer.driver, driver.name);
            return Note(RemovalKind::Driver, driver.name, used ? RemovalOutcome::UsedByPrinter : RemovalOutcome::Failed);
        }
    }

    // The driver file set in the driver directory and its version subdirectory; a file that a driver still
    // installed names (the model word's own when it could not be removed) stays.
    void RemoveDriverFiles() {
        std::vector<InstalledDriver> drivers;
        const bool listed = p_.spooler.EnumInstalledDrivers(drivers);
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
                if (!(inVersionDir ? versionDirUsable : driverDirUsable) ||
                    !JoinPath(path, inVersionDir ? versionDir : driverDir_, file.fileName))
                    continue;
                Candidate candidate(p_.files, path);
                if (!candidate.Plain()) {
                    // Not a plain file: kept as changed. Something there that cannot be opened (in use, no
                    // access) should have gone: a failure.
                    if (candidate.Opened()) Note(RemovalKind::File, path, RemovalOutcome::Changed);
                    else if (SomethingAt(path)) Note(RemovalKind::File, path, RemovalOutcome::Failed);
                    continue;
                }
                if (!listed) Note(RemovalKind::File, path, RemovalOutcome::Failed);
                else if (named) Note(RemovalKind::File, path, RemovalOutcome::InUse);
                else Note(RemovalKind::File, path, candidate.Delete() ? RemovalOutcome::Removed : RemovalOutcome::Failed);
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
            Note(RemovalKind::File, file.path, candidate.Delete() ? RemovalOutcome::Removed : RemovalOutcome::Failed);
        }
    }

    void RemoveKey(const std::string& keyPath) {
        RegKeyHandle key = 0;
        if (!p_.registry.OpenKey(keyPath, key)) return;  // not there
        p_.registry.CloseKey(key);
        Note(RemovalKind::Key, keyPath, p_.registry.DeleteKey(keyPath) ? RemovalOutcome::Removed : RemovalOutcome::Failed);
    }

    // The running program goes at the next restart, and only as the copy in the driver directory, which only
    // administrators can change: a restart-time delete of a path in a folder every user can write (the staged
    // copy in C:\TEMP) would delete whatever is there by then. Run from there, it stays, and says so.
    void RemoveProgram(const std::string& modulePath) {
        std::string copy, staged;
        if (JoinPath(copy, driverDir_, UninstallerName(name_)) && EqualNoCase(copy, modulePath)) {
            Note(RemovalKind::Program, modulePath,
                 p_.files.RemoveAtRestart(modulePath) ? RemovalOutcome::AtRestart : RemovalOutcome::Failed);
        } else if (JoinPath(staged, kStagingDirs[0], UninstallerName(name_)) && EqualNoCase(staged, modulePath)) {
            Note(RemovalKind::Program, modulePath, RemovalOutcome::Failed);
        }
    }

    Platform& p_;
    UninstallReport& report_;
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

UninstallReport Uninstall(Platform& platform) {
    UninstallReport report;
    try {
        Run(platform, report).Go();
    } catch (...) {
        report.interrupted = true;
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
                                              UninstallTextId::Key, UninstallTextId::Program};
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

int RunUninstaller(Platform& platform) {
    const UninstallReport report = Uninstall(platform);
    if (report.stop == UninstallStop::Declined) return 2;
    bool failed = report.stop != UninstallStop::None || report.interrupted;
    for (const Removal& r : report.removals) failed = failed || r.outcome == RemovalOutcome::Failed;
    const std::uint16_t langId = platform.system.SystemDefaultLangId();
    platform.ui.ShowMessage(ReportText(report, langId), UninstallText(UninstallTextId::Caption, LanguageOf(langId)),
                            kMbOk | (failed ? kMbIconWarning : kMbIconInformation) | kMbTaskModal);
    return failed ? 1 : 0;
}
