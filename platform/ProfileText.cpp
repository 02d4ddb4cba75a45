#include "platform/ProfileText.h"

#include <cctype>

namespace {

bool IsProfileSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f' || c == 0x1A;
}

std::string Trim(const std::string& s) {
    std::size_t b = 0, e = s.size();
    while (b < e && IsProfileSpace(s[b])) ++b;
    while (e > b && IsProfileSpace(s[e - 1])) --e;
    return s.substr(b, e - b);
}

bool SameNoCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::toupper(static_cast<unsigned char>(a[i])) != std::toupper(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

std::vector<std::string> SplitLines(const Bytes& file) {
    std::vector<std::string> lines;
    std::string cur;
    for (std::size_t i = 0; i < file.size(); ++i) {
        unsigned char c = file[i];
        if (c == '\r' && i + 1 < file.size() && file[i + 1] == '\n') continue;
        if (c == '\n' || c == '\r') {
            lines.push_back(cur);
            cur.clear();
        } else {
            cur.push_back(static_cast<char>(c));
        }
    }
    if (!cur.empty()) lines.push_back(cur);
    return lines;
}

// "[name]" with anything after the last closing bracket ignored; false when the line is no section header.
bool SectionName(const std::string& trimmed, std::string& name) {
    if (trimmed.empty() || trimmed[0] != '[') return false;
    std::size_t close = trimmed.rfind(']');
    if (close == std::string::npos || close == 0) return false;
    name = Trim(trimmed.substr(1, close - 1));
    return true;
}

// "key = value"; false when the line has no equals sign (it then names no key).
bool KeyValue(const std::string& trimmed, std::string& key, std::string& value) {
    std::size_t eq = trimmed.find('=');
    if (eq == std::string::npos) return false;
    key = Trim(trimmed.substr(0, eq));
    value = Trim(trimmed.substr(eq + 1));
    return true;
}

}  // namespace

std::uint32_t ProfileReadString(const Bytes* file, const std::string& section, const std::string& key,
                                const std::string& def, std::string& out, std::uint32_t bufferSize) {
    out.clear();
    if (bufferSize == 0) return 0;
    std::string value = def;
    bool quoted = false;
    if (file) {
        bool inSection = false;
        bool found = false;
        for (const std::string& raw : SplitLines(*file)) {
            std::string line = Trim(raw);
            if (line.empty()) continue;
            std::string name;
            if (SectionName(line, name)) {
                if (found) break;
                inSection = SameNoCase(name, section);
                continue;
            }
            std::string k, v;
            if (inSection && KeyValue(line, k, v) && SameNoCase(k, key)) {
                value = v;
                found = true;
                break;
            }
        }
        quoted = found;
    }
    // One pair of matching surrounding quotes is removed from a value read from the file.
    const std::size_t limit = bufferSize - 1;
    if (quoted && value.size() >= 2 && (value[0] == '"' || value[0] == '\'') && value.back() == value[0]) {
        std::string inner = value.substr(1);
        if (inner.size() <= limit) {
            inner.pop_back();
            out = inner;
        } else {
            out = inner.substr(0, limit);
        }
    } else {
        out = value.substr(0, limit);
    }
    return static_cast<std::uint32_t>(out.size());
}

void ProfileWriteString(Bytes& file, const std::string& section, const std::string& key, const std::string& value) {
    std::vector<std::string> lines = SplitLines(file);
    std::size_t sectionLine = std::string::npos, insertAt = std::string::npos;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        std::string line = Trim(lines[i]);
        std::string name;
        if (SectionName(line, name)) {
            if (sectionLine != std::string::npos) break;
            if (SameNoCase(name, section)) sectionLine = insertAt = i;
            continue;
        }
        if (sectionLine == std::string::npos) continue;
        std::string k, v;
        if (KeyValue(line, k, v) && SameNoCase(k, key)) {
            lines[i] = key + "=" + value;
            sectionLine = std::string::npos;
            insertAt = std::string::npos;
            file.clear();
            for (const std::string& l : lines) {
                file.insert(file.end(), l.begin(), l.end());
                file.push_back('\r');
                file.push_back('\n');
            }
            return;
        }
        if (!line.empty()) insertAt = i;
    }
    if (sectionLine == std::string::npos) {
        lines.push_back("[" + section + "]");
        lines.push_back(key + "=" + value);
    } else {
        lines.insert(lines.begin() + static_cast<long>(insertAt) + 1, key + "=" + value);
    }
    file.clear();
    for (const std::string& l : lines) {
        file.insert(file.end(), l.begin(), l.end());
        file.push_back('\r');
        file.push_back('\n');
    }
}
