// Which language table the program uses and which tables it writes, by the system's default language id.
#pragma once
#include <array>
#include <cstdint>

#include "localization/LanguageIds.h"
#include "resources/StoreEntries.h"  // generated: the three tables' entries, k<...>TableEntry

// Table file names inside <program dir>Language.
constexpr const char* kEnglishTableFile = "Multi_eng.dll";
constexpr const char* kSimplifiedTableFile = "Multi_ch.dll";
constexpr const char* kTraditionalTableFile = "Multi_ch_BIG5.dll";


// The table start-up selects: Multi_ch.dll for 0x0804, Multi_ch_BIG5.dll for other Chinese ids,
// Multi_eng.dll otherwise.
const char* LanguageTableFileFor(std::uint16_t langId);
// The language word start-up asks for: "Chinese" for Chinese ids, "English" otherwise.
const char* LanguageWordFor(std::uint16_t langId);

// One table written when no table of the wanted language is present.
struct TableProvision {
    std::uint16_t entry;
    const char* fileName;
};
// The English table first, then the simplified table (traditional for Chinese ids other than 0x0804).
std::array<TableProvision, 2> ProvisioningPlanFor(std::uint16_t langId);
