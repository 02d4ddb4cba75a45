#include "uninstall/Uninstaller.h"

#include <array>

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
bool StagedPaths(const std::string& printerName, std::vector<StagedPath>& paths) {
    paths.clear();
    std::string path;
    if (!JoinPath(path, kStagingDirs[0], UninstallerName(printerName))) return false;
    paths.push_back(StagedPath{path, {}, false, true});
    if (!JoinPath(path, kStagingDirs[0], InfName(printerName))) return false;
    paths.push_back(StagedPath{path, {kInfEntry}, false, false});
    paths.push_back(StagedPath{kScratchFile, {}, true, false});
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

// The file name at the end of a path, split at the last backslash that is a character of its own.
std::string FileNameOf(const std::string& path, std::uint32_t codePage) {
    const std::size_t at = LastPathSeparator(path, codePage);
    return at == std::string::npos ? path : path.substr(at + 1);
}

// A plain file is there (not a directory or a reparse point); state tells whether anything is and its links.
bool PlainFileAt(IFileSystem& files, const std::string& path, PathState& state) {
    if (!files.Inspect(path, state)) state = PathState{};
    return state.exists && !state.isDirectory && !state.isReparsePoint;
}

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
        if (p_.system.RunsUnderWow64()) return Stop(UninstallStop::Wow64);
        if (!p_.spooler.DriverDirectory(driverDir_) || driverDir_.empty()) return Stop(UninstallStop::NoDriverDirectory);
        // A name the installation refuses never named an installation: nothing is formed from it.
        std::vector<StagedPath> staged;
        UninstallEntry entry;
        if (CheckPrinterName(name_, driverDir_, codePage_) != PrinterNameProblem::None || !StagedPaths(name_, staged) ||
            !BuildUninstallEntry(name_, std::string(), entry))
            return Stop(UninstallStop::WrongName);

        std::string question = UninstallText(UninstallTextId::Question, Language());
        const std::size_t at = question.find("{name}");
        if (at != std::string::npos) question.replace(at, 6, name_);
        if (!p_.ui.AskYesNo(question, UninstallText(UninstallTextId::Caption, Language())))
            return Stop(UninstallStop::Declined);

        if (!p_.files.ReadWholeFile(modulePath, ownBytes_)) ownBytes_.clear();
        // The installation runs the system's command, which makes the printer and the driver, only under
        // the model word's own name: under another name they belong to another installation.
        if (EqualNoCase(name_, kModelWord)) {
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
        std::string versionDir;
        const bool versionDirUsable = FormatBounded(versionDir, kPathBuffer, "%s\\3", driverDir_.c_str()) &&
                                      IsPlainDirectory(p_.files, versionDir);
        for (const DriverFile& file : DriverFileSet(name_)) {
            bool named = false;
            for (const InstalledDriver& driver : drivers)
                for (const std::string& used : driver.files) named = named || EqualNoCase(FileNameOf(used, codePage_), file.fileName);
            for (int inVersionDir = 0; inVersionDir < 2; ++inVersionDir) {
                std::string path;
                PathState state;
                if ((inVersionDir && !versionDirUsable) ||
                    !JoinPath(path, inVersionDir ? versionDir : driverDir_, file.fileName))
                    continue;
                if (!PlainFileAt(p_.files, path, state)) {
                    if (state.exists) Note(RemovalKind::File, path, RemovalOutcome::Changed);
                    continue;
                }
                if (!listed) Note(RemovalKind::File, path, RemovalOutcome::Failed);
                else if (named) Note(RemovalKind::File, path, RemovalOutcome::InUse);
                else Note(RemovalKind::File, path, RemoveExisting(p_.files, path) ? RemovalOutcome::Removed : RemovalOutcome::Failed);
            }
        }
    }

    // The staged files that hold exactly what the installation wrote there, and the uninstaller's copy in the
    // driver directory when it is not the running program.
    void RemoveStagedFiles(std::vector<StagedPath> staged, const std::string& modulePath) {
        std::string copy;
        if (JoinPath(copy, driverDir_, UninstallerName(name_))) staged.push_back(StagedPath{copy, {}, false, true});
        bool plain[3];
        for (int i = 0; i < 3; ++i) plain[i] = IsPlainDirectory(p_.files, kStagingDirs[i]);
        for (const StagedPath& file : staged) {
            if (EqualNoCase(file.path, modulePath)) continue;  // itself: last, at the next restart
            bool inPlainDir = file.path == copy;
            for (int i = 0; i < 3; ++i)
                inPlainDir = inPlainDir || (plain[i] && EqualNoCase(file.path.substr(0, LastPathSeparator(file.path, codePage_)), kStagingDirs[i]));
            if (!inPlainDir) continue;  // below a junction or a link it would be elsewhere
            PathState state;
            if (!PlainFileAt(p_.files, file.path, state)) {
                if (state.exists) Note(RemovalKind::File, file.path, RemovalOutcome::Changed);
                continue;
            }
            Bytes data;
            if (state.links != 1 || !p_.files.ReadWholeFile(file.path, data) ||
                !IsWhatWasStaged(file, data, ownBytes_, name_)) {
                Note(RemovalKind::File, file.path, RemovalOutcome::Changed);
                continue;
            }
            Note(RemovalKind::File, file.path, RemoveExisting(p_.files, file.path) ? RemovalOutcome::Removed : RemovalOutcome::Failed);
        }
    }

    void RemoveKey(const std::string& keyPath) {
        RegKeyHandle key = 0;
        if (!p_.registry.OpenKey(keyPath, key)) return;  // not there
        p_.registry.CloseKey(key);
        Note(RemovalKind::Key, keyPath, p_.registry.DeleteKey(keyPath) ? RemovalOutcome::Removed : RemovalOutcome::Failed);
    }

    // The running program goes at the next restart, and only from where the installation put it.
    void RemoveProgram(const std::string& modulePath) {
        std::string copy, staged;
        const bool installed = (JoinPath(copy, driverDir_, UninstallerName(name_)) && EqualNoCase(copy, modulePath)) ||
                               (JoinPath(staged, kStagingDirs[0], UninstallerName(name_)) && EqualNoCase(staged, modulePath));
        if (!installed) return;
        Note(RemovalKind::Program, modulePath,
             p_.files.RemoveAtRestart(modulePath) ? RemovalOutcome::AtRestart : RemovalOutcome::Failed);
    }

    Platform& p_;
    UninstallReport& report_;
    std::string name_, driverDir_;
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
