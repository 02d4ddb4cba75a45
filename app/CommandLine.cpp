#include "app/CommandLine.h"

#include <vector>

#include "localization/LanguageChoice.h"
#include "platform/CommandArguments.h"
#include "platform/Types.h"

CommandLineOptions ParseCommandLine(const std::string& commandLine) {
    CommandLineOptions options;
    bool languageSeen = false, portSeen = false;
    PrinterPort port;
    for (const std::string& arg : SplitArguments(commandLine)) {
        OptionArgument option;
        bool ok = ReadOption(arg, option);
        const std::string& word = option.word;
        const std::string& value = option.value;
        // Each option once: /quiet and /S are one option, given twice (in either spelling) it is refused.
        if (ok && TakeCommonOption(option, options)) continue;
        if (ok && option.hasValue && !languageSeen && EqualNoCase(word, "lang") &&
            (EqualNoCase(value, "zh") || EqualNoCase(value, "en"))) {
            options.language = EqualNoCase(value, "zh") ? LanguagePreset::Chinese : LanguagePreset::English;
            languageSeen = true;
        } else if (ok && option.hasValue && !portSeen && EqualNoCase(word, "port") && ParsePrinterPort(value, port)) {
            options.port = value;
            portSeen = true;
        } else if (options.valid) {
            options.valid = false;
            options.problem = arg;
        }
    }
    return options;
}

std::uint16_t PreselectedLanguage(LanguagePreset preset, std::uint16_t systemLangId) {
    if (preset == LanguagePreset::Chinese) return 0;
    if (preset == LanguagePreset::English) return 1;
    return IsChineseLangId(systemLangId) ? 0 : 1;
}

std::string UsageText() {
    return "setup.exe [/quiet] [/lang=zh|en] [/log=<file>] [/port=<port>]\r\n"
           "\r\n"
           "/quiet, /S\tinstall without showing any window\r\n"
           "/lang=zh|en\tlanguage of the printer's own texts (default: the system's)\r\n"
           "/log=<file>\twrite the installation's steps to <file>, a full path (UTF-8)\r\n"
           "/port=<port>\tthe printer's port: LPT1:, COM5:, USB001, FILE:, IP_10.0.0.7[:9100]\r\n"
           "\t\t(default: Port= in setting.dll, else LPT1:)\r\n"
           "/?\t\tthis list\r\n"
           "\r\n"
           "Exit codes of /quiet: 0 installed, 1603 installation failed,\r\n"
           "740 not an administrator, 1633 64-bit Windows, 87 bad options.";
}

int ExitCodeFor(InstallOutcome outcome) {
    switch (outcome) {
        case InstallOutcome::Installed:
            return kExitSuccess;
        case InstallOutcome::NotAdministrator:
            return kExitNotAdministrator;
        case InstallOutcome::UnsupportedHost:
            return kExitUnsupportedHost;
        case InstallOutcome::NotRun:
        case InstallOutcome::PrinterFound:
        case InstallOutcome::Failed:
            break;
    }
    return kExitInstallFailed;
}
