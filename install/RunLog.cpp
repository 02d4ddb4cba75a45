#include "install/RunLog.h"

#include "install/SafeFiles.h"

void RunLog::Failed(const std::string& step, std::uint32_t error) {
    Add(step + ": failed, Win32 error " + std::to_string(error));
}

std::string RenderRunLogLine(const std::string& line, const std::function<std::string(const std::string&)>& toUtf8) {
    std::string converted = toUtf8(line);
    if (converted.empty() && !line.empty()) {
        for (char c : line) converted += static_cast<unsigned char>(c) < 0x80 ? c : '?';
    }
    return converted + "\r\n";
}

Bytes RenderRunLog(const std::vector<std::string>& lines, const std::function<std::string(const std::string&)>& toUtf8) {
    std::string text = "\xEF\xBB\xBF";
    for (const std::string& line : lines) text += RenderRunLogLine(line, toUtf8);
    return Bytes(text.begin(), text.end());
}

bool LogFile::Open(const std::string& path) {
    files_.Release(held_);
    held_ = 0;
    static const unsigned char kByteOrderMark[] = {0xEF, 0xBB, 0xBF};
    if (!RemoveExisting(files_, path) || !files_.CreateHeldFile(path, held_)) return held_ = 0, false;
    return files_.AppendHeld(held_, Bytes(kByteOrderMark, kByteOrderMark + 3));
}

void LogFile::Write(const std::string& line) {
    if (held_ == 0) return;
    const std::string text = RenderRunLogLine(line, toUtf8_);
    files_.AppendHeld(held_, Bytes(text.begin(), text.end()));
}
