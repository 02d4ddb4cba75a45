#include "install/NameLines.h"

#include <cstring>

#include "platform/BoundedFormat.h"
#include "platform/TextStream.h"

namespace {

struct RuleTemplate {
    const char* prefix;
    const char* replacement;  // printf format with one %s for the printer name
};

constexpr RuleTemplate kRuleTemplates[kNameLineRuleCount] = {
    {"OEMDriverFile1=", "OEMDriverFile1=%sD.DLL"},
    {"OEMConfigFile1=", "OEMConfigFile1=%sF.DLL"},
    {"*GPDFileName:", "*GPDFileName: \"%s.GPD\""},
    {"*ModelName:", "*ModelName: \"%s\""},
    {"*ResourceDLL:", "*ResourceDLL: \"%sRES.DLL\""},
};

void CopyInto(char (&buffer)[kPathBuffer], const std::string& text) {
    std::memset(buffer, 0, sizeof buffer);
    std::memcpy(buffer, text.data(), text.size());  // callers pass texts shorter than the buffer
}

}  // namespace

int FillNameLineRules(const std::string& printerName, NameLineRule* rules) {
    int count = 0;
    for (const RuleTemplate& t : kRuleTemplates) {
        std::string prefix, replacement;
        if (!FormatBounded(prefix, kPathBuffer, "%s", t.prefix)) continue;
        if (!FormatBounded(replacement, kPathBuffer, t.replacement, printerName.c_str())) continue;
        CopyInto(rules[count].prefix, prefix);
        CopyInto(rules[count].replacement, replacement);
        ++count;
    }
    return count;
}

Bytes RewriteNameLines(const std::vector<std::string>& pieces, const NameLineRule* rules, int ruleCount) {
    std::string out;
    for (const std::string& piece : pieces) {
        const NameLineRule* match = nullptr;
        for (int i = 0; i < ruleCount && !match; ++i) {
            const char* prefix = rules[i].prefix;
            if (prefix[0] != '\0' && piece.find(prefix) != std::string::npos) match = &rules[i];
        }
        if (match) {
            out += match->replacement;
            out += '\n';
        } else {
            out += piece;
            // An empty piece (a NUL at the start of a line) has no line feed either.
            if (piece.empty() || piece.back() != '\n') out += '\n';
        }
    }
    return ToBytes(out);
}

Bytes ReplaceNameLines(const Bytes& text, const NameLineRule* rules, int ruleCount) {
    return RewriteNameLines(ReadTextPieces(text, kPathBuffer), rules, ruleCount);
}

Bytes RewrittenForPrinter(const Bytes& text, const std::string& printerName) {
    NameLineRule rules[kNameLineRuleCapacity];
    const int ruleCount = FillNameLineRules(printerName, rules);
    return ReplaceNameLines(text, rules, ruleCount);
}
