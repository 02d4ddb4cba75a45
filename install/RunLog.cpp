#include "install/RunLog.h"

void RunLog::Failed(const std::string& step, std::uint32_t error) {
    lines_.push_back(step + ": failed, Win32 error " + std::to_string(error));
}

Bytes RenderRunLog(const std::vector<std::string>& lines, const std::function<std::string(const std::string&)>& toUtf8) {
    std::string text = "\xEF\xBB\xBF";
    for (const std::string& line : lines) {
        std::string converted = toUtf8(line);
        if (converted.empty() && !line.empty()) {
            for (char c : line) converted += static_cast<unsigned char>(c) < 0x80 ? c : '?';
        }
        text += converted;
        text += "\r\n";
    }
    return Bytes(text.begin(), text.end());
}
