#include "install/PrinterNameCheck.h"

#include <cctype>
#include <cstring>

#include "install/StagingPlan.h"
#include "platform/DbcsText.h"
#include "platform/Types.h"

namespace {

bool IsForbidden(unsigned char c) {
    return c < 0x20 || c == 0x7F || std::strchr("\\/:<>\"|?*", c) != nullptr;
}

// Windows opens a device for any file name whose part before the first dot, trailing blanks dropped, is a
// device name in any case: "LPT1.x", "nul " and "Com1 .a" all name the device, and so would "<name>.GPD".
bool IsDeviceName(const std::string& name) {
    std::string base = name.substr(0, name.find('.'));
    while (!base.empty() && base.back() == ' ') base.pop_back();
    for (char& c : base) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    for (const char* device : {"CON", "PRN", "AUX", "NUL", "CLOCK$", "CONIN$", "CONOUT$"})
        if (base == device) return true;
    return base.size() == 4 && (base.compare(0, 3, "COM") == 0 || base.compare(0, 3, "LPT") == 0) &&
           base[3] >= '1' && base[3] <= '9';
}

std::string Upper(std::string s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

// Whether a file named after the printer would be a file that every Unidrv printer shares, or the scratch file.
bool NamesSharedFile(const std::string& name) {
    const std::vector<DriverFile> set = DriverFileSet(name);
    std::vector<std::string> named{UninstallerName(name), InfName(name)};
    for (const DriverFile& file : set)
        if (file.nameDerived) named.push_back(file.fileName);
    for (const std::string& derived : named) {
        if (Upper(derived) == "TEMP.TXT") return true;
        for (const DriverFile& file : set)
            if (!file.nameDerived && Upper(derived) == Upper(file.fileName)) return true;
    }
    return false;
}

}  // namespace

std::string QuotedIfBlank(const std::string& path) {
    return path.find(' ') == std::string::npos ? path : "\"" + path + "\"";
}

PrinterNameProblem CheckPrinterName(const std::string& name, const std::string& driverDir, std::uint32_t codePage) {
    if (name.empty()) return PrinterNameProblem::Empty;
    for (std::size_t i = 0; i < name.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(name[i]);
        if (IsDbcsLeadByte(c, codePage)) {
            if (++i == name.size()) return PrinterNameProblem::ForbiddenCharacter;
            continue;  // a trail byte may be 0x5C or '|' without being one
        }
        if (IsForbidden(c)) return PrinterNameProblem::ForbiddenCharacter;
    }
    if (IsDeviceName(name)) return PrinterNameProblem::ReservedName;
    if (NamesSharedFile(name)) return PrinterNameProblem::NamesSharedFile;

    // The longest texts formed from the name: the uninstall key, the uninstaller's icon reference in the
    // driver directory, a plug-in in the version subdirectory and a resource module in the staging area.
    const std::string longest[] = {
        "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + name + " printer",
        QuotedIfBlank(driverDir + "\\" + UninstallerName(name)) + ",-0",
        driverDir + "\\3\\" + name + "RES.DLL",
        "C:\\TEMP\\I386\\" + name + "RES.DLL",
        "*ResourceDLL: \"" + name + "RES.DLL\"",
    };
    for (const std::string& text : longest)
        if (text.size() >= kPathBuffer) return PrinterNameProblem::TooLong;
    return PrinterNameProblem::None;
}
