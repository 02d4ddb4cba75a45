#include "system/PrinterMatch.h"

namespace {

constexpr std::uint32_t kErrorInsufficientBuffer = 122;

// The two calls with fill as the second (names or records), asked again once when the buffer came out short.
template <typename Record, typename Fill>
PrinterList ListTwoCalls(ISpooler& spooler, std::vector<Record>& out, std::uint32_t& lastError, Fill fill) {
    out.clear();
    lastError = 0;
    for (int attempt = 0; attempt < 2; ++attempt) {
        const std::uint32_t bytes = spooler.LocalPrintersBytesNeeded();
        if (bytes == 0) return PrinterList::Empty;
        if (fill(bytes, out, lastError)) return PrinterList::Listed;
        if (lastError != kErrorInsufficientBuffer) break;
    }
    out.clear();
    return PrinterList::Failed;
}

}  // namespace

int CountNamesContaining(const std::vector<std::string>& names, const std::string& part) {
    int count = 0;
    for (const std::string& name : names) {
        if (name.find(part) != std::string::npos) ++count;
    }
    return count;
}

PrinterList ListLocalPrinters(ISpooler& spooler, std::vector<std::string>& names, std::uint32_t& lastError) {
    return ListTwoCalls(spooler, names, lastError, [&](std::uint32_t bytes, auto& out, std::uint32_t& error) {
        return spooler.EnumLocalPrinters(bytes, out, error);
    });
}

PrinterList ListLocalPrinters(ISpooler& spooler, std::vector<LocalPrinter>& printers, std::uint32_t& lastError) {
    return ListTwoCalls(spooler, printers, lastError, [&](std::uint32_t bytes, auto& out, std::uint32_t& error) {
        return spooler.EnumLocalPrinterRecords(bytes, out, error);
    });
}
