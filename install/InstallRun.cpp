// The installation run: staging of the driver files, copies into the driver directory, clean-up, then the
// system's printer-installation command.
//
// The run is elevated and the staging directory can be written by every user, so everything is staged and
// read back before anything else is touched, the driver directory is changed only as a whole (what it held
// is put back when a copy fails), and a failure anywhere ends the run with the failure message.
#include "install/InstallRun.h"

#include <iterator>

#include "install/EmbeddedStore.h"
#include "install/InstallCommandText.h"
#include "install/ModelWord.h"
#include "install/PrinterNameCheck.h"
#include "install/SafeFiles.h"
#include "install/StagingPaths.h"
#include "install/StagingPlan.h"
#include "platform/BoundedFormat.h"
#include "system/Cleanup.h"
#include "system/UninstallDetails.h"
#include "system/UninstallEntry.h"

namespace {

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

// One run: what it staged and where it copies, kept from step to step.
class InstallationRun {
public:
    InstallationRun(Platform& platform, const InstallInputs& inputs, RunLog& log, InstallOutcome& reported)
        : platform_(platform), inputs_(inputs), log_(log), reported_(reported) {
        inputs_.driver = HostDriver::X86;
    }

    InstallOutcome Run();

private:
    InstallOutcome Fail(InstallOutcome outcome = InstallOutcome::Failed) {
        ReportInstallResult(platform_, false, inputs_.language, langId_, log_);
        return outcome;
    }
    // The step's failure with the error that came with it.
    void LogFailure(const std::string& step, Status failure) { log_.Failed(step, FailedWith(failure.error).error); }
    // Writes an entry into the staging area the safe way, holds and records it (the raw bytes of a rewritten
    // entry go to the scratch file); false when the entry is missing or the file could not be written.
    bool StageEmbeddedFile(std::uint16_t id, const std::string& path, bool patchNames);
    // Creates the staging directories, stages every file of the run and reads them back.
    bool StageDriverFiles();
    // Removes the earlier copies from the driver directory, copies the uninstaller and the driver file set
    // there and compares every copy with what was staged; on any failure puts back what was there before.
    bool ReplaceDriverDirectoryFiles(const std::string& driverDir);
    // The chosen port is one of the accepted forms and the spooler lists it, or it is a network port, which
    // the run creates; false otherwise, with the reason in the log.
    bool CheckPort();
    // Creates the missing network port through the Standard TCP/IP Port monitor and records it under the
    // uninstall entry, for the uninstaller.
    bool CreatePort();
    // Where this run stages the driver file fileName (the first copy of a file staged in several places).
    bool StagedPathOf(const std::string& fileName, std::string& path) const;
    bool X64() const { return inputs_.driver == HostDriver::X64; }

    Platform& platform_;
    InstallInputs inputs_;      // with the driver this host takes
    std::vector<StagedFile> plan_;  // the driver files this run stages
    RunLog& log_;
    InstallOutcome& reported_;  // the outcome the result message tells, once it is shown
    std::uint16_t langId_ = 0;  // the system default language, read once at the start
    StagingRecord staged_;      // what this run staged, held until the run is over
    PrinterPort port_;          // the port the printer is created on
    bool portMissing_ = false;  // a network port the spooler does not list yet
};

InstallOutcome InstallationRun::Run() {
    // The system default language decides the core files and the message language for the whole run.
    langId_ = platform_.system.SystemDefaultLangId();
    const std::string& printerName = inputs_.printerName;
    log_.Add(std::string("installation: language of the printer's texts ") +
             (inputs_.language == 0 ? "Chinese" : "English"));

    // The drivers are for 32-bit Windows and for 64-bit Windows on x64 processors, and only an administrator
    // can install one: anything else would leave a half installation, so nothing is touched.
    inputs_.driver = DriverForHost(platform_.system);
    if (inputs_.driver == HostDriver::Unsupported) {
        log_.Add("host: a 32-bit program on 64-bit Windows whose processor is not x64 (or cannot tell); nothing installed");
        return Fail(InstallOutcome::UnsupportedHost);
    }
    if (X64()) log_.Add("host: a 32-bit program on 64-bit Windows on an x64 processor; the x64 driver");
    if (!platform_.system.IsAdministrator()) {
        log_.Add("host: not run by an administrator; nothing installed");
        return Fail(InstallOutcome::NotAdministrator);
    }
    platform_.spooler.UseEnvironment(EnvironmentOf(inputs_.driver));
    plan_ = X64() ? StagingPlanX64(langId_, inputs_.language, printerName)
                  : StagingPlan(inputs_.osType, langId_, inputs_.language, printerName);

    // Nothing is touched unless the driver directory is known and the printer name can form every file
    // name, path and key of the installation.
    std::string driverDir;
    const Status asked = platform_.spooler.DriverDirectory(driverDir);
    if (!asked || driverDir.empty()) {
        LogFailure("driver directory", asked ? FailedWith(kErrorPathNotFound) : asked);
        return Fail();
    }
    log_.Add("driver directory: " + driverDir);
    if (CheckPrinterName(printerName, driverDir, platform_.system.AnsiCodePage()) != PrinterNameProblem::None) {
        log_.Add("printer name: cannot form the installation's file names, paths and keys; nothing touched");
        return Fail();
    }
    if (!CheckPort()) return Fail();

    // An earlier successful installation's values in the uninstall entry go before anything changes: until
    // this run's outcome check holds, the entry says nothing of an installed version.
    if (const Status removed = RemoveUninstallDetails(platform_.registry, printerName); !removed) {
        LogFailure("uninstall entry: removing the values of an earlier installation", removed);
        log_.Add("uninstall entry: nothing touched");
        return Fail();
    }

    // Staged and read back first; then the driver directory, as a whole; then the rest of the clean-up and
    // the uninstall entry; last the system's command.
    if (!StageDriverFiles()) return Fail();
    log_.Add("staging: " + std::to_string(staged_.Count()) + " files written to C:\\TEMP and read back");
    if (!ReplaceDriverDirectoryFiles(driverDir)) {
        log_.Add("driver directory: copies failed or differ; what was there before is put back");
        return Fail();
    }
    log_.Add("driver directory: uninstaller and driver files copied and compared");
    CleanUp(platform_, printerName, false, &log_);
    // The port is made only for the printer that the system's command creates, which it does under the
    // model word's name alone.
    if (portMissing_ && printerName != kModelWord)
        log_.Add("port: " + port_.name + " not created, the command does not run under this printer name");
    else if (portMissing_ && !CreatePort())
        return Fail();
    return RunInstallCommand(platform_, inputs_, driverDir, port_, langId_, staged_, log_, &reported_);
}

bool InstallationRun::CheckPort() {
    const std::string from = std::string(" (from ") + PortSourceText(inputs_.portSource) + ")";
    if (!ParsePrinterPort(inputs_.port, port_)) {
        log_.Add("port: \"" + PortTextForLog(inputs_.port) + "\"" + from +
                 " is not one of LPTn:, COMn: (n 1 to 256), USBnnn, FILE:, IP_a.b.c.d[:port]; nothing touched");
        return false;
    }
    std::vector<std::string> ports;
    if (const Status listed = platform_.spooler.EnumPortNames(ports); !listed) {
        LogFailure("port: listing the system's ports (nothing touched)", listed);
        return false;
    }
    for (const std::string& listed : ports) {
        if (!EqualNoCase(listed, port_.name)) continue;
        log_.Add("port: " + port_.name + from + ", exists");
        return true;
    }
    if (port_.kind != PortKind::Network) {
        log_.Add("port: " + port_.name + from + " does not exist on this machine; nothing touched");
        return false;
    }
    portMissing_ = true;
    log_.Add("port: " + port_.name + from + " does not exist yet, a Standard TCP/IP port to " + port_.address + ":" +
             std::to_string(port_.portNumber) + " is created before the command");
    return true;
}

bool InstallationRun::CreatePort() {
    std::uint32_t error = 0;
    if (!platform_.spooler.AddTcpIpPort(port_.name, port_.address, port_.portNumber, error)) {
        log_.Failed("port: creating " + port_.name + " (Standard TCP/IP Port monitor)", error);
        return false;
    }
    log_.Add("port: " + port_.name + " created by this run (Standard TCP/IP, raw, " + port_.address + ":" +
             std::to_string(port_.portNumber) + ")");
    if (!RecordCreatedPort(platform_.registry, inputs_.printerName, port_.name))
        log_.Add("port: cannot be recorded under the uninstall entry; the uninstaller will leave it");
    return true;
}

bool InstallationRun::StageEmbeddedFile(std::uint16_t id, const std::string& path, bool patchNames) {
    Bytes raw, data;
    std::string destination;
    if (!EmbeddedBytes(platform_.resources, id, inputs_.printerName, patchNames, raw, data) ||
        !FormatBounded(destination, kPathBuffer, "%s", path.c_str())) {
        log_.Add("staging: store entry " + std::to_string(id) + " is missing or cannot be read");
        return false;
    }
    // The scratch file is written, never read back: nothing of it is installed, so it is not held.
    if (patchNames) {
        if (const Status written = ReplaceWithNewFile(platform_.files, kScratchFile, raw); !written) {
            LogFailure(std::string("staging: writing ") + kScratchFile, written);
            return false;
        }
    }
    const Status staged = staged_.Stage(platform_.files, destination, std::move(data));
    if (staged) return true;
    LogFailure("staging: writing " + destination, staged);
    return false;
}

bool InstallationRun::StageDriverFiles() {
    IFileSystem& files = platform_.files;
    const std::string& printerName = inputs_.printerName;
    // Each directory is held as a plain directory before anything is made inside it (below a junction it
    // would be elsewhere), and stays held until the run is over: it cannot become a junction meanwhile.
    std::vector<const char*> dirs(std::begin(kStagingDirs), std::end(kStagingDirs));
    if (X64()) dirs.assign(std::begin(kStagingDirsX64), std::end(kStagingDirsX64));
    for (const char* dir : dirs) {
        if (const Status made = files.MakeDirectory(dir); !made) LogFailure(std::string("staging: creating ") + dir, made);
        if (!staged_.HoldDirectory(files, dir)) {
            log_.Add(std::string("staging: ") + dir + " is not a plain directory (or cannot be held); nothing touched");
            return false;
        }
    }

    // The uninstaller and the INF, then the driver files for this system and language. Each replaces
    // whatever had its name.
    std::string path;
    if (!JoinPath(path, kStagingDir, UninstallerName(printerName)) ||
        !StageEmbeddedFile(kUninstallerEntry, path, false))
        return false;
    if (!JoinPath(path, kStagingDir, InfName(printerName)) ||
        !StageEmbeddedFile(X64() ? kInfX64Entry : kInfEntry, path, false))
        return false;
    // The vendor's signed catalog, when the store has one, beside the x64 INF that names it.
    if (X64() && kCatalogX64Id != 0 &&
        (!JoinPath(path, kStagingDir, kCatalogX64Name) || !StageEmbeddedFile(kCatalogX64Id, path, false)))
        return false;
    for (const StagedFile& file : plan_) {
        const std::size_t targets = file.alsoI386x86 ? 3 : 1;
        for (std::size_t i = 0; i < targets; ++i) {
            const char* dir = file.inAmd64 ? kStagingDirsX64[1] : kStagingDirs[i];
            if (!JoinPath(path, dir, file.fileName) || !StageEmbeddedFile(file.id, path, file.patchNames)) return false;
        }
    }
    if (staged_.StillIntact()) return true;
    log_.Add("staging: a staged file changed after it was written; nothing else touched");
    return false;
}

bool InstallationRun::ReplaceDriverDirectoryFiles(const std::string& driverDir) {
    IFileSystem& files = platform_.files;
    const std::string& printerName = inputs_.printerName;
    // On x64 the run stages no Unidrv core files: the driver directory's are the system's, and stay.
    std::vector<DriverFile> driverFiles;
    for (const DriverFile& file : DriverFileSet(printerName))
        if (!X64() || !IsUnidrvCoreFile(file.fileName)) driverFiles.push_back(file);
    const std::string uninstaller = UninstallerName(printerName);

    // Everything this step removes or writes, in the order removed: the driver file set (the printer's own
    // files also in the version subdirectory), then the uninstaller.
    // A file of the version subdirectory that another installed driver names is that driver's: it stays.
    // When the installed drivers cannot be listed, none of them is touched.
    std::vector<InstalledDriver> drivers;
    const bool driversListed = platform_.spooler.EnumInstalledDrivers(drivers);
    if (!driversListed) log_.Add("driver directory: the installed drivers cannot be listed; 3 is left as it is");
    const std::uint32_t codePage = platform_.system.AnsiCodePage();
    auto namedByOtherDriver = [&](const std::string& fileName) {
        for (const InstalledDriver& driver : drivers)
            if (!EqualNoCase(driver.name, kModelWord) && DriverNamesFile(driver, fileName, codePage)) return true;
        return false;
    };
    std::vector<std::string> targets;
    std::string path;
    for (const DriverFile& file : driverFiles) {
        if (!JoinPath(path, driverDir, file.fileName)) return false;
        targets.push_back(path);
        if (!file.nameDerived) continue;
        if (!FormatBounded(path, kPathBuffer, "%s\\3\\%s", driverDir.c_str(), file.fileName.c_str())) return false;
        if (!driversListed) continue;
        if (namedByOtherDriver(file.fileName)) {
            log_.Add("driver directory: " + path + " is kept, another installed driver names it");
            continue;
        }
        targets.push_back(path);
    }
    if (!JoinPath(path, driverDir, uninstaller)) return false;
    targets.push_back(path);

    std::vector<KeptFile> kept;
    for (const std::string& target : targets)
        if (!Keep(files, target, kept)) return false;

    // Only into the directory that this run prepared (and would put back): the spooler is asked again, and
    // an answer that differs (cut short, changed) stops the copies.
    std::string again;
    bool ok = platform_.spooler.DriverDirectory(again) && again == driverDir;
    for (const std::string& target : targets) ok = ok && RemoveExisting(files, target);
    if (ok) {
        std::vector<std::string> copies{uninstaller};
        for (const std::string& name : DriverCopyOrder(printerName))
            if (!X64() || !IsUnidrvCoreFile(name)) copies.push_back(name);
        // Written from the bytes this run staged, as new files (never copied from C:\TEMP by path), and read
        // back: each copy holds what this run staged, alone under its name.
        for (const std::string& name : copies) {
            std::string from, to;
            const Bytes* bytes = StagedPathOf(name, from) ? staged_.Find(from) : nullptr;
            ok = ok && bytes != nullptr && JoinPath(to, driverDir, name) && ReplaceWithNewFile(files, to, *bytes) &&
                 HoldsExactly(files, to, *bytes);
        }
    }
    if (!ok) PutBack(files, kept);
    return ok;
}

bool InstallationRun::StagedPathOf(const std::string& fileName, std::string& path) const {
    for (const StagedFile& file : plan_)
        if (file.inAmd64 && EqualNoCase(file.fileName, fileName)) return JoinPath(path, kStagingDirsX64[1], fileName);
    return JoinPath(path, kStagingDir, fileName);
}

}  // namespace

InstallOutcome RunInstallation(Platform& platform, const InstallInputs& inputs, RunLog& log) {
    InstallOutcome reported = InstallOutcome::NotRun;
    try {
        return InstallationRun(platform, inputs, log, reported).Run();
    } catch (...) {
        // Out of memory on a huge file, or anything else: the installation failed, and the user is told so,
        // unless the result had been reported already.
        log.Add("installation: stopped by an unexpected error");
        if (reported != InstallOutcome::NotRun) return reported;
        try {
            ReportInstallResult(platform, false, inputs.language, platform.system.SystemDefaultLangId(), log);
        } catch (...) {
        }
        return InstallOutcome::Failed;
    }
}

