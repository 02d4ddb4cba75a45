// The uninstaller's options, read as setup.exe reads its own: names in any case, '/' or '-' before them.
#pragma once
#include <string>

#include "platform/CommandArguments.h"

// /quiet or /S: the removal without any window, the question taken as Yes; /?; /log=<path>.
struct UninstallOptions : CommonOptions {
    bool valid = true;    // false: an option it does not know, a bad value, or one given twice
    std::string problem;  // the offending argument, when not valid
};

UninstallOptions ParseUninstallOptions(const std::string& commandLine);

// What /? lists (and a bad option in a run with windows): the options and the exit codes.
std::string UninstallUsageText();
