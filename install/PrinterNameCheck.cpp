#include "install/PrinterNameCheck.h"

#include <cctype>
#include <cstring>

#include "platform/Types.h"

namespace {

bool IsForbidden(unsigned char c) {
    return c < 0x20 || c == 0x7F || std::strchr("\\/:<>\"|?*", c) != nullptr;
}

// CON, PRN, AUX, NUL, COM1..COM9 and LPT1..LPT9, in any case: Windows takes "<name>.<ext>" for the device.
bool IsDeviceName(const std::string& name) {
    std::string upper;
    for (char c : name) upper.push_back(static_cast<char>(std::toupper(static_cast<unsigned char>(c))));
    if (upper == "CON" || upper == "PRN" || upper == "AUX" || upper == "NUL") return true;
    return upper.size() == 4 && (upper.compare(0, 3, "COM") == 0 || upper.compare(0, 3, "LPT") == 0) &&
           upper[3] >= '1' && upper[3] <= '9';
}

}  // namespace

PrinterNameProblem CheckPrinterName(const std::string& name, const std::string& driverDir) {
    if (name.empty()) return PrinterNameProblem::Empty;
    for (char c : name)
        if (IsForbidden(static_cast<unsigned char>(c))) return PrinterNameProblem::ForbiddenCharacter;
    if (IsDeviceName(name)) return PrinterNameProblem::ReservedName;

    // The longest texts formed from the name: the uninstall key, the uninstaller's icon reference in the
    // driver directory, a plug-in in the version subdirectory and a resource module in the staging area.
    const std::string longest[] = {
        "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + name + " printer",
        driverDir + "\\uninstall" + name + ".exe,-0",
        driverDir + "\\3\\" + name + "RES.DLL",
        "C:\\TEMP\\I386\\" + name + "RES.DLL",
        "*ResourceDLL: \"" + name + "RES.DLL\"",
    };
    for (const std::string& text : longest)
        if (text.size() >= kPathBuffer) return PrinterNameProblem::TooLong;
    return PrinterNameProblem::None;
}
