// Making sure language tables exist next to the program.
#include "localization/LanguageProvisioning.h"

#include "install/EmbeddedStore.h"
#include "localization/LanguageChoice.h"
#include "platform/BoundedFormat.h"

namespace {

constexpr std::uint32_t kLanguageValueBuffer = 1000;

}  // namespace

std::string ProvisionLanguageTables(Platform& platform, const std::string& appDir, const std::string& settingFile,
                                    std::string language, const std::string& chosenTable) {
    IFileSystem& files = platform.files;
    IProfile& profile = platform.profile;

    // Every path below starts at the program's directory; while it is unknown nothing is searched or written.
    if (appDir.empty()) return chosenTable;

    // No word: the one recorded in the settings file.
    if (language.empty()) {
        language = "English";
        if (!settingFile.empty())
            profile.ReadString("Setting", "Language", "English", language, kLanguageValueBuffer, settingFile);
    }

    // Is there a table of the wanted language? Its presence is enough; the chosen table stays.
    bool found = false;
    std::string pattern;
    std::vector<FoundFile> entries;
    if (FormatBounded(pattern, kPathBuffer, "%sLanguage\\*.dll", appDir.c_str()) &&
        files.FindFiles(pattern, entries)) {
        for (const FoundFile& entry : entries) {
            if (entry.isDirectory || entry.name == "." || entry.name == "..") continue;
            std::string table, value;
            if (!FormatBounded(table, kPathBuffer, "%sLanguage\\%s", appDir.c_str(), entry.name.c_str()))
                continue;
            if (profile.ReadString("Setting", "Language", "", value, kLanguageValueBuffer, table) != 0 &&
                value == language) {
                found = true;
                break;
            }
        }
    }

    std::string settled = language, table = chosenTable;
    if (!found) {
        // Write the tables and run in English this time.
        const std::uint16_t langId = platform.system.SystemDefaultLangId();
        std::string languageDir;
        if (FormatBounded(languageDir, kPathBuffer, "%sLanguage", appDir.c_str())) {
            files.MakeDirectory(languageDir);
            for (const TableProvision& provision : ProvisioningPlanFor(langId)) {
                std::string path;
                if (JoinPath(path, languageDir, provision.fileName))
                    ExtractEmbeddedFile(platform, provision.entry, path, std::string(), false);
            }
        }
        if (!FormatBounded(table, kPathBuffer, "%sLanguage\\%s", appDir.c_str(), kEnglishTableFile)) table.clear();
        settled = "English";
    }

    // Recorded only once the settings file is known; at start-up it is not yet, and nothing is written.
    if (!settingFile.empty()) profile.WriteString("Setting", "Language", settled, settingFile);
    return table;
}
