// What an installation run did, step by step, for the log file a deployment asks for.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/Types.h"

// The line that tells the run's result begins so.
constexpr const char* kResultLinePrefix = "result: ";
constexpr const char* kResultInstalled = "result: installed";
constexpr const char* kResultNotInstalled = "result: not installed";

class RunLog {
public:
    // A step and how it went, in the system's ANSI code page (paths and names are).
    void Add(const std::string& line) { lines_.push_back(line); }
    // "<step>: failed, Win32 error <code>".
    void Failed(const std::string& step, std::uint32_t error);
    const std::vector<std::string>& Lines() const { return lines_; }
    void Clear() { lines_.clear(); }

private:
    std::vector<std::string> lines_;
};

// The log file's bytes: a UTF-8 byte order mark (so that Notepad reads it as UTF-8), then every line
// converted by toUtf8 and ended with CR LF. A line toUtf8 cannot convert (it returns an empty string for a
// non-empty line) keeps its ASCII characters and shows every other byte as '?'.
Bytes RenderRunLog(const std::vector<std::string>& lines, const std::function<std::string(const std::string&)>& toUtf8);
