// The system's printer-installation command on the staged INF, the check for the printer and the result.
#include <iterator>

#include "install/DriverFiles.h"
#include "install/InstallCommandText.h"
#include "install/InstallRun.h"
#include "install/ModelWord.h"
#include "install/SafeFiles.h"
#include "install/StagingPaths.h"
#include "install/StagingRecord.h"
#include "platform/BoundedFormat.h"
#include "platform/DbcsText.h"
#include "resources/StoreEntries.h"
#include "system/PrinterMatch.h"
#include "system/UninstallDetails.h"

namespace {

// What the system's command reads from the staging area: the INF, the files of its Driver_Files section from
// the INF's directory and the two plug-ins from its x86 (or, for the x64 driver, amd64) subdirectory (the
// Unidrv core files come from the system's own printer INF).
const char* const kCommandFiles[] = {"KX47.INF", "KX47.GPD", "ZIKU.UFM", "KX47.INI", "KX47RES.DLL", "x86\\KX47D.DLL",
                                     "x86\\KX47F.DLL"};
const char* const kCommandFilesX64[] = {"KX47.INF",    "KX47.GPD",           "ZIKU.UFM",          "KX47.INI",
                                        "KX47RES.DLL", "amd64\\KX47D.DLL", "amd64\\KX47F.DLL"};

std::vector<const char*> CommandFiles(HostDriver driver) {
    if (driver == HostDriver::X64) return std::vector<const char*>(std::begin(kCommandFilesX64), std::end(kCommandFilesX64));
    return std::vector<const char*>(std::begin(kCommandFiles), std::end(kCommandFiles));
}

// The directory of the rundll32 that runs the commands, and whether the install command starts with the WOW64
// file system redirection off. For the x64 driver it is the 64-bit one: a 32-bit process reaches the 64-bit
// system directory as %windir%\Sysnative (Vista and later); where that is missing (XP x64, Server 2003 x64),
// the system directory with the redirection off while the command starts. The default-printer command, which
// is the same from either program, then runs the 32-bit one. False when the directory is unknown.
bool CommandDirectory(Platform& platform, HostDriver driver, std::string& dir, bool& native) {
    native = false;
    dir.clear();
    if (driver == HostDriver::X64) {
        const std::string windowsDir = platform.system.WindowsDir();
        std::string sysnative, program;
        PathState state;
        if (!windowsDir.empty() && JoinPath(sysnative, windowsDir, "Sysnative") &&
            JoinPath(program, sysnative, "rundll32.exe") && platform.files.Inspect(program, state) && state.exists &&
            !state.isDirectory) {
            dir = sysnative;
            return true;
        }
        native = true;
    }
    dir = platform.system.SystemDir();
    return !dir.empty();
}

// Whether some local printer carries the model word; a failed enumeration or no printer at all means none.
bool ModelPrinterExists(ISpooler& spooler) {
    std::vector<std::string> names;
    std::uint32_t lastError = 0;
    return ListLocalPrinters(spooler, names, lastError) == PrinterList::Listed && HasModelPrinter(names);
}

// This run staged the INF and every file it names, and they still hold what it staged (they are held: the
// directories cannot have moved, the files cannot have changed, and their bytes are read through the handles).
bool CommandFilesIntact(const StagingRecord& staged, HostDriver driver) {
    std::vector<const char*> names = CommandFiles(driver);
    if (driver == HostDriver::X64 && kCatalogX64Id != 0) names.push_back(kCatalogX64Name);  // the INF names it
    for (const char* name : names) {
        std::string path;
        if (!JoinPath(path, kStagingDir, name) || staged.Find(path) == nullptr) return false;
    }
    return staged.StillIntact();
}

// Whether path lies below dir (ASCII letters compared without regard to case), with no ".." on the way.
bool InsideDirectory(const std::string& path, const std::string& dir) {
    return path.size() > dir.size() + 1 && EqualNoCase(path.substr(0, dir.size()), dir) && path[dir.size()] == '\\' &&
           path.find("..") == std::string::npos;
}

// The uninstall entry's values of an installation (into driverDir) whose outcome check held. Its size: what it
// staged and what it copied from there into the driver directory.
void AddUninstallDetails(Platform& platform, const std::string& printerName, const std::string& driverDir,
                         const StagingRecord& staged, RunLog& log) {
    std::uint64_t bytes = staged.TotalBytes();
    std::vector<std::string> copies{UninstallerName(printerName)};
    for (const std::string& name : DriverCopyOrder(printerName)) copies.push_back(name);
    for (const std::string& name : copies) {
        std::string path;
        const Bytes* copied = JoinPath(path, kStagingDir, name) ? staged.Find(path) : nullptr;
        if (copied != nullptr) bytes += copied->size();
    }
    const Status added = WriteUninstallDetails(platform.registry, printerName, driverDir, bytes);
    if (added)
        log.Add(std::string("uninstall entry: version ") + ProductVersionText() + ", quiet removal and size added");
    else
        log.Failed("uninstall entry: adding the version, quiet removal and size", added.error);
}

}  // namespace

DriverCheck CheckInstalledDriver(Platform& platform, const StagingRecord& staged, HostDriver hostDriver) {
    std::vector<InstalledDriver> drivers;
    std::string driverDir;
    if (!platform.spooler.EnumInstalledDrivers(drivers) || !platform.spooler.DriverDirectory(driverDir) ||
        driverDir.empty())
        return DriverCheck::Unknown;
    const std::uint32_t codePage = platform.system.AnsiCodePage();
    for (const InstalledDriver& driver : drivers) {
        if (!EqualNoCase(driver.name, kModelWord)) continue;
        // Every file the INF has the command install from the staging area is one of the driver's files, in
        // the driver directory, holding exactly what this run staged.
        for (const char* name : CommandFiles(hostDriver)) {
            const std::string fileName = FileNameOf(name, codePage);
            if (EqualNoCase(fileName, InfName(kModelWord))) continue;  // the INF itself is not a driver file
            std::string stagedPath;
            const Bytes* bytes = JoinPath(stagedPath, kStagingDir, name) ? staged.Find(stagedPath) : nullptr;
            bool named = false, holds = bytes != nullptr;
            for (const std::string& installed : driver.files) {
                if (!EqualNoCase(FileNameOf(installed, codePage), fileName)) continue;
                named = true;
                holds = holds && InsideDirectory(installed, driverDir) && HoldsExactly(platform.files, installed, *bytes);
            }
            if (!named || !holds) return DriverCheck::NotThisRuns;
        }
        return DriverCheck::Verified;
    }
    return DriverCheck::NotInstalled;
}

InstallOutcome RunInstallCommand(Platform& platform, const InstallInputs& inputs, const std::string& driverDir,
                                 const PrinterPort& port, std::uint16_t langId, const StagingRecord& staged,
                                 RunLog& log, InstallOutcome* reported) {
    IProcesses& processes = platform.processes;
    platform.files.SetCurrentDir(kStagingDir);
    std::string programDir;
    bool native = false;
    const bool programKnown = CommandDirectory(platform, inputs.driver, programDir, native);

    // The command installs C:\TEMP\KX47.INF and the files it names, as SYSTEM. It runs only on files that
    // this run staged and that still hold exactly what it staged; under another printer name this run
    // staged none of them, and the printer check alone decides.
    bool found = false, ran = false;
    DriverCheck driver = DriverCheck::Unknown;
    std::string command;
    if (inputs.printerName != kModelWord) {
        log.Add("command: not run, this run staged no files of the printer it installs");
        found = ModelPrinterExists(platform.spooler);
    } else if (staged.Empty() || !CommandFilesIntact(staged, inputs.driver)) {
        log.Add("command: not run, a staged file it takes changed");
    } else if (!programKnown || !InstallCommandLine(programDir, command, port.name)) {
        log.Add("command: not run, the system directory is unknown");
    } else {
        log.Add("command: " + command + (native ? " (started with the file system redirection off)" : ""));
        // The staged files stay held while it runs: what it reads is what was verified. A command that
        // outlives its limit has been ended before anything is let go.
        std::uint32_t startError = 0;
        const RunOutcome outcome = native ? processes.RunHiddenNative(command, kInstallCommandTimeoutMs, startError)
                                          : processes.RunHidden(command, kInstallCommandTimeoutMs, startError);
        if (outcome == RunOutcome::Ended) {
            ran = true;
            processes.Pause(kSettlePauseMs);
            found = ModelPrinterExists(platform.spooler);
        } else if (outcome == RunOutcome::TimedOut) {
            log.Add("command: did not end in time and was ended");
        } else {
            log.Failed("command: starting it", FailedWith(startError).error);
        }
    }
    log.Add(std::string("printer ") + kModelWord + (found ? ": installed" : ": not there after the command"));
    if (ran) {
        // Not a name but the outcome: the model word's driver with this run's bytes in the driver directory.
        driver = CheckInstalledDriver(platform, staged, inputs.driver);
        static const char* const kDriverLines[] = {
            "the installed drivers cannot be listed", "not installed", "installed with this run's files",
            "installed, but with files that are not this run's"};
        log.Add(std::string("driver ") + kModelWord + ": " + kDriverLines[static_cast<int>(driver)]);
        // An installed driver whose files are not what this run verified is a failed installation, whatever
        // printer there is.
        if (driver == DriverCheck::NotThisRuns) found = false;
    }

    if (found && DefaultPrinterCommandLine(native ? platform.system.SystemDir() : programDir, command)) {
        if (const Status started = processes.StartHidden(command))
            log.Add("default printer: " + command);
        else
            log.Failed("default printer: starting " + command, started.error);
    }
    const InstallOutcome outcome = !found                             ? InstallOutcome::Failed
                                   : driver == DriverCheck::Verified ? InstallOutcome::Installed
                                                                     : InstallOutcome::PrinterFound;
    if (outcome == InstallOutcome::Installed) AddUninstallDetails(platform, inputs.printerName, driverDir, staged, log);
    if (reported != nullptr) *reported = outcome;
    ReportInstallResult(platform, found, inputs.language, langId, log);
    return outcome;
}

void ReportInstallResult(Platform& platform, bool installed, std::uint16_t language, std::uint16_t langId, RunLog& log) {
    log.Add(installed ? kResultInstalled : kResultNotInstalled);
    platform.ui.ShowAppMessage(ResultMessage(installed, language, langId));
    platform.ui.PostQuitToMainWindow();
}
