// One rule of the name-line rewriting: a line that contains prefix is replaced whole by replacement.
#pragma once
#include "platform/Types.h"

struct NameLineRule {
    char prefix[kPathBuffer] = {};
    char replacement[kPathBuffer] = {};
};

// Room for ten rules; extraction fills the first five.
constexpr int kNameLineRuleCapacity = 10;
