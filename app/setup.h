// The application object: start-up, language provisioning, embedded store, installation and clean-up.
#pragma once
#include <cstdint>
#include <string>

#include "app/WindowGate.h"
#include "framework/WinApp.h"
#include "install/InstallOutcome.h"
#include "install/InstallRun.h"
#include "install/RunLog.h"
#include "platform/Platform.h"

class CSetupApp;

// Builds the wizard window with its four pages and runs it modally; the Windows build supplies it.
using WizardRunner = void (*)(CSetupApp& app);

class CSetupApp : public CWinApp {
public:
    // The host's platform by default; tests pass an in-memory Windows. Without a wizard runner start-up
    // prepares the program's files and ends.
    explicit CSetupApp(WizardRunner runWizard = nullptr);
    explicit CSetupApp(Platform& platform, WizardRunner runWizard = nullptr);

    // Reads the command line; then start-up (PrepareStartup) and the modal wizard, or, with /quiet, the
    // installation run with no window at all; then the log, if one was asked for. Always FALSE, so the program
    // ends with the wizard or the run.
    BOOL InitInstance() override;
    // 0 after the wizard; after an unattended run, the code of its outcome; 87 for bad options.
    int ExitInstance() override { return exitCode_; }
    // Start-up steps up to reading the printer name: program directory, Language directory, language table
    // choice and provisioning, settings file, printer name.
    void PrepareStartup();

    // Language tables in <program dir>Language; see the provisioning plan.
    void LoadLanguage(std::string language);
    // Writes store entry id to path; patchNames rewrites the name-bearing lines. False when the entry is absent
    // or not loadable, or when the destination could not be written.
    bool ExtractEmbeddedFile(std::uint16_t id, std::string path, bool patchNames);

    // The installation run started by the progress page (or by /quiet), on the printer name, the host's
    // release code and the language choice. Whatever goes wrong inside it, even an exception, ends as a failed
    // installation with its message. A run does not start inside another one.
    void InstallPrinterDriver();

    // Clean-up of an earlier installation and the uninstall entry.
    void Delete() override;

    Platform& platform() { return platform_; }
    // How the last installation run ended, and its steps.
    InstallOutcome Outcome() const { return outcome_; }
    const RunLog& Log() const { return log_; }

private:
    // The facts of start-up for the log.
    void LogStartup(const char* mode);
    // What the run works on, from the process-wide state.
    InstallInputs Inputs() const;
    bool running_ = false;  // an installation run is under way
    InstallOutcome outcome_ = InstallOutcome::NotRun;
    RunLog log_;
    int exitCode_ = 0;
    WindowGate windows_;  // before platform_, which hands it to the engine as its user interface
    Platform platform_;
    WizardRunner runWizard_ = nullptr;
};
