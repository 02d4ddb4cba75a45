// The application object and the start-up steps that run before the wizard.
#include "app/setup.h"

#include <algorithm>
#include <cstring>

#include "app/globals.h"
#include "localization/LanguageChoice.h"
#include "platform/BoundedFormat.h"
#include "platform/DbcsText.h"

namespace {

constexpr std::uint16_t kSettingsEntry = 148;
constexpr const char* kDefaultPrinterName = "KX47";

}  // namespace

CSetupApp::CSetupApp(WizardRunner runWizard) : CWinApp(nullptr), platform_(HostPlatform()), runWizard_(runWizard) {}

CSetupApp::CSetupApp(Platform& platform, WizardRunner runWizard)
    : CWinApp(nullptr), platform_(platform), runWizard_(runWizard) {}

BOOL CSetupApp::InitInstance() {
    PrepareStartup();
    if (runWizard_ != nullptr) runWizard_(*this);
    return FALSE;
}

void CSetupApp::PrepareStartup() {
    g_strAppDir.clear();
    g_strLanguageFile.clear();
    g_strSettingFile.clear();
    std::memset(g_szPrinterName, 0, sizeof g_szPrinterName);

    // The program's directory, up to and including the last backslash. A module path that is empty (cut
    // short by its buffer) or has no backslash leaves the directory unknown: the program then writes nothing
    // rather than fall back to the current directory, which for an elevated program may be System32. The
    // path is in the system code page, where 0x5C can be the second byte of a character ("功" is A5 5C).
    const std::string module = platform_.system.ModulePath();
    const std::size_t slash = LastPathSeparator(module, platform_.system.AnsiCodePage());
    std::string name = kDefaultPrinterName;
    if (slash != std::string::npos) {
        g_strAppDir = module.substr(0, slash + 1);

        // The Language directory; it usually exists already.
        std::string languageDir;
        const bool languageDirFits = FormatBounded(languageDir, kPathBuffer, "%sLanguage", g_strAppDir.c_str());
        if (languageDirFits) platform_.files.MakeDirectory(languageDir);

        // The table that suits the system's default language; LoadLanguage keeps it when the tables are present.
        const std::uint16_t langId = platform_.system.SystemDefaultLangId();
        if (!languageDirFits || !JoinPath(g_strLanguageFile, languageDir, LanguageTableFileFor(langId)))
            g_strLanguageFile.clear();
        LoadLanguage(LanguageWordFor(langId));

        // The settings file, written from the store only when there is nothing at its path.
        if (!FormatBounded(g_strSettingFile, kPathBuffer, "%ssetting.dll", g_strAppDir.c_str()))
            g_strSettingFile.clear();
        if (!g_strSettingFile.empty()) {
            std::vector<FoundFile> found;
            if (!platform_.files.FindFiles(g_strSettingFile, found))
                ExtractEmbeddedFile(kSettingsEntry, g_strSettingFile, false);
            platform_.profile.ReadString("Setting", "PrinterName", kDefaultPrinterName, name,
                                         static_cast<std::uint32_t>(kPathBuffer), g_strSettingFile);
        }
    }

    // The printer name, at most 259 characters.
    std::memcpy(g_szPrinterName, name.data(), std::min(name.size(), kPathBuffer - 1));
}
