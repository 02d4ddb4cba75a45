// The application object: start-up, language provisioning, embedded store, installation and clean-up.
#pragma once
#include <cstdint>
#include <string>

#include "framework/WinApp.h"
#include "install/NameLineRule.h"
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

    // Start-up (PrepareStartup), then the modal wizard; always FALSE, so the program ends with the wizard.
    BOOL InitInstance() override;
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

    // The installation run started by the progress page.
    void InstallPrinterDriver();
    void CopyToDriverDirectory(const std::string& fileName, bool failIfExists);
    void RunInstallCommand();

    // Clean-up of an earlier installation and the uninstall entry, at the start of every installation run.
    void Delete() override;
    bool DeleteDriverFile(const std::string& fileName);
    bool DeleteDriverVersionFile(const std::string& fileName);
    bool DeleteStagedFile(const std::string& fileName);
    void RemoveStaleOemInf();
    void DeletePrinterForm(const std::string& formName);

    Platform& platform() { return platform_; }

private:
    void WriteUninstallEntry(class CReg& reg, const struct UninstallEntry& entry);
    // Shows the result message of the installation in the chosen language and ends the wizard.
    void ReportInstallResult(bool installed);
    std::uint16_t runLangId_ = 0;  // system default language id read at the start of an installation run
    Platform& platform_;
    WizardRunner runWizard_ = nullptr;
};
