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
        found = ModelPrinterExists(platform_.spooler);
    } else if (!staged_.Empty() && CommandFilesIntact() && InstallCommandLine(systemDir, command) &&
               processes.RunHidden(command, kInstallCommandTimeoutMs) == RunOutcome::Ended) {
        processes.Pause(kSettlePauseMs);
        found = ModelPrinterExists(platform_.spooler);
    }

    if (found && DefaultPrinterCommandLine(systemDir, command)) processes.StartHidden(command);
    ReportInstallResult(found);
}

void CSetupApp::ReportInstallResult(bool installed) {
    resultShown_ = true;
    platform_.ui.ShowAppMessage(ResultMessage(installed, g_wLanguage, runLangId_));
    platform_.ui.PostQuitToMainWindow();
}
