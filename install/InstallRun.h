// The installation run: staging of the driver files, copies into the driver directory, clean-up, then the
// system's printer-installation command and the result message.
#pragma once
#include <cstdint>
#include <string>

#include "install/HostArchitecture.h"
#include "install/InstallOutcome.h"
#include "install/PrinterPort.h"
#include "install/RunLog.h"
#include "install/StagingRecord.h"
#include "platform/Platform.h"

struct InstallInputs {
    std::string printerName;     // names the printer's driver files, the uninstaller and the uninstall entry
    int osType = 0;              // the host's release code: the column of the staging plan
    std::uint16_t language = 0;  // 0 Chinese, otherwise English: the printer's own texts and the result message
    std::string port = kDefaultPort;  // the port's text as chosen; the run refuses one ParsePrinterPort does not accept
    PortSource portSource = PortSource::Default;
    HostDriver driver = HostDriver::X86;  // the driver installed: the run sets it from the host
};

// The whole run, its steps written to log. Whatever goes wrong inside it, even an exception, ends as a failed
// installation with its message; the result message is followed by a quit message for the main window.
InstallOutcome RunInstallation(Platform& platform, const InstallInputs& inputs, RunLog& log);

// The command step (for inputs.driver): the system's command on the staged INF, through the 64-bit rundll32 for
// the x64 driver, only when staged holds it and every file it names
// as they still are on disk (held by staged, which the caller lets go only after this step); then the check
// for the printer and for the driver the command installed, the default-printer command and the result
// message (in inputs.language, for the system language langId). The printer is made on port, and a verified
// installation's uninstall entry names driverDir, the driver directory the run prepared. reported, when set,
// receives the outcome just before the message is shown.
InstallOutcome RunInstallCommand(Platform& platform, const InstallInputs& inputs, const std::string& driverDir,
                                 const PrinterPort& port, std::uint16_t langId, const StagingRecord& staged,
                                 RunLog& log, InstallOutcome* reported = nullptr);

// What the spooler has of the model word's driver after the command.
enum class DriverCheck {
    Unknown,       // the installed drivers (or the driver directory) cannot be had from the spooler
    NotInstalled,  // no driver of that name
    Verified,      // installed, and each file the command took from the staging area is in the driver
                   // directory, a plain file with one name holding exactly this run's bytes
    NotThisRuns,   // installed, but some such file is missing, elsewhere or holds other bytes
};
// The driver is looked for in the spooler's environment chosen last.
DriverCheck CheckInstalledDriver(Platform& platform, const StagingRecord& staged, HostDriver driver = HostDriver::X86);

// Shows the result message and leaves a quit message for the main window.
void ReportInstallResult(Platform& platform, bool installed, std::uint16_t language, std::uint16_t langId, RunLog& log);
