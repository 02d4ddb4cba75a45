#include "install/StagingPlan.h"

namespace {

// The plan's column for the host code: Windows XP, Windows 2000, every other host code.
PlanColumn ColumnOf(int osType) {
    if (osType == 7) return kXp;
    if (osType == 6) return kWin2000;
    return kOther;
}

// A file of the plan and the manifest's slot that says which entry it takes in each column and how.
struct PlanRow {
    const DriverFileForm* file;
    const PlanSlot* slot;
};

// Rows 1 to 5: the same for every language.
const PlanRow kCommonRows[] = {
    {&kStdNamesFile, &kCommonStdnamesSlot}, {&kGpdFile, &kCommonGpdSlot}, {&kIniFile, &kCommonIniSlot},
    {&kRenderPluginFile, &kCommonRenderPluginSlot}, {&kFontMetricsFile, &kCommonFontMetricsSlot},
};

// Row 6: the Unidrv core files, by whether the system is Chinese.
const PlanRow kCoreChinese[] = {
    {&kUnidrvFile, &kCoreChineseUnidrvSlot}, {&kUnidrvHelpFile, &kCoreChineseUnidrvHelpSlot},
    {&kUnidrvUiFile, &kCoreChineseUnidrvUiSlot}, {&kUniresFile, &kCoreChineseUniresSlot},
};
const PlanRow kCoreOther[] = {
    {&kUnidrvFile, &kCoreOtherUnidrvSlot}, {&kUnidrvHelpFile, &kCoreOtherUnidrvHelpSlot},
    {&kUnidrvUiFile, &kCoreOtherUnidrvUiSlot}, {&kUniresFile, &kCoreOtherUniresSlot},
};

// Row 7: the printer's user-interface plug-in and strings, by the chosen language and the system.
const PlanRow kPluginSimplified[] = {
    {&kUiPluginFile, &kPluginSimplifiedUiPluginSlot}, {&kResourceDllFile, &kPluginSimplifiedResourcesSlot}};
const PlanRow kPluginTraditional[] = {
    {&kUiPluginFile, &kPluginTraditionalUiPluginSlot}, {&kResourceDllFile, &kPluginTraditionalResourcesSlot}};
const PlanRow kPluginEnglish[] = {
    {&kUiPluginFile, &kPluginEnglishUiPluginSlot}, {&kResourceDllFile, &kPluginEnglishResourcesSlot}};

template <std::size_t N>
void Append(std::vector<StagedFile>& plan, const PlanRow (&rows)[N], PlanColumn column,
            const std::string& printerName) {
    for (const PlanRow& row : rows)
        plan.push_back(StagedFile{row.slot->ids[column], row.file->NameFor(printerName), row.slot->rewriteNames,
                                  row.slot->alsoI386x86, column == kX64 && row.slot->inAmd64});
}

// Row 7 by the chosen language and the system.
void AppendPlugin(std::vector<StagedFile>& plan, std::uint16_t langId, std::uint16_t wLanguage, PlanColumn column,
                  const std::string& printerName) {
    if (wLanguage != 0) Append(plan, kPluginEnglish, column, printerName);
    else if (IsSimplifiedChineseLangId(langId)) Append(plan, kPluginSimplified, column, printerName);
    else Append(plan, kPluginTraditional, column, printerName);
}

}  // namespace

std::vector<StagedFile> StagingPlan(int osType, std::uint16_t langId, std::uint16_t wLanguage,
                                    const std::string& printerName) {
    const PlanColumn column = ColumnOf(osType);
    std::vector<StagedFile> plan;
    Append(plan, kCommonRows, column, printerName);
    if (IsChineseLangId(langId)) Append(plan, kCoreChinese, column, printerName);
    else Append(plan, kCoreOther, column, printerName);
    AppendPlugin(plan, langId, wLanguage, column, printerName);
    return plan;
}

std::vector<StagedFile> StagingPlanX64(std::uint16_t langId, std::uint16_t wLanguage, const std::string& printerName) {
    std::vector<StagedFile> plan;
    Append(plan, kCommonRows, kX64, printerName);
    AppendPlugin(plan, langId, wLanguage, kX64, printerName);
    // The subdirectories of the 32-bit columns are not the x64 INF's: an entry goes to C:\TEMP, or to
    // C:\TEMP\amd64 alone.
    for (StagedFile& file : plan) file.alsoI386x86 = false;
    return plan;
}
