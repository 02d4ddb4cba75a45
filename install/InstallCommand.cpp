// The system's printer-installation command on the staged INF, the check for the printer and the result.
#include "app/globals.h"
#include "app/setup.h"
#include "install/InstallCommandText.h"
#include "system/PrinterMatch.h"

namespace {

// Whether some local printer carries the model word; a failed enumeration or no printer at all means none.
bool ModelPrinterExists(ISpooler& spooler) {
    std::vector<std::string> names;
    std::uint32_t lastError = 0;
    return ListLocalPrinters(spooler, names, lastError) == PrinterList::Listed && HasModelPrinter(names);
}

}  // namespace

void CSetupApp::RunInstallCommand() {
    IFileSystem& files = platform_.files;
    IProcesses& processes = platform_.processes;

    files.SetCurrentDir(kStagingDir);
    const std::string systemDir = platform_.system.SystemDir();

    // The command installs C:\TEMP\KX47.INF and the files it names, as SYSTEM. It runs only on files that
    // this run staged and that still hold exactly what it staged; under another printer name this run
    // staged none of them, and the printer check alone decides.
    bool found = false;
    std::string command;
    if (PrinterName() != kModelWord) {
        log_.Add("command: not run, this run staged no files of the printer it installs");
        found = ModelPrinterExists(platform_.spooler);
    } else if (staged_.Empty() || !CommandFilesIntact()) {
        log_.Add("command: not run, a staged file it takes changed");
    } else if (!InstallCommandLine(systemDir, command)) {
        log_.Add("command: not run, the system directory is unknown");
    } else {
        log_.Add("command: " + command);
        const RunOutcome ran = processes.RunHidden(command, kInstallCommandTimeoutMs);
        if (ran == RunOutcome::Ended) {
            processes.Pause(kSettlePauseMs);
            found = ModelPrinterExists(platform_.spooler);
        } else if (ran == RunOutcome::TimedOut) {
            log_.Add("command: did not end in time");
        } else {
            LogFailure("command: starting it");
        }
    }
    log_.Add(std::string("printer ") + kModelWord + (found ? ": installed" : ": not there after the command"));

    if (found && DefaultPrinterCommandLine(systemDir, command)) {
        if (processes.StartHidden(command))
            log_.Add("default printer: " + command);
        else
            LogFailure("default printer: starting " + command);
    }
    ReportInstallResult(found);
}

void CSetupApp::ReportInstallResult(bool installed) {
    resultShown_ = true;
    if (installed)
        outcome_ = InstallOutcome::Installed;
    else if (outcome_ == InstallOutcome::NotRun)
        outcome_ = InstallOutcome::Failed;
    log_.Add(installed ? "result: installed" : "result: not installed");
    platform_.ui.ShowAppMessage(ResultMessage(installed, g_wLanguage, runLangId_));
    platform_.ui.PostQuitToMainWindow();
}

void CSetupApp::LogFailure(const std::string& step) { log_.Failed(step, platform_.system.LastError()); }
