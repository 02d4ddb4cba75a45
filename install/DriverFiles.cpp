#include "install/DriverFiles.h"

#include "platform/DbcsText.h"

const DriverFileForm kGpdFile{".GPD", true};
const DriverFileForm kIniFile{".INI", true};
const DriverFileForm kRenderPluginFile{"D.dll", true};
const DriverFileForm kUiPluginFile{"F.dll", true};
const DriverFileForm kResourceDllFile{"RES.DLL", true};
const DriverFileForm kStdNamesFile{"STDNAMES.GPD", false};
const DriverFileForm kFontMetricsFile{"ZIKU.UFM", false};
const DriverFileForm kUnidrvFile{"UNIDRV.DLL", false};
const DriverFileForm kUnidrvHelpFile{"UNIDRV.HLP", false};
const DriverFileForm kUnidrvUiFile{"UNIDRVUI.DLL", false};
const DriverFileForm kUniresFile{"UNIRES.DLL", false};

std::vector<DriverFile> DriverFileSet(const std::string& printerName) {
    std::vector<DriverFile> set;
    for (const DriverFileForm* form :
         {&kStdNamesFile, &kGpdFile, &kIniFile, &kRenderPluginFile, &kUiPluginFile, &kFontMetricsFile, &kResourceDllFile,
          &kUnidrvFile, &kUnidrvHelpFile, &kUnidrvUiFile, &kUniresFile})
        set.push_back(DriverFile{form->NameFor(printerName), form->nameDerived});
    return set;
}

std::vector<std::string> DriverCopyOrder(const std::string& printerName) {
    std::vector<std::string> order;
    for (const DriverFileForm* form : {&kUnidrvFile, &kGpdFile, &kUnidrvUiFile, &kUnidrvHelpFile, &kUniresFile,
                                       &kStdNamesFile, &kFontMetricsFile, &kIniFile, &kResourceDllFile,
                                       &kRenderPluginFile, &kUiPluginFile})
        order.push_back(form->NameFor(printerName));
    return order;
}

bool IsUnidrvCoreFile(const std::string& fileName) {
    for (const DriverFileForm* form : {&kUnidrvFile, &kUnidrvHelpFile, &kUnidrvUiFile, &kUniresFile})
        if (EqualNoCase(fileName, form->text)) return true;
    return false;
}

bool DriverNamesFile(const InstalledDriver& driver, const std::string& fileName, std::uint32_t codePage) {
    for (const std::string& used : driver.files)
        if (EqualNoCase(FileNameOf(used, codePage), fileName)) return true;
    return false;
}
