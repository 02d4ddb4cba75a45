#include "uninstall/UninstallOptions.h"

#include "platform/CommandArguments.h"

UninstallOptions ParseUninstallOptions(const std::string& commandLine) {
    UninstallOptions options;
    for (const std::string& arg : SplitArguments(commandLine)) {
        OptionArgument option;
        if (ReadOption(arg, option) && TakeCommonOption(option, options)) continue;
        if (options.valid) {
            options.valid = false;
            options.problem = arg;
        }
    }
    return options;
}

std::string UninstallUsageText() {
    return "uninstall<printer name>.exe [/quiet] [/log=<file>]\r\n"
           "\r\n"
           "/quiet, /S\tremove without showing any window (the question is taken as Yes)\r\n"
           "/log=<file>\twrite the removal's steps to <file>, a full path (UTF-8)\r\n"
           "/?\t\tthis list\r\n"
           "\r\n"
           "Exit codes of /quiet: 0 removed, 3010 removed once the system restarts,\r\n"
           "1603 something was kept or the removal stopped, 740 not an administrator,\r\n"
           "1633 64-bit Windows, 87 bad options.";
}
