// The system's printer-installation command on the staged INF, the check for the printer and the result.
#include "app/globals.h"
#include "app/setup.h"
#include "install/InstallCommandText.h"

void CSetupApp::RunInstallCommand() {
    IFileSystem& files = platform_.files;
    IProcesses& processes = platform_.processes;
    ISpooler& spooler = platform_.spooler;

    files.SetCurrentDir(kStagingDir);
    const std::string systemDir = platform_.system.SystemDir();

    bool found = false;
    std::string command;
    if (InstallCommandLine(systemDir, command) &&
        processes.RunHidden(command, kInstallCommandTimeoutMs) == RunOutcome::Ended) {
        processes.Pause(kSettlePauseMs);
        // No printer at all, or a failed enumeration, means the command installed nothing.
        const std::uint32_t bytes = spooler.LocalPrintersBytesNeeded();
        std::vector<std::string> names;
        std::uint32_t lastError = 0;
        if (bytes != 0 && spooler.EnumLocalPrinters(bytes, names, lastError)) found = HasModelPrinter(names);
    }

    if (found && DefaultPrinterCommandLine(systemDir, command)) processes.StartHidden(command);
    ReportInstallResult(found);
}

void CSetupApp::ReportInstallResult(bool installed) {
    platform_.ui.ShowAppMessage(ResultMessage(installed, g_wLanguage, runLangId_));
    platform_.ui.PostQuitToMainWindow();
}
