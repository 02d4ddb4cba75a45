// The name-bearing lines of the printer description and the plug-in list, rewritten for a printer name.
#pragma once
#include <string>
#include <vector>

#include "install/NameLineRule.h"

// Number of rules extraction uses.
constexpr int kNameLineRuleCount = 5;

// Fills rules (room for kNameLineRuleCapacity) with the rules for printerName, in table order:
// "OEMDriverFile1=", "OEMConfigFile1=", "*GPDFileName:", "*ModelName:", "*ResourceDLL:".
// A rule whose replacement line would not fit its 260-character buffer is left out, so the lines it would
// match stay as they are; the later rules move up. Returns the number of rules filled.
int FillNameLineRules(const std::string& printerName, NameLineRule* rules);

// Rewrites text pieces as read from a text-mode stream: a piece that contains the prefix of a rule (first
// rule in table order wins, case-sensitive, anywhere in the piece) becomes that rule's replacement line
// plus one line feed; any other piece is kept, with a line feed added unless it ends with one.
// A rule with an empty prefix matches nothing.
Bytes RewriteNameLines(const std::vector<std::string>& pieces, const NameLineRule* rules, int ruleCount);

// The name-bearing lines of text rewritten by rules, the text read as a text-mode stream reads it.
Bytes ReplaceNameLines(const Bytes& text, const NameLineRule* rules, int ruleCount);
// The same with the rules for printerName: a template as the installation writes it.
Bytes RewrittenForPrinter(const Bytes& text, const std::string& printerName);
