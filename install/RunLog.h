// What an installation run did, step by step, for the log file a deployment asks for.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/FileSystem.h"

// The line that tells the run's result begins so.
constexpr const char* kResultLinePrefix = "result: ";
constexpr const char* kResultInstalled = "result: installed";
constexpr const char* kResultNotInstalled = "result: not installed";

class RunLog {
public:
    // A step and how it went, in the system's ANSI code page (paths and names are).
    void Add(const std::string& line) {
        lines_.push_back(line);
        if (sink_) sink_(line);
    }
    // From now on every line added is also handed to sink at once (the log file written as the run goes).
    void StreamTo(std::function<void(const std::string&)> sink) { sink_ = std::move(sink); }
    // "<step>: failed, Win32 error <code>".
    void Failed(const std::string& step, std::uint32_t error);
    const std::vector<std::string>& Lines() const { return lines_; }
    void Clear() { lines_.clear(); }

private:
    std::vector<std::string> lines_;
    std::function<void(const std::string&)> sink_;
};

// The log file's bytes: a UTF-8 byte order mark (so that Notepad reads it as UTF-8), then every line
// converted by toUtf8 and ended with CR LF. A line toUtf8 cannot convert (it returns an empty string for a
// non-empty line) keeps its ASCII characters and shows every other byte as '?'.
Bytes RenderRunLog(const std::vector<std::string>& lines, const std::function<std::string(const std::string&)>& toUtf8);
// One line of it, without the byte order mark.
std::string RenderRunLogLine(const std::string& line, const std::function<std::string(const std::string&)>& toUtf8);

// The log file of a run, written as the run goes: created anew at a full path (whatever had the name is
// removed first, so a planted link is never written through), the byte order mark at once, then each line as
// RenderRunLog renders it, on the disk before the caller's next step. A run whose log cannot be written goes
// on all the same; the lines that could not be written are lost.
class LogFile {
public:
    LogFile(IFileSystem& files, std::function<std::string(const std::string&)> toUtf8)
        : files_(files), toUtf8_(std::move(toUtf8)) {}
    ~LogFile() { files_.Release(held_); }
    LogFile(const LogFile&) = delete;
    LogFile& operator=(const LogFile&) = delete;
    bool Open(const std::string& path);
    void Write(const std::string& line);

private:
    IFileSystem& files_;
    std::function<std::string(const std::string&)> toUtf8_;
    HeldHandle held_ = 0;
};


