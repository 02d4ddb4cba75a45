#include "platform/CommandArguments.h"

#include "platform/Types.h"

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

bool ReadOption(const std::string& argument, OptionArgument& option) {
    const std::string::size_type equals = argument.find('=');
    const std::string name = argument.substr(0, equals);
    option = OptionArgument();
    if (name.size() < 2 || (name[0] != '/' && name[0] != '-')) return false;
    option.word = name.substr(1);
    option.hasValue = equals != std::string::npos;
    if (option.hasValue) option.value = argument.substr(equals + 1);
    return true;
}

bool IsAbsolutePath(const std::string& path) {
    const bool letter = path.size() >= 3 && ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
    if (letter && path[1] == ':' && path[2] == '\\') return true;
    return path.size() >= 3 && path[0] == '\\' && path[1] == '\\' && path[2] != '\\';
}

bool TakeCommonOption(const OptionArgument& option, CommonOptions& common) {
    const std::string& word = option.word;
    if (!option.hasValue && !common.quiet && (EqualNoCase(word, "quiet") || EqualNoCase(word, "S"))) {
        common.quiet = true;
    } else if (!option.hasValue && !common.help && word == "?") {
        common.help = true;
    } else if (option.hasValue && common.logPath.empty() && EqualNoCase(word, "log") && IsAbsolutePath(option.value) &&
               option.value.size() < kPathBuffer) {
        common.logPath = option.value;
    } else {
        return false;
    }
    return true;
}
