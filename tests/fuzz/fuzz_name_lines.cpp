// The name-line rewriting of the printer description and the plug-in list, as extraction applies it: the file
// read in 260-character pieces, the rules filled from a printer name.
// Input: "<printer name>\0<file bytes>"; without a NUL the whole input is the file and the name is "KX47".
// The name is cut at its first CR or LF: the settings file, read line by line, cannot deliver either.
#include <cstdint>
#include <cstring>
#include <string>

#include "install/NameLines.h"
#include "platform/TextStream.h"
#include "tests/fuzz/FuzzCheck.h"

namespace {

// CR bytes that text mode keeps: those not followed by LF, before the first Ctrl-Z.
std::size_t LoneCarriageReturns(const Bytes& file) {
    std::size_t n = 0;
    for (std::size_t i = 0; i < file.size() && file[i] != 0x1A; ++i)
        if (file[i] == '\r' && !(i + 1 < file.size() && file[i + 1] == '\n')) ++n;
    return n;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::uint8_t* nul = static_cast<const std::uint8_t*>(std::memchr(data, 0, size));
    std::string name = "KX47";
    Bytes file(data, data + size);
    if (nul) {
        name.assign(reinterpret_cast<const char*>(data), static_cast<std::size_t>(nul - data));
        file.assign(nul + 1, data + size);
    }
    name = name.substr(0, name.find_first_of("\r\n"));

    NameLineRule rules[kNameLineRuleCapacity];
    const int count = FillNameLineRules(name, rules);
    FUZZ_CHECK(count >= 0 && count <= kNameLineRuleCount);
    // The longest template adds 23 characters to the name (*ResourceDLL: "<name>RES.DLL"), the shortest 14
    // (*ModelName: "<name>"): a rule is filled when its line fits the 260-character buffer.
    if (name.size() + 23 < kPathBuffer) FUZZ_CHECK(count == kNameLineRuleCount);
    if (name.size() + 14 >= kPathBuffer) FUZZ_CHECK(count == 0);
    for (int i = 0; i < count; ++i) {
        const std::size_t prefixLength = std::strlen(rules[i].prefix);
        const std::size_t replacementLength = std::strlen(rules[i].replacement);
        FUZZ_CHECK(prefixLength > 0 && prefixLength < kPathBuffer);
        FUZZ_CHECK(replacementLength < kPathBuffer);
        FUZZ_CHECK(std::strncmp(rules[i].replacement, rules[i].prefix, prefixLength) == 0);
        FUZZ_CHECK(std::string(rules[i].replacement).find(name) != std::string::npos);
    }

    const std::vector<std::string> pieces = ReadTextPieces(file, kPathBuffer);
    for (const std::string& piece : pieces) {
        FUZZ_CHECK(piece.size() < kPathBuffer);
        FUZZ_CHECK(piece.find('\n') == std::string::npos || piece.find('\n') == piece.size() - 1);
    }
    const std::string out = ToString(RewriteNameLines(pieces, rules, count));

    // One line per piece, each ended by LF.
    std::size_t lineFeeds = 0;
    for (char c : out) lineFeeds += c == '\n';
    FUZZ_CHECK(lineFeeds == pieces.size());
    FUZZ_CHECK(out.empty() || out.back() == '\n');
    // Every CR comes from a lone CR of the file; CR LF never survives.
    std::size_t carriageReturns = 0;
    for (char c : out) carriageReturns += c == '\r';
    FUZZ_CHECK(carriageReturns <= LoneCarriageReturns(file));
    // No line is longer than the 260-character buffer allows; a line that names a rule's prefix is a
    // replacement line.
    std::size_t start = 0;
    while (start < out.size()) {
        const std::size_t end = out.find('\n', start);
        const std::string line = out.substr(start, end - start);
        FUZZ_CHECK(line.size() < kPathBuffer);
        bool isReplacement = false, namesPrefix = false;
        for (int i = 0; i < count; ++i) {
            isReplacement = isReplacement || line == rules[i].replacement;
            namesPrefix = namesPrefix || line.find(rules[i].prefix) != std::string::npos;
        }
        FUZZ_CHECK(isReplacement || !namesPrefix);
        start = end + 1;
    }
    return 0;
}
