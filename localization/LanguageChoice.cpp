#include "localization/LanguageChoice.h"

const char* LanguageTableFileFor(std::uint16_t langId) {
    if (!IsChineseLangId(langId)) return kEnglishTableFile;
    return IsSimplifiedChineseLangId(langId) ? kSimplifiedTableFile : kTraditionalTableFile;
}

const char* LanguageWordFor(std::uint16_t langId) { return IsChineseLangId(langId) ? "Chinese" : "English"; }

std::array<TableProvision, 2> ProvisioningPlanFor(std::uint16_t langId) {
    const TableProvision english{kEnglishTableEntry, kEnglishTableFile};
    // Only the Chinese ids outside the PRC get the traditional table; every other id the simplified one.
    if (IsChineseLangId(langId) && !IsSimplifiedChineseLangId(langId))
        return {english, TableProvision{kTraditionalTableEntry, kTraditionalTableFile}};
    return {english, TableProvision{kSimplifiedTableEntry, kSimplifiedTableFile}};
}
