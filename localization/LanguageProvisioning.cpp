// Making sure language tables exist next to the program.
#include "localization/LanguageProvisioning.h"

#include "install/EmbeddedStore.h"
#include "localization/LanguageChoice.h"
#include "install/SafeFiles.h"
#include "platform/BoundedFormat.h"
#include "platform/ProfileText.h"

namespace {

constexpr std::uint32_t kLanguageValueBuffer = 1000;
constexpr std::uint64_t kSettingsMaxBytes = 1u << 20;  // a settings file is a few lines

// Sets [Setting] Language in the settings file as the profile call would, but never through a link: the
// file is read through a handle (a plain file with one name, or none at all), changed in memory and written
// anew by delete-then-create-new. A file that is not plain, or is far too large, is left as it is.
void RecordLanguage(IFileSystem& files, const std::string& settingFile, const std::string& language) {
    Bytes text;
    HeldHandle held = 0;
    PathState state;
    if (HoldPlainFile(files, settingFile, false, held, state)) {
        const bool read = state.size <= kSettingsMaxBytes && files.ReadHeld(held, text);
        files.Release(held);
        if (!read) return;
    } else if (!files.Inspect(settingFile, state) || state.exists) {
        return;  // something that is not a plain file, or that cannot be looked at
    }
    const Bytes before = text;
    ProfileWriteString(text, "Setting", "Language", language);
    if (text != before) ReplaceWithNewFile(files, settingFile, text);
}

}  // namespace

std::string ProvisionLanguageTables(Platform& platform, const std::string& appDir, const std::string& settingFile,
                                    std::string language, const std::string& chosenTable) {
    IFileSystem& files = platform.files;
    IProfile& profile = platform.profile;

    // Every path below starts at the program's directory; while it is unknown nothing is searched or written.
    if (appDir.empty()) return chosenTable;

    // The Language directory is held while the tables are looked for and written: a plain directory that
    // cannot become a junction meanwhile. Anything else gets no table written into it.
    std::string languageDir;
    HeldHandle heldDir = 0;
    const bool languageDirFits = FormatBounded(languageDir, kPathBuffer, "%sLanguage", appDir.c_str());
    if (languageDirFits) files.MakeDirectory(languageDir);
    const bool languageDirPlain = languageDirFits && files.HoldDirectory(languageDir, heldDir);

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
        if (languageDirPlain) {
            for (const TableProvision& provision : ProvisioningPlanFor(langId)) {
                std::string path;
                if (JoinPath(path, languageDir, provision.fileName))
                    ExtractEmbeddedFile(platform, provision.entry, path, std::string(), false);
            }
        }
        if (!FormatBounded(table, kPathBuffer, "%sLanguage\\%s", appDir.c_str(), kEnglishTableFile)) table.clear();
        settled = "English";
    }

    if (languageDirPlain) files.Release(heldDir);

    // Recorded only once the settings file is known; at start-up it is not yet, and nothing is written.
    if (!settingFile.empty()) RecordLanguage(files, settingFile, settled);
    return table;
}
