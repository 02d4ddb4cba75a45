// The application object: start-up, language provisioning, embedded store, installation and clean-up.
#pragma once
#include <cstdint>
#include <string>

#include "app/WindowGate.h"
#include "framework/WinApp.h"
#include "install/InstallOutcome.h"
#include "install/RunLog.h"
#include "install/NameLineRule.h"
#include "install/StagingRecord.h"
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
    void ReplaceNameLines(const std::string& sourcePath, const std::string& destinationPath,
                          const NameLineRule* rules, int ruleCount);

    // The installation run started by the progress page. Whatever goes wrong inside it, even an exception,
    // ends as a failed installation with its message.
    void InstallPrinterDriver();
    void CopyToDriverDirectory(const std::string& fileName, bool failIfExists);
    // The system's command on the staged INF, only when this run staged it and every file it names; then
    // the check for the printer and the result message.
    void RunInstallCommand();

    // Clean-up of an earlier installation and the uninstall entry. The installation run does the removal of
    // the earlier driver files itself, as part of replacing them, and then runs the rest (CleanUp(false)).
    void Delete() override;
    void CleanUp(bool removeDriverFiles);
    bool DeleteDriverFile(const std::string& fileName);
    bool DeleteDriverVersionFile(const std::string& fileName);
    bool DeleteStagedFile(const std::string& fileName);
    void RemoveStaleOemInf();
    void DeletePrinterForm(const std::string& formName);

    Platform& platform() { return platform_; }
    // How the last installation run ended, and its steps.
    InstallOutcome Outcome() const { return outcome_; }
    const RunLog& Log() const { return log_; }

private:
    // The installation run without its guard against exceptions.
    void RunInstallation();
    // The entry's bytes as they are written out: rewritten from the entry itself when patchNames is set.
    bool EmbeddedBytes(std::uint16_t id, bool patchNames, Bytes& raw, Bytes& out);
    // Writes an entry into the staging area the safe way and records it (the raw bytes of a rewritten
    // entry go to the scratch file); false when the entry is missing or the file could not be written.
    bool StageEmbeddedFile(std::uint16_t id, const std::string& path, bool patchNames);
    // Creates the staging directories, stages every file of the run and reads them back.
    bool StageDriverFiles(const std::string& printerName);
    // The staging directories are plain directories and every staged file still holds its bytes.
    bool StagingIntact();
    // The same for the files the system's command takes: the staged INF and every file it names.
    bool CommandFilesIntact();
    // Removes the earlier copies from the driver directory, copies the uninstaller and the driver file set
    // there and compares every copy with what was staged; on any failure puts back what was there before.
    bool ReplaceDriverDirectoryFiles(const std::string& driverDir, const std::string& printerName);
    void WriteUninstallEntry(class CReg& reg, const struct UninstallEntry& entry);
    // Shows the result message of the installation in the chosen language and ends the wizard.
    void ReportInstallResult(bool installed);
    // The step failed: logged with the system's error code of the call that failed.
    void LogFailure(const std::string& step);
    // The facts of start-up for the log.
    void LogStartup(const char* mode);
    void WriteRunLog(const std::string& path);
    std::uint16_t runLangId_ = 0;  // system default language id read at the start of an installation run
    bool running_ = false;         // an installation run is under way
    bool resultShown_ = false;     // the run has told the user its outcome
    StagingRecord staged_;         // what the current run staged
    std::string runDriverDir_;     // the driver directory the current run prepared
    InstallOutcome outcome_ = InstallOutcome::NotRun;
    RunLog log_;
    int exitCode_ = 0;
    WindowGate windows_;  // before platform_, which hands it to the engine as its user interface
    Platform platform_;
    WizardRunner runWizard_ = nullptr;
};
