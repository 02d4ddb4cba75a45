// The uninstaller: removes what an installation of the printer driver put on the machine, and nothing else.
//
// It takes the printer name from its own file name (uninstall<name>.exe), asks once, then removes the
// printers the installation made and the model word's driver (under the model word's name only: the
// installation runs the system's command under no other), the driver files no other installed driver
// names, the staged files that still hold what the installation wrote, the uninstall entry and, at the next
// restart, itself; and the network port the installation created, when no printer uses it any more.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "install/RunLog.h"
#include "platform/Platform.h"

// The printer name in an uninstaller's file name "uninstall<name>.exe" (its letters in any case); false for
// any other form and for an empty name.
bool PrinterNameFromProgramName(const std::string& fileName, std::string& printerName);

// A printer the installation's command made: named by the model word or one of its "(Copy n)" forms, and
// driven by the model word's driver (names without regard to case).
bool IsInstalledPrinter(const LocalPrinter& printer);

enum class RemovalKind { Printer, Driver, File, Key, Program, Port };
enum class RemovalOutcome {
    Removed,
    AtRestart,      // removed when the system restarts (the running program itself)
    InUse,          // kept: another installed driver names the file
    UsedByPrinter,  // kept: a printer still uses the driver (or the port)
    Changed,        // kept: not what the installation wrote
    Failed,         // it should have gone, and the system refused
};
struct Removal {
    RemovalKind kind;
    std::string what;  // a printer or driver name, a full path, a key below HKEY_LOCAL_MACHINE
    RemovalOutcome outcome;
};

enum class UninstallStop { None, WrongName, NotAdministrator, Wow64, NoDriverDirectory, Declined };

struct UninstallReport {
    UninstallStop stop = UninstallStop::None;
    std::vector<Removal> removals;  // in the order done
    bool interrupted = false;       // an exception ended the removal (out of memory): it is incomplete
};

// The whole removal, the question included unless ask is false (then it is taken as Yes); shows nothing
// else. Each refusal and removal goes to log, when set, as it happens. Never throws.
UninstallReport Uninstall(Platform& platform, bool ask = true, RunLog* log = nullptr);

// The report as the user reads it, in the system's language (GBK on 0x0804, Big5 on the other Chinese ids,
// English otherwise).
std::string ReportText(const UninstallReport& report, std::uint16_t langId);

// The exit code of a run without windows: 0 everything removed (the program itself at the next restart
// included), 3010 removed once the system restarts, 1603 something that should have gone was kept (a removal
// failed, a printer still uses the driver) or the removal stopped, 740 not an administrator, 1633 64-bit
// Windows.
int QuietExitCode(const UninstallReport& report);

// The program's run on its command line (after the program name). Without options: Uninstall, then the
// report in a message box (nothing after a No), exit code 0 when nothing failed, 1 when the program refused
// or a removal failed, 2 after a No. /quiet: no window at all and QuietExitCode. /log=<path>: the run's steps
// written to the file as they happen, headed by the version, the local time and the command line. /?: the
// options in a message box (in the log with /quiet), exit 0. Bad options: 87, nothing removed, and a run
// with windows says which option in a box.
int RunUninstaller(Platform& platform, const std::string& commandLine = std::string());
