#include "install/InstallCommandText.h"

#include "install/ModelWord.h"
#include "install/ResultMessageBytes.h"  // generated
#include "install/StagingPlan.h"
#include "platform/BoundedFormat.h"

namespace {

template <std::size_t N>
std::string Text(const unsigned char (&bytes)[N]) {
    return std::string(reinterpret_cast<const char*>(bytes), N);
}

}  // namespace

bool RundllProgram(const std::string& systemDir, std::string& out) {
    out.clear();
    if (systemDir.empty()) return false;
    std::string path;
    if (!JoinPath(path, systemDir, "rundll32.exe")) return false;
    if (path.find(' ') == std::string::npos) {
        out = path;
        return true;
    }
    return FormatBounded(out, kPathBuffer, "\"%s\"", path.c_str());
}

bool InstallCommandLine(const std::string& systemDir, std::string& out, const std::string& portName) {
    std::string program;
    PrinterPort port;
    // Only a port in one of the accepted forms and spelled as the spooler spells it goes into the quotes.
    if (!ParsePrinterPort(portName, port) || port.name != portName || !RundllProgram(systemDir, program)) return false;
    return FormatBounded(out, kPathBuffer, "%s printui.dll,PrintUIEntry /if /f C:\\TEMP\\%s.INF /r \"%s\" /b \"%s\" /m \"%s\" ",
                         program.c_str(), kModelWord, port.name.c_str(), kModelWord, kModelWord);
}

bool DefaultPrinterCommandLine(const std::string& systemDir, std::string& out) {
    std::string program;
    if (!RundllProgram(systemDir, program)) return false;
    return FormatBounded(out, kPathBuffer, "%s printui.dll,PrintUIEntry /y /n \"%s\"", program.c_str(), kModelWord);
}

bool HasModelPrinter(const std::vector<std::string>& printerNames) {
    for (auto it = printerNames.rbegin(); it != printerNames.rend(); ++it)
        if (it->find(kModelWord) != std::string::npos) return true;
    return false;
}

std::string ResultMessage(bool installed, std::uint16_t wLanguage, std::uint16_t langId) {
    if (wLanguage != 0)
        return installed ? "The Printer Driver has been installed successfully!"
                         : "The Printer Driver installation has been failed!";
    if (IsSimplifiedChineseLangId(langId)) return installed ? Text(kGbkSuccess) : Text(kGbkFailure);
    return installed ? Text(kBig5Success) : Text(kBig5Failure);
}
