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

// Columns of the plan: Windows XP, Windows 2000, every other host code.
enum Column { kXp, kWin2000, kOther, kColumns };

Column ColumnOf(int osType) {
    if (osType == 7) return kXp;
    if (osType == 6) return kWin2000;
    return kOther;
}

struct PlanRow {
    const NameForm* file;
    std::uint16_t ids[kColumns];
    bool patchNames;
    bool alsoI386x86;
};

// Rows 1 to 5: the same for every language.
const PlanRow kCommonRows[] = {
    {&kStdNames, {153, 168, 186}, false, false},
    {&kGpd, {155, 169, 187}, true, false},
    {&kIni, {159, 170, 188}, true, false},
    {&kRenderPlugin, {156, 171, 189}, false, true},
    {&kFontMetrics, {154, 154, 154}, false, false},
};

// Row 6: the Unidrv core files, by whether the system is Chinese.
const PlanRow kCoreChinese[] = {
    {&kUnidrv, {149, 172, 190}, false, false},
    {&kUnidrvHelp, {152, 173, 191}, false, false},
    {&kUnidrvUi, {150, 174, 192}, false, false},
    {&kUnires, {151, 175, 193}, false, false},
};
const PlanRow kCoreOther[] = {
    {&kUnidrv, {163, 176, 196}, false, false},
    {&kUnidrvHelp, {164, 177, 197}, false, false},
    {&kUnidrvUi, {165, 178, 198}, false, false},
    {&kUnires, {166, 179, 199}, false, false},
};

// Row 7: the printer's user-interface plug-in and strings, by the chosen language and the system.
const PlanRow kPluginSimplified[] = {
    {&kUiPlugin, {157, 184, 194}, false, true},
    {&kResourceDll, {158, 185, 195}, false, true},
};
const PlanRow kPluginTraditional[] = {
    {&kUiPlugin, {249, 250, 251}, false, true},
    {&kResourceDll, {254, 252, 253}, false, true},
};
const PlanRow kPluginEnglish[] = {
    {&kUiPlugin, {161, 182, 200}, false, true},
    {&kResourceDll, {162, 183, 201}, false, true},
};

template <std::size_t N>
void Append(std::vector<StagedFile>& plan, const PlanRow (&rows)[N], Column column, const std::string& printerName) {
    for (const PlanRow& row : rows)
        plan.push_back(StagedFile{row.ids[column], FormName(*row.file, printerName), row.patchNames, row.alsoI386x86});
}

}  // namespace

std::vector<StagedFile> StagingPlan(int osType, std::uint16_t langId, std::uint16_t wLanguage,
                                    const std::string& printerName) {
    const Column column = ColumnOf(osType);
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
