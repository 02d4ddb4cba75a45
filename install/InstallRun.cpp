// The installation run: staging of the driver files, copies into the driver directory, clean-up, then the
// system's printer-installation command.
//
// The run is elevated and the staging directory can be written by every user, so everything is staged and
// read back before anything else is touched, the driver directory is changed only as a whole (what it held
// is put back when a copy fails), and a failure anywhere ends the run with the failure message.
#include "app/globals.h"
#include "app/setup.h"
#include "install/InstallCommandText.h"
#include "install/PrinterNameCheck.h"
#include "install/SafeFiles.h"
#include "install/StagingPlan.h"
#include "platform/BoundedFormat.h"

namespace {

// What the system's command reads from the staging area: the INF, the files of its Driver_Files section from
// the INF's directory and the two plug-ins from its x86 subdirectory (the Unidrv core files come from the
// system's own printer INF).
const char* const kCommandFiles[] = {"KX47.INF", "KX47.GPD", "ZIKU.UFM", "KX47.INI", "KX47RES.DLL", "x86\\KX47D.DLL",
                                     "x86\\KX47F.DLL"};

// A file of the driver directory as it was before the run changed it.
struct KeptFile {
    std::string path;
    bool existed = false;
    Bytes data;
};

// Reads what is at path so that it can be put back; false when it cannot be (a directory, a reparse point,
// an unreadable file): then the driver directory is not touched at all.
bool Keep(IFileSystem& files, const std::string& path, std::vector<KeptFile>& kept) {
    PathState state;
    if (!files.Inspect(path, state)) return false;
    KeptFile file{path, state.exists, {}};
    if (state.exists && (state.isDirectory || state.isReparsePoint || !files.ReadWholeFile(path, file.data)))
        return false;
    kept.push_back(file);
    return true;
}

// Everything the run put there goes first, so that its space is free for what comes back.
void PutBack(IFileSystem& files, const std::vector<KeptFile>& kept) {
    std::vector<bool> removed;
    for (const KeptFile& file : kept) removed.push_back(RemoveExisting(files, file.path));
    for (std::size_t i = 0; i < kept.size(); ++i)
        if (removed[i] && kept[i].existed) files.WriteNewFile(kept[i].path, kept[i].data);
}

}  // namespace

void CSetupApp::InstallPrinterDriver() {
    // A message box of the run lets the wizard's messages through; no second run starts inside this one.
    if (running_) return;
    running_ = true;
    resultShown_ = false;
    outcome_ = InstallOutcome::NotRun;
    try {
        RunInstallation();
    } catch (...) {
        // Out of memory on a huge file, or anything else: the installation failed, and the user is told so.
        log_.Add("installation: stopped by an unexpected error");
        if (!resultShown_) {
            try {
                ReportInstallResult(false);
            } catch (...) {
            }
        }
    }
    runDriverDir_.clear();
    running_ = false;
}

void CSetupApp::RunInstallation() {
    // The system default language decides the core files and the message language for the whole run.
    runLangId_ = platform_.system.SystemDefaultLangId();
    const std::string printerName = PrinterName();
    staged_.Clear();

    log_.Add(std::string("installation: language of the printer's texts ") + (g_wLanguage == 0 ? "Chinese" : "English"));

    // The driver is for 32-bit Windows and only an administrator can install it: anything else would leave a
    // half installation, so nothing is touched.
    if (platform_.system.RunsUnderWow64()) {
        log_.Add("host: a 32-bit program on 64-bit Windows (or cannot tell); nothing installed");
        outcome_ = InstallOutcome::UnsupportedHost;
        ReportInstallResult(false);
        return;
    }
    if (!platform_.system.IsAdministrator()) {
        log_.Add("host: not run by an administrator; nothing installed");
        outcome_ = InstallOutcome::NotAdministrator;
        ReportInstallResult(false);
        return;
    }

    // Nothing is touched unless the driver directory is known and the printer name can form every file
    // name, path and key of the installation.
    std::string driverDir;
    if (!platform_.spooler.DriverDirectory(driverDir) || driverDir.empty()) {
        LogFailure("driver directory");
        ReportInstallResult(false);
        return;
    }
    log_.Add("driver directory: " + driverDir);
    if (CheckPrinterName(printerName, driverDir, platform_.system.AnsiCodePage()) != PrinterNameProblem::None) {
        log_.Add("printer name: cannot form the installation's file names, paths and keys; nothing touched");
        ReportInstallResult(false);
        return;
    }

    // Staged and read back first; then the driver directory, as a whole; then the rest of the clean-up and
    // the uninstall entry; last the system's command.
    runDriverDir_ = driverDir;
    if (!StageDriverFiles(printerName)) {
        ReportInstallResult(false);
        return;
    }
    log_.Add("staging: " + std::to_string(staged_.Count()) + " files written to C:\\TEMP and read back");
    if (!ReplaceDriverDirectoryFiles(driverDir, printerName)) {
        log_.Add("driver directory: copies failed or differ; what was there before is put back");
        ReportInstallResult(false);
        return;
    }
    log_.Add("driver directory: uninstaller and driver files copied and compared");
    CleanUp(false);
    RunInstallCommand();
}

bool CSetupApp::StageDriverFiles(const std::string& printerName) {
    IFileSystem& files = platform_.files;
    // Each directory is looked at before anything is made inside it: below a junction it would be elsewhere.
    for (const char* dir : kStagingDirs) {
        if (!files.MakeDirectory(dir)) LogFailure(std::string("staging: creating ") + dir);
        if (!IsPlainDirectory(files, dir)) {
            log_.Add(std::string("staging: ") + dir + " is not a plain directory; nothing touched");
            return false;
        }
    }

    // The uninstaller and the INF, then the driver files for this system and language. Each replaces
    // whatever had its name.
    std::string path;
    if (!JoinPath(path, kStagingDir, UninstallerName(printerName)) ||
        !StageEmbeddedFile(kUninstallerEntry, path, false))
        return false;
    if (!JoinPath(path, kStagingDir, printerName + ".INF") || !StageEmbeddedFile(kInfEntry, path, false)) return false;
    for (const StagedFile& file : StagingPlan(g_nOSType, runLangId_, g_wLanguage, printerName)) {
        const std::size_t targets = file.alsoI386x86 ? 3 : 1;
        for (std::size_t i = 0; i < targets; ++i)
            if (!JoinPath(path, kStagingDirs[i], file.fileName) || !StageEmbeddedFile(file.id, path, file.patchNames))
                return false;
    }
    if (StagingIntact()) return true;
    log_.Add("staging: a staged file changed after it was written; nothing else touched");
    return false;
}

namespace {

bool StagingDirsPlain(IFileSystem& files) {
    for (const char* dir : kStagingDirs)
        if (!IsPlainDirectory(files, dir)) return false;
    return true;
}

}  // namespace

bool CSetupApp::CommandFilesIntact() {
    if (!StagingDirsPlain(platform_.files)) return false;
    for (const char* name : kCommandFiles) {
        std::string path;
        if (!JoinPath(path, kStagingDir, name) || !staged_.Matches(platform_.files, path, path)) return false;
    }
    return true;
}

bool CSetupApp::StagingIntact() { return StagingDirsPlain(platform_.files) && staged_.StillOnDisk(platform_.files); }

bool CSetupApp::ReplaceDriverDirectoryFiles(const std::string& driverDir, const std::string& printerName) {
    IFileSystem& files = platform_.files;
    const std::vector<DriverFile> driverFiles = DriverFileSet(printerName);
    const std::string uninstaller = UninstallerName(printerName);

    // Everything this step removes or writes, in the order removed: the driver file set (the printer's own
    // files also in the version subdirectory), then the uninstaller.
    std::vector<std::string> targets;
    std::string path;
    for (const DriverFile& file : driverFiles) {
        if (!JoinPath(path, driverDir, file.fileName)) return false;
        targets.push_back(path);
        if (!file.nameDerived) continue;
        if (!FormatBounded(path, kPathBuffer, "%s\\3\\%s", driverDir.c_str(), file.fileName.c_str())) return false;
        targets.push_back(path);
    }
    if (!JoinPath(path, driverDir, uninstaller)) return false;
    targets.push_back(path);

    std::vector<KeptFile> kept;
    for (const std::string& target : targets)
        if (!Keep(files, target, kept)) return false;

    bool ok = true;
    for (const std::string& target : targets) ok = RemoveExisting(files, target) && ok;
    if (ok) {
        std::vector<std::string> copies{uninstaller};
        for (const std::string& name : DriverCopyOrder(printerName)) copies.push_back(name);
        for (const std::string& name : copies) CopyToDriverDirectory(name, false);
        // Each copy holds what this run staged, alone under its name.
        for (const std::string& name : copies) {
            std::string from, to;
            ok = ok && JoinPath(from, kStagingDir, name) && JoinPath(to, driverDir, name) &&
                 staged_.Matches(files, from, to);
        }
    }
    if (!ok) PutBack(files, kept);
    return ok;
}

void CSetupApp::CopyToDriverDirectory(const std::string& fileName, bool failIfExists) {
    std::string driverDir, from, to;
    if (!platform_.spooler.DriverDirectory(driverDir) || driverDir.empty()) return;
    // Within a run, only into the directory that the run prepared (and would put back).
    if (!runDriverDir_.empty() && driverDir != runDriverDir_) return;
    if (!JoinPath(from, kStagingDir, fileName) || !JoinPath(to, driverDir, fileName)) return;
    platform_.files.CopyFileTo(from, to, failIfExists);
}
