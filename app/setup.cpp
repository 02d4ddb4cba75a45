// The application object and the start-up steps that run before the wizard.
#include "app/setup.h"

#include <algorithm>
#include <cstring>

#include "app/CommandLine.h"
#include "app/globals.h"
#include "install/SafeFiles.h"
#include "localization/LanguageChoice.h"
#include "platform/BoundedFormat.h"
#include "platform/DbcsText.h"
#include "resources/StoreEntries.h"
#include "system/UninstallDetails.h"

namespace {

constexpr const char* kDefaultPrinterName = "KX47";

}  // namespace

CSetupApp::CSetupApp(WizardRunner runWizard) : CSetupApp(HostPlatform(), runWizard) {}

CSetupApp::CSetupApp(Platform& platform, WizardRunner runWizard)
    : CWinApp(nullptr),
      windows_(platform.ui),
      platform_{platform.files,    platform.profile, platform.resources, platform.system,
                platform.registry, platform.spooler, platform.processes, windows_},
      runWizard_(runWizard) {}

BOOL CSetupApp::InitInstance() {
    const std::string commandLine = m_lpCmdLine != nullptr ? m_lpCmdLine : "";
    const CommandLineOptions options = ParseCommandLine(commandLine);
    windows_.SetQuiet(options.quiet);
    exitCode_ = kExitSuccess;
    if (!options.valid) {
        // Nothing is prepared or written; only a run with windows says why.
        platform_.ui.ShowAppMessage("Unknown option: " + options.problem + "\r\n\r\n" + UsageText());
        exitCode_ = kExitBadArguments;
        return FALSE;
    }

    // The log is written as the run goes: a run that is ended or hangs still leaves its steps.
    log_.Clear();
    LogFile logFile(platform_.files, [this](const std::string& line) { return platform_.system.AnsiToUtf8(line); });
    if (!options.logPath.empty() && logFile.Open(options.logPath))
        log_.StreamTo([&logFile](const std::string& line) { logFile.Write(line); });
    log_.Add(std::string("setup.exe version ") + ProductVersionText() + ", local time " + platform_.system.LocalTime() +
             ", command line: " + commandLine);

    if (options.help) {
        // A run without windows opens none for the list either: it goes to the log.
        if (options.quiet) {
            for (std::string::size_type at = 0, end; at < UsageText().size(); at = end + 2) {
                end = UsageText().find("\r\n", at);
                if (end == std::string::npos) end = UsageText().size();
                log_.Add(UsageText().substr(at, end - at));
            }
        } else {
            platform_.ui.ShowAppMessage(UsageText());
        }
        log_.StreamTo(nullptr);
        return FALSE;
    }

    g_languagePreset = options.language;
    g_strPortOption = options.port;
    outcome_ = InstallOutcome::NotRun;
    PrepareStartup();
    LogStartup(options.quiet ? "unattended (/quiet)" : "wizard");
    if (options.quiet) {
        // The choices the system and language page would start with; the installation follows the host's
        // release code in any case.
        g_wLanguage = PreselectedLanguage(options.language, platform_.system.SystemDefaultLangId());
        InstallPrinterDriver();
        exitCode_ = ExitCodeFor(outcome_);
        log_.Add("exit code: " + std::to_string(exitCode_));
    } else if (runWizard_ != nullptr) {
        runWizard_(*this);
        if (outcome_ == InstallOutcome::NotRun) log_.Add("the wizard ended without an installation run");
    }
    log_.StreamTo(nullptr);
    return FALSE;
}

void CSetupApp::LogStartup(const char* mode) {
    std::string facts;
    FormatBounded(facts, 96, "host: release code %d, system language 0x%04X, code page %u", g_nOSType,
                  static_cast<unsigned>(platform_.system.SystemDefaultLangId()),
                  static_cast<unsigned>(platform_.system.AnsiCodePage()));
    log_.Add(std::string("setup.exe: ") + mode + ", command line: " + (m_lpCmdLine != nullptr ? m_lpCmdLine : ""));
    log_.Add(facts);
    log_.Add("program directory: " + (g_strAppDir.empty() ? std::string("unknown, nothing written there") : g_strAppDir));
    log_.Add("language table: " + (g_strLanguageFile.empty() ? std::string("none") : g_strLanguageFile));
    log_.Add("printer name: " + PrinterName());
    const InstallInputs inputs = Inputs();
    log_.Add("port: " + PortTextForLog(inputs.port) + " (" + PortSourceText(inputs.portSource) + ")");
}

void CSetupApp::PrepareStartup() {
    g_strAppDir.clear();
    g_strLanguageFile.clear();
    g_strSettingFile.clear();
    g_strPortSetting.clear();
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
            // The printer's port, when the shop chose one; the installation run checks it.
            platform_.profile.ReadString("Setting", "Port", "", g_strPortSetting,
                                         static_cast<std::uint32_t>(kPathBuffer), g_strSettingFile);
        }
    }

    // The printer name, at most 259 characters.
    std::memcpy(g_szPrinterName, name.data(), std::min(name.size(), kPathBuffer - 1));
}
