#include "system/OemInfScan.h"

#include "platform/BoundedFormat.h"
#include "platform/TextStream.h"

namespace {
bool Contains(const std::string& line, const char* text) { return line.find(text) != std::string::npos; }
}  // namespace

bool OemInfPaths(const std::string& windowsDir, int index, std::string& infPath, std::string& pnfPath) {
    if (windowsDir.empty()) return false;  // would name files at the root of the current drive
    return FormatBounded(infPath, kPathBuffer, "%s\\inf\\oem%d.inf", windowsDir.c_str(), index) &&
           FormatBounded(pnfPath, kPathBuffer, "%s\\inf\\oem%d.pnf", windowsDir.c_str(), index);
}

bool OemInfMatches(const Bytes& fileBytes) {
    bool printerClass = false, manufacturer = false, gpd = false;
    for (const std::string& line : ReadTextPieces(fileBytes, kPathBuffer)) {
        if (Contains(line, "Class=Printer")) printerClass = true;
        if (Contains(line, "[Manufacturer]")) manufacturer = true;
        if (Contains(line, ".GPD")) gpd = true;
        if (printerClass && (manufacturer || gpd) && Contains(line, "W36")) return true;
    }
    return false;
}
