#include "app/CommandLine.h"

#include <vector>

#include "localization/LanguageChoice.h"
#include "platform/Types.h"

namespace {

std::vector<std::string> SplitArguments(const std::string& line) {
    std::vector<std::string> args;
    std::string current;
    bool inArgument = false, quoted = false;
    for (char c : line) {
        if (c == '"') {
            quoted = !quoted;
            inArgument = true;
        } else if ((c == ' ' || c == '\t') && !quoted) {
            if (inArgument) args.push_back(current);
            current.clear();
            inArgument = false;
        } else {
            current += c;
            inArgument = true;
        }
    }
    if (inArgument) args.push_back(current);
    return args;
}

// A full path: a drive letter, a colon and a backslash, or a UNC path. Anything else would be taken from the
// current directory, which the installation moves to C:\TEMP.
bool IsAbsolutePath(const std::string& path) {
    const bool letter = path.size() >= 3 && ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
    if (letter && path[1] == ':' && path[2] == '\\') return true;
    return path.size() >= 3 && path[0] == '\\' && path[1] == '\\' && path[2] != '\\';
}

}  // namespace

CommandLineOptions ParseCommandLine(const std::string& commandLine) {
    CommandLineOptions options;
    bool languageSeen = false, logSeen = false, portSeen = false;
    PrinterPort port;
    for (const std::string& arg : SplitArguments(commandLine)) {
        const std::string::size_type equals = arg.find('=');
        const std::string name = arg.substr(0, equals);
        const bool hasValue = equals != std::string::npos;
        const std::string value = hasValue ? arg.substr(equals + 1) : std::string();
        bool ok = name.size() >= 2 && (name[0] == '/' || name[0] == '-');
        const std::string word = ok ? name.substr(1) : std::string();
        if (ok && !hasValue && (EqualNoCase(word, "quiet") || EqualNoCase(word, "S"))) {
            options.quiet = true;
        } else if (ok && !hasValue && word == "?") {
            options.help = true;
        } else if (ok && hasValue && !languageSeen && EqualNoCase(word, "lang") &&
                   (EqualNoCase(value, "zh") || EqualNoCase(value, "en"))) {
            options.language = EqualNoCase(value, "zh") ? LanguagePreset::Chinese : LanguagePreset::English;
            languageSeen = true;
        } else if (ok && hasValue && !logSeen && EqualNoCase(word, "log") && IsAbsolutePath(value) &&
                   value.size() < kPathBuffer) {
            options.logPath = value;
            logSeen = true;
        } else if (ok && hasValue && !portSeen && EqualNoCase(word, "port") && ParsePrinterPort(value, port)) {
            options.port = value;
            portSeen = true;
        } else {
            ok = false;
        }
        if (!ok && options.valid) {
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
