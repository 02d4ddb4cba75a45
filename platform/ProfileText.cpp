#include "platform/ProfileText.h"

#include <algorithm>
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

// Copies value into out through a buffer of bufferSize characters. With stripQuotes, a value that starts and
// ends with the same quote character (' or ") loses the opening one, and the last character copied is dropped
// when the buffer held the whole rest, which is normally the closing quote. (A buffer just one character too
// small for the quoted value therefore loses the value's last character as well: that is what Windows gives.)
std::uint32_t CopyEntry(const std::string& value, bool stripQuotes, std::string& out, std::uint32_t bufferSize) {
    const std::size_t limit = bufferSize - 1;
    bool quoted = stripQuotes && value.size() >= 2 && (value[0] == '"' || value[0] == '\'') && value.back() == value[0];
    std::string rest = quoted ? value.substr(1) : value;
    out = rest.substr(0, std::min(rest.size(), limit));
    if (quoted && bufferSize >= rest.size() && !out.empty()) out.pop_back();
    return static_cast<std::uint32_t>(out.size());
}


// The file's text as the profile functions see it: a UTF-16 file (by its byte order mark) or a UTF-8 one with
// its mark are read as Unicode text; characters outside ASCII, which the system code page would have to
// supply, become '?'. Anything else is 8-bit text as it is.
Bytes ProfileText(const Bytes& file) {
    const bool le = file.size() >= 2 && file[0] == 0xFF && file[1] == 0xFE;
    const bool be = file.size() >= 2 && file[0] == 0xFE && file[1] == 0xFF;
    if (le || be) {
        Bytes text;
        for (std::size_t i = 2; i + 1 < file.size(); i += 2) {
            const unsigned unit = le ? (file[i] | (file[i + 1] << 8)) : ((file[i] << 8) | file[i + 1]);
            text.push_back(unit < 0x80 ? static_cast<unsigned char>(unit) : '?');
        }
        return text;
    }
    if (file.size() >= 3 && file[0] == 0xEF && file[1] == 0xBB && file[2] == 0xBF) return Bytes(file.begin() + 3, file.end());
    return file;
}

}  // namespace

std::uint32_t ProfileReadString(const Bytes* file, const std::string& section, const std::string& key,
                                const std::string& def, std::string& out, std::uint32_t bufferSize) {
    out.clear();
    if (bufferSize == 0) return 0;
    // Trailing blanks of the default are never returned, and like a value it loses its surrounding quotes.
    std::string fallback = def;
    while (!fallback.empty() && fallback.back() == ' ') fallback.pop_back();
    if (!file) return CopyEntry(fallback, true, out, bufferSize);
    const std::string wantedSection = Trim(section), wantedKey = Trim(key);
    bool inSection = false, seenSection = false;
    for (const std::string& raw : SplitLines(ProfileText(*file))) {
        std::string line = Trim(raw);
        if (line.empty()) continue;
        std::string name;
        if (SectionName(line, name)) {
            // Only the first section of that name counts.
            if (inSection) break;
            inSection = !seenSection && EqualNoCase(name, wantedSection);
            seenSection = seenSection || inSection;
            continue;
        }
        std::string k, v;
        if (inSection && KeyValue(line, k, v) && EqualNoCase(k, wantedKey)) return CopyEntry(v, true, out, bufferSize);
    }
    return CopyEntry(fallback, true, out, bufferSize);
}

namespace {

// The write on the file's text (8-bit, as ProfileText gives it).
void WriteInText(Bytes& file, const std::string& section, const std::string& key, const std::string& value) {
    std::vector<std::string> lines = SplitLines(file);
    std::size_t sectionLine = std::string::npos, insertAt = std::string::npos;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        std::string line = Trim(lines[i]);
        std::string name;
        if (SectionName(line, name)) {
            if (sectionLine != std::string::npos) break;
            if (EqualNoCase(name, section)) sectionLine = insertAt = i;
            continue;
        }
        if (sectionLine == std::string::npos) continue;
        std::string k, v;
        if (KeyValue(line, k, v) && EqualNoCase(k, key)) {
            lines[i] = k + "=" + value;  // the key keeps its spelling in the file
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

// The text in the encoding of the original file: the same byte order mark and code units.
Bytes InEncodingOf(const Bytes& original, const Bytes& text) {
    const bool le = original.size() >= 2 && original[0] == 0xFF && original[1] == 0xFE;
    const bool be = original.size() >= 2 && original[0] == 0xFE && original[1] == 0xFF;
    if (le || be) {
        Bytes file{original[0], original[1]};
        for (unsigned char c : text) {
            const unsigned char unit = c < 0x80 ? c : '?';
            file.push_back(le ? unit : 0);
            file.push_back(le ? 0 : unit);
        }
        return file;
    }
    if (original.size() >= 3 && original[0] == 0xEF && original[1] == 0xBB && original[2] == 0xBF) {
        Bytes file{0xEF, 0xBB, 0xBF};
        file.insert(file.end(), text.begin(), text.end());
        return file;
    }
    return text;
}

}  // namespace

void ProfileWriteString(Bytes& file, const std::string& section, const std::string& key, const std::string& value) {
    Bytes text = ProfileText(file);
    WriteInText(text, section, key, value);
    file = InEncodingOf(file, text);
}
