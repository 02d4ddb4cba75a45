// The command-line grammar the programs share: arguments, option names and full paths.
#pragma once
#include <string>
#include <vector>

// Splits a command line (after the program name) into arguments: blanks separate them, double quotes group
// blanks into one and are dropped.
std::vector<std::string> SplitArguments(const std::string& line);

// One argument read as an option: "/name" or "-name", optionally "=value". False for anything else.
struct OptionArgument {
    std::string word;   // the name without its '/' or '-'
    bool hasValue = false;
    std::string value;  // after the first '='
};
bool ReadOption(const std::string& argument, OptionArgument& option);

// A full path: a drive letter, a colon and a backslash, or a UNC path. Anything else would be taken from the
// current directory, which the installation moves to C:\TEMP.
bool IsAbsolutePath(const std::string& path);

// The options both programs take, each at most once: /quiet (or /S: the same option), /? and /log=<full path
// that fits a path buffer, terminator included>.
struct CommonOptions {
    bool quiet = false;    // /quiet or /S: no window at all
    bool help = false;     // /?
    std::string logPath;   // /log=<path>; empty: no log
};
// Records option in common when it is one of those, well formed and not given before; false otherwise.
bool TakeCommonOption(const OptionArgument& option, CommonOptions& common);
