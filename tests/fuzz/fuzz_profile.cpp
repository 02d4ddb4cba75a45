// The in-memory private-profile rules: ProfileReadString and ProfileWriteString over arbitrary file bytes,
// with a section, a key and a value taken from the input as well.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <string>

#include "platform/ProfileText.h"
#include "tests/fuzz/FuzzCheck.h"

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f' || c == 0x1A; }
bool HasLineBreak(const std::string& s) { return s.find_first_of("\r\n") != std::string::npos; }
bool Padded(const std::string& s) { return !s.empty() && (IsBlank(s.front()) || IsBlank(s.back())); }

// A section and key that a file can hold and give back: no line break, no blanks around, and for a key no
// equals sign and no opening bracket (the line would read as a section header).
bool UsableName(const std::string& s) { return !s.empty() && !HasLineBreak(s) && !Padded(s); }
bool UsableKey(const std::string& s) { return UsableName(s) && s.find('=') == std::string::npos && s[0] != '['; }
// A value read back as written: one line, no blanks around, not enclosed in a pair of quotes.
bool Representable(const std::string& v) {
    if (HasLineBreak(v) || Padded(v)) return false;
    return !(v.size() >= 2 && (v[0] == '"' || v[0] == '\'') && v.back() == v[0]);
}
// A UTF-16 file (by its byte order mark) is read and written as Unicode text: an 8-bit character outside
// ASCII comes back as '?', so what is written is checked there only when all of it is ASCII.
bool HasUtf16Mark(const Bytes& f) {
    return f.size() >= 2 && ((f[0] == 0xFF && f[1] == 0xFE) || (f[0] == 0xFE && f[1] == 0xFF));
}
bool Ascii(const std::string& s) {
    for (char c : s)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
}
std::string Read(const Bytes* file, const std::string& section, const std::string& key, std::uint32_t buffer) {
    std::string out;
    const std::uint32_t n = ProfileReadString(file, section, key, "", out, buffer);
    FUZZ_CHECK(n == out.size());
    FUZZ_CHECK(buffer == 0 ? out.empty() : out.size() < buffer);
    FUZZ_CHECK(!HasLineBreak(out));
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    const std::string section = in.ConsumeRandomLengthString(64);
    const std::string key = in.ConsumeRandomLengthString(64);
    const std::string otherKey = in.ConsumeRandomLengthString(64);
    const std::string value = in.ConsumeRandomLengthString(1200);
    const std::uint32_t buffer = in.ConsumeIntegralInRange<std::uint32_t>(0, 1300);
    const std::string rest = in.ConsumeRemainingBytesAsString();
    Bytes file(rest.begin(), rest.end());

    // Reading never gives more than the buffer holds, nor a line break; a smaller buffer gives a prefix.
    const std::string whole = Read(&file, section, key, 1 << 16);
    const std::string cut = Read(&file, section, key, buffer);
    FUZZ_CHECK(whole.compare(0, cut.size(), cut) == 0);
    // The closing quote of a quoted value takes one more character when the buffer is exactly full.
    if (buffer >= 2) FUZZ_CHECK(cut.size() + 1 >= std::min<std::size_t>(whole.size(), buffer - 1));
    // A file that does not exist gives the default.
    FUZZ_CHECK(Read(nullptr, section, key, buffer).empty());
    const std::string otherBefore = Read(&file, section, otherKey, 1 << 16);

    const bool marked = HasUtf16Mark(file) && !(Ascii(section) && Ascii(key) && Ascii(otherKey) && Ascii(value));
    ProfileWriteString(file, section, key, value);
    if (!UsableName(section) || !UsableKey(key)) return 0;
    const Bytes once = file;
    if (!marked && Representable(value)) {
        FUZZ_CHECK(Read(&file, section, key, 1 << 16) == value);
        const std::uint32_t exact = static_cast<std::uint32_t>(value.size()) + 1;
        FUZZ_CHECK(Read(&file, section, key, exact) == value);
    }
    // Another key of the section keeps its value (a value with a line break may bring a line of its own).
    if (!marked && !HasLineBreak(value) && UsableKey(otherKey) && !EqualNoCase(otherKey, key)) FUZZ_CHECK(Read(&file, section, otherKey, 1 << 16) == otherBefore);
    // Writing the same again changes nothing.
    ProfileWriteString(file, section, key, value);
    if (!HasLineBreak(value) && !marked) FUZZ_CHECK(file == once);
    return 0;
}
