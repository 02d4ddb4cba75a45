#include "install/StagingPlan.h"

namespace {

// A file name: fixed, or the printer name followed by the suffix.
struct NameForm {
    const char* suffix;
    bool nameDerived;
};

std::string FormName(const NameForm& form, const std::string& printerName) {
    return form.nameDerived ? printerName + form.suffix : std::string(form.suffix);
}

const NameForm kStdNames{"STDNAMES.GPD", false};
const NameForm kGpd{".GPD", true};
const NameForm kIni{".INI", true};
const NameForm kRenderPlugin{"D.dll", true};
const NameForm kUiPlugin{"F.dll", true};
const NameForm kFontMetrics{"ZIKU.UFM", false};
const NameForm kResourceDll{"RES.DLL", true};
const NameForm kUnidrv{"UNIDRV.DLL", false};
const NameForm kUnidrvHelp{"UNIDRV.HLP", false};
const NameForm kUnidrvUi{"UNIDRVUI.DLL", false};
const NameForm kUnires{"UNIRES.DLL", false};

// The plan's column for the host code: Windows XP, Windows 2000, every other host code.
PlanColumn ColumnOf(int osType) {
    if (osType == 7) return kXp;
    if (osType == 6) return kWin2000;
    return kOther;
}

// A file of the plan and the manifest's slot that says which entry it takes in each column and how.
struct PlanRow {
    const NameForm* file;
    const PlanSlot* slot;
};

// Rows 1 to 5: the same for every language.
const PlanRow kCommonRows[] = {
    {&kStdNames, &kCommonStdnamesSlot}, {&kGpd, &kCommonGpdSlot}, {&kIni, &kCommonIniSlot},
    {&kRenderPlugin, &kCommonRenderPluginSlot}, {&kFontMetrics, &kCommonFontMetricsSlot},
};

// Row 6: the Unidrv core files, by whether the system is Chinese.
const PlanRow kCoreChinese[] = {
    {&kUnidrv, &kCoreChineseUnidrvSlot}, {&kUnidrvHelp, &kCoreChineseUnidrvHelpSlot},
    {&kUnidrvUi, &kCoreChineseUnidrvUiSlot}, {&kUnires, &kCoreChineseUniresSlot},
};
const PlanRow kCoreOther[] = {
    {&kUnidrv, &kCoreOtherUnidrvSlot}, {&kUnidrvHelp, &kCoreOtherUnidrvHelpSlot},
    {&kUnidrvUi, &kCoreOtherUnidrvUiSlot}, {&kUnires, &kCoreOtherUniresSlot},
};

// Row 7: the printer's user-interface plug-in and strings, by the chosen language and the system.
const PlanRow kPluginSimplified[] = {
    {&kUiPlugin, &kPluginSimplifiedUiPluginSlot}, {&kResourceDll, &kPluginSimplifiedResourcesSlot}};
const PlanRow kPluginTraditional[] = {
    {&kUiPlugin, &kPluginTraditionalUiPluginSlot}, {&kResourceDll, &kPluginTraditionalResourcesSlot}};
const PlanRow kPluginEnglish[] = {
    {&kUiPlugin, &kPluginEnglishUiPluginSlot}, {&kResourceDll, &kPluginEnglishResourcesSlot}};

template <std::size_t N>
void Append(std::vector<StagedFile>& plan, const PlanRow (&rows)[N], PlanColumn column,
            const std::string& printerName) {
    for (const PlanRow& row : rows)
        plan.push_back(StagedFile{row.slot->ids[column], FormName(*row.file, printerName), row.slot->rewriteNames,
                                  row.slot->alsoI386x86});
}

}  // namespace

std::vector<StagedFile> StagingPlan(int osType, std::uint16_t langId, std::uint16_t wLanguage,
                                    const std::string& printerName) {
    const PlanColumn column = ColumnOf(osType);
    std::vector<StagedFile> plan;
    Append(plan, kCommonRows, column, printerName);
    if (IsChineseLangId(langId)) Append(plan, kCoreChinese, column, printerName);
    else Append(plan, kCoreOther, column, printerName);
    if (wLanguage != 0) Append(plan, kPluginEnglish, column, printerName);
    else if (IsSimplifiedChineseLangId(langId)) Append(plan, kPluginSimplified, column, printerName);
    else Append(plan, kPluginTraditional, column, printerName);
    return plan;
}

std::vector<DriverFile> DriverFileSet(const std::string& printerName) {
    std::vector<DriverFile> set;
    for (const NameForm* form : {&kStdNames, &kGpd, &kIni, &kRenderPlugin, &kUiPlugin, &kFontMetrics, &kResourceDll,
                                 &kUnidrv, &kUnidrvHelp, &kUnidrvUi, &kUnires})
        set.push_back(DriverFile{FormName(*form, printerName), form->nameDerived});
    return set;
}

std::vector<std::string> DriverCopyOrder(const std::string& printerName) {
    std::vector<std::string> order;
    for (const NameForm* form : {&kUnidrv, &kGpd, &kUnidrvUi, &kUnidrvHelp, &kUnires, &kStdNames, &kFontMetrics, &kIni,
                                 &kResourceDll, &kRenderPlugin, &kUiPlugin})
        order.push_back(FormName(*form, printerName));
    return order;
}
