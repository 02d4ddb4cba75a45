// The uninstaller's options, read as setup.exe reads its own: names in any case, '/' or '-' before them.
#pragma once
#include <string>

struct UninstallOptions {
    bool valid = true;    // false: an option it does not know, a bad value, or one given twice
    std::string problem;  // the offending argument, when not valid
    bool quiet = false;   // /quiet or /S: the removal without any window, the question taken as Yes
    bool help = false;    // /?
    std::string logPath;  // /log=<path>, a full path that fits a path buffer; empty: no log
};

UninstallOptions ParseUninstallOptions(const std::string& commandLine);

// What /? lists (and a bad option in a run with windows): the options and the exit codes.
std::string UninstallUsageText();
