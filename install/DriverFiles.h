// The driver's files by name: the printer-named and fixed forms, the driver file set and the copy order.
#pragma once
#include <string>
#include <vector>

#include "platform/Spooler.h"

// A driver file's name: fixed, or the printer name followed by the suffix.
struct DriverFileForm {
    const char* text;
    bool nameDerived;

    std::string NameFor(const std::string& printerName) const {
        return nameDerived ? printerName + text : std::string(text);
    }
};

// The five files named after the printer. The file system compares names without regard to case.
extern const DriverFileForm kGpdFile;           // <name>.GPD, the printer description
extern const DriverFileForm kIniFile;           // <name>.INI, the plug-in list
extern const DriverFileForm kRenderPluginFile;  // <name>D.dll
extern const DriverFileForm kUiPluginFile;      // <name>F.dll
extern const DriverFileForm kResourceDllFile;   // <name>RES.DLL
// The six with fixed names: the standard names, the font metrics and the Unidrv core.
extern const DriverFileForm kStdNamesFile;
extern const DriverFileForm kFontMetricsFile;
extern const DriverFileForm kUnidrvFile;
extern const DriverFileForm kUnidrvHelpFile;
extern const DriverFileForm kUnidrvUiFile;
extern const DriverFileForm kUniresFile;

struct DriverFile {
    std::string fileName;
    bool nameDerived = false;  // named after the printer (also removed from the version subdirectory)
};

// The uninstaller's file name: "uninstall" + printer name + ".exe".
inline std::string UninstallerName(const std::string& printerName) { return "uninstall" + printerName + ".exe"; }
// The staged INF's file name: printer name + ".INF".
inline std::string InfName(const std::string& printerName) { return printerName + ".INF"; }

// The eleven driver files in clean-up order.
std::vector<DriverFile> DriverFileSet(const std::string& printerName);
// The same files in the order they are copied into the driver directory.
std::vector<std::string> DriverCopyOrder(const std::string& printerName);

// Whether the file is one of the four Unidrv core files (names without regard to case).
bool IsUnidrvCoreFile(const std::string& fileName);

// Whether one of the installed driver's files has this file name (paths split in the code page).
bool DriverNamesFile(const InstalledDriver& driver, const std::string& fileName, std::uint32_t codePage);
