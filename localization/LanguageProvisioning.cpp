// Making sure language tables exist next to the program.
#include "app/globals.h"
#include "app/setup.h"
#include "localization/LanguageChoice.h"
#include "platform/BoundedFormat.h"

namespace {

constexpr std::uint32_t kLanguageValueBuffer = 1000;

}  // namespace

void CSetupApp::LoadLanguage(std::string language) {
    IFileSystem& files = platform_.files;
    IProfile& profile = platform_.profile;

    // Every path below starts at the program's directory; while it is unknown nothing is searched or written.
    if (g_strAppDir.empty()) return;

    // No word: the one recorded in the settings file.
    if (language.empty()) {
        language = "English";
        if (!g_strSettingFile.empty())
            profile.ReadString("Setting", "Language", "English", language, kLanguageValueBuffer, g_strSettingFile);
    }

    // Is there a table of the wanted language? Its presence is enough; g_strLanguageFile stays as chosen.
    bool found = false;
    std::string pattern;
    std::vector<FoundFile> entries;
    if (FormatBounded(pattern, kPathBuffer, "%sLanguage\\*.dll", g_strAppDir.c_str()) &&
        files.FindFiles(pattern, entries)) {
        for (const FoundFile& entry : entries) {
            if (entry.isDirectory || entry.name == "." || entry.name == "..") continue;
            std::string table, value;
            if (!FormatBounded(table, kPathBuffer, "%sLanguage\\%s", g_strAppDir.c_str(), entry.name.c_str()))
                continue;
            if (profile.ReadString("Setting", "Language", "", value, kLanguageValueBuffer, table) != 0 &&
                value == language) {
                found = true;
                break;
            }
        }
    }

    std::string settled = language;
    if (!found) {
        // Write the tables and run in English this time.
        const std::uint16_t langId = platform_.system.SystemDefaultLangId();
        std::string languageDir;
        if (FormatBounded(languageDir, kPathBuffer, "%sLanguage", g_strAppDir.c_str())) {
            files.MakeDirectory(languageDir);
            for (const TableProvision& table : ProvisioningPlanFor(langId)) {
                std::string path;
                if (JoinPath(path, languageDir, table.fileName)) ExtractEmbeddedFile(table.entry, path, false);
            }
        }
        if (!FormatBounded(g_strLanguageFile, kPathBuffer, "%sLanguage\\%s", g_strAppDir.c_str(), kEnglishTableFile))
            g_strLanguageFile.clear();
        settled = "English";
    }

    // Recorded only once the settings file is known; at start-up it is not yet, and nothing is written.
    if (!g_strSettingFile.empty()) profile.WriteString("Setting", "Language", settled, g_strSettingFile);
}
