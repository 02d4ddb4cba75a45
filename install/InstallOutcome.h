// How an installation run ended.
#pragma once

enum class InstallOutcome {
    NotRun,            // no run has ended (the wizard closed before it, or it was never started)
    Installed,         // the system's command installed the driver with this run's files, and the printer is there
    PrinterFound,      // success was shown (a printer carries the model word) without a driver this run installed
    Failed,            // staging, copying, verifying or the command did not give a printer
    NotAdministrator,  // refused before anything was touched: only an administrator can install a driver
    UnsupportedHost,   // refused before anything was touched: a 32-bit process on 64-bit Windows
};
