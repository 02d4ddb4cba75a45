// The program's options, for deployment tools that install without anyone at the machine.
#pragma once
#include <cstdint>
#include <string>

#include "install/ExitCodes.h"
#include "install/InstallOutcome.h"
#include "install/PrinterPort.h"
#include "platform/CommandArguments.h"

enum class LanguagePreset { System, Chinese, English };

// /quiet or /S: the installation without any window; /?; /log=<path>; and these.
struct CommandLineOptions : CommonOptions {
    bool valid = true;     // false: an option the program does not know, a bad value, or one given twice
    std::string problem;   // the offending argument, when not valid
    LanguagePreset language = LanguagePreset::System;  // /lang=zh or /lang=en
    std::string port;      // /port=<port> as given (a form ParsePrinterPort accepts); empty: not given
};

// Splits the command line after the program name into arguments (blanks separate them, double quotes group
// blanks into one and are dropped) and reads the options. Names are case-insensitive and start with '/' or
// '-'. A log path must be a full path (X:\... or \\server\...) and fit a path buffer, terminator
// included; a port must be one of the forms ParsePrinterPort accepts.
CommandLineOptions ParseCommandLine(const std::string& commandLine);

// The language choice the system and language page starts with: the preset when there is one, otherwise
// Chinese (0) for a Chinese system language of any region and English (1) for every other.
std::uint16_t PreselectedLanguage(LanguagePreset preset, std::uint16_t systemLangId);

// What /? shows (and a bad option in a run with windows): the options and the exit codes.
std::string UsageText();

// The exit code of an unattended run that ended so; a run that never ended is a failed installation.
int ExitCodeFor(InstallOutcome outcome);
