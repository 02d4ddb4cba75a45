// The system's printer-installation command on the staged INF, the check for the printer and the result.
#include "install/InstallCommandText.h"
#include "install/InstallRun.h"
#include "install/ModelWord.h"
#include "install/SafeFiles.h"
#include "install/StagingPaths.h"
#include "install/StagingRecord.h"
#include "platform/BoundedFormat.h"
#include "system/PrinterMatch.h"

namespace {

// What the system's command reads from the staging area: the INF, the files of its Driver_Files section from
// the INF's directory and the two plug-ins from its x86 subdirectory (the Unidrv core files come from the
// system's own printer INF).
const char* const kCommandFiles[] = {"KX47.INF", "KX47.GPD", "ZIKU.UFM", "KX47.INI", "KX47RES.DLL", "x86\\KX47D.DLL",
                                     "x86\\KX47F.DLL"};

// Whether some local printer carries the model word; a failed enumeration or no printer at all means none.
bool ModelPrinterExists(ISpooler& spooler) {
    std::vector<std::string> names;
    std::uint32_t lastError = 0;
    return ListLocalPrinters(spooler, names, lastError) == PrinterList::Listed && HasModelPrinter(names);
}

// The staging directories are plain directories and the staged INF and every file it names still hold what
// this run staged.
bool CommandFilesIntact(IFileSystem& files, const StagingRecord& staged) {
    if (!StagingDirectoriesPlain(files)) return false;
    for (const char* name : kCommandFiles) {
        std::string path;
        if (!JoinPath(path, kStagingDir, name) || !staged.Matches(files, path, path)) return false;
    }
    return true;
}

}  // namespace

InstallOutcome RunInstallCommand(Platform& platform, const InstallInputs& inputs, std::uint16_t langId,
                                 const StagingRecord& staged, RunLog& log) {
    IProcesses& processes = platform.processes;
    platform.files.SetCurrentDir(kStagingDir);
    const std::string systemDir = platform.system.SystemDir();

    // The command installs C:\TEMP\KX47.INF and the files it names, as SYSTEM. It runs only on files that
    // this run staged and that still hold exactly what it staged; under another printer name this run
    // staged none of them, and the printer check alone decides.
    bool found = false;
    std::string command;
    if (inputs.printerName != kModelWord) {
        log.Add("command: not run, this run staged no files of the printer it installs");
        found = ModelPrinterExists(platform.spooler);
    } else if (staged.Empty() || !CommandFilesIntact(platform.files, staged)) {
        log.Add("command: not run, a staged file it takes changed");
    } else if (!InstallCommandLine(systemDir, command)) {
        log.Add("command: not run, the system directory is unknown");
    } else {
        log.Add("command: " + command);
        const RunOutcome ran = processes.RunHidden(command, kInstallCommandTimeoutMs);
        if (ran == RunOutcome::Ended) {
            processes.Pause(kSettlePauseMs);
            found = ModelPrinterExists(platform.spooler);
        } else if (ran == RunOutcome::TimedOut) {
            log.Add("command: did not end in time");
        } else {
            log.Failed("command: starting it", platform.system.LastError());
        }
    }
    log.Add(std::string("printer ") + kModelWord + (found ? ": installed" : ": not there after the command"));

    if (found && DefaultPrinterCommandLine(systemDir, command)) {
        if (processes.StartHidden(command))
            log.Add("default printer: " + command);
        else
            log.Failed("default printer: starting " + command, platform.system.LastError());
    }
    ReportInstallResult(platform, found, inputs.language, langId, log);
    return found ? InstallOutcome::Installed : InstallOutcome::Failed;
}

void ReportInstallResult(Platform& platform, bool installed, std::uint16_t language, std::uint16_t langId, RunLog& log) {
    log.Add(installed ? kResultInstalled : kResultNotInstalled);
    platform.ui.ShowAppMessage(ResultMessage(installed, language, langId));
    platform.ui.PostQuitToMainWindow();
}
