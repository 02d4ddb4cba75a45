// The application object's language, store, installation and clean-up operations that start-up and the pages
// call: each passes the process-wide state to the engine function that does the work.
#include "app/globals.h"
#include "app/setup.h"
#include "install/EmbeddedStore.h"
#include "localization/LanguageProvisioning.h"
#include "system/Cleanup.h"
#include "system/Reg.h"

InstallInputs CSetupApp::Inputs() const {
    InstallInputs inputs{PrinterName(), g_nOSType, g_wLanguage};
    // The command line before the settings file before the default.
    if (!g_strPortOption.empty()) {
        inputs.port = g_strPortOption;
        inputs.portSource = PortSource::Option;
    } else if (!g_strPortSetting.empty()) {
        inputs.port = g_strPortSetting;
        inputs.portSource = PortSource::Setting;
    }
    return inputs;
}

void CSetupApp::LoadLanguage(std::string language) {
    g_strLanguageFile = ProvisionLanguageTables(platform_, g_strAppDir, g_strSettingFile, language, g_strLanguageFile);
}

bool CSetupApp::ExtractEmbeddedFile(std::uint16_t id, std::string path, bool patchNames) {
    return ::ExtractEmbeddedFile(platform_, id, path, PrinterName(), patchNames);
}

void CSetupApp::InstallPrinterDriver() {
    // A message box of the run lets the wizard's messages through; no second run starts inside this one.
    if (running_) return;
    running_ = true;
    outcome_ = RunInstallation(platform_, Inputs(), log_);
    running_ = false;
}

void CSetupApp::Delete() { ::CleanUp(platform_, PrinterName(), true, &log_); }
