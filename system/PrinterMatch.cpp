#include "system/PrinterMatch.h"

namespace {

constexpr std::uint32_t kErrorInsufficientBuffer = 122;

}  // namespace

int CountNamesContaining(const std::vector<std::string>& names, const std::string& part) {
    int count = 0;
    for (const std::string& name : names) {
        if (name.find(part) != std::string::npos) ++count;
    }
    return count;
}

PrinterList ListLocalPrinters(ISpooler& spooler, std::vector<std::string>& names, std::uint32_t& lastError) {
    names.clear();
    lastError = 0;
    for (int attempt = 0; attempt < 2; ++attempt) {
        const std::uint32_t bytes = spooler.LocalPrintersBytesNeeded();
        if (bytes == 0) return PrinterList::Empty;
        if (spooler.EnumLocalPrinters(bytes, names, lastError)) return PrinterList::Listed;
        if (lastError != kErrorInsufficientBuffer) break;
    }
    names.clear();
    return PrinterList::Failed;
}
