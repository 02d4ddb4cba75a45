// The print spooler through winspool.drv, loaded by full path from the system directory at first use.
#include "platform/win32/Win32Platform.h"

#include <winspool.h>

#include "platform/win32/SystemLibrary.h"

namespace {

struct SpoolerApi {
    decltype(&::GetPrinterDriverDirectoryA) getPrinterDriverDirectory = nullptr;
    decltype(&::EnumPrintersA) enumPrinters = nullptr;
    decltype(&::OpenPrinterA) openPrinter = nullptr;
    decltype(&::DeleteFormA) deleteForm = nullptr;
    decltype(&::ClosePrinter) closePrinter = nullptr;
    DWORD loadError = 0;  // why the library is missing, for the callers that report an error code
};

const SpoolerApi& Spooler() {
    static const SpoolerApi api = [] {
        SpoolerApi a;
        HMODULE module = LoadSystemLibrary("winspool.drv");
        if (!module) {
            a.loadError = GetLastError() ? GetLastError() : ERROR_MOD_NOT_FOUND;
            return a;
        }
        a.getPrinterDriverDirectory =
            SystemProc<decltype(&::GetPrinterDriverDirectoryA)>(module, "GetPrinterDriverDirectoryA");
        a.enumPrinters = SystemProc<decltype(&::EnumPrintersA)>(module, "EnumPrintersA");
        a.openPrinter = SystemProc<decltype(&::OpenPrinterA)>(module, "OpenPrinterA");
        a.deleteForm = SystemProc<decltype(&::DeleteFormA)>(module, "DeleteFormA");
        a.closePrinter = SystemProc<decltype(&::ClosePrinter)>(module, "ClosePrinter");
        return a;
    }();
    return api;
}

// A writable copy of a text, for the API parameters declared as non-const strings.
std::vector<char> Writable(const std::string& s) {
    std::vector<char> r(s.begin(), s.end());
    r.push_back('\0');
    return r;
}

}  // namespace

bool Win32Spooler::DriverDirectory(std::string& dir) {
    dir.clear();
    const SpoolerApi& api = Spooler();
    if (!api.getPrinterDriverDirectory) return false;
    BYTE buf[kPathBuffer] = {};
    DWORD needed = 0;
    char environment[] = "Windows NT x86";
    if (!api.getPrinterDriverDirectory(nullptr, environment, 1, buf, sizeof buf, &needed)) return false;
    const char* text = reinterpret_cast<const char*>(buf);
    std::size_t n = 0;
    while (n < sizeof buf && text[n] != '\0') ++n;
    if (n == sizeof buf) return false;  // no terminator: not a path
    dir.assign(text, n);
    return true;
}

std::uint32_t Win32Spooler::LocalPrintersBytesNeeded() {
    const SpoolerApi& api = Spooler();
    if (!api.enumPrinters) return 0;
    DWORD needed = 0, count = 0;
    api.enumPrinters(PRINTER_ENUM_LOCAL, nullptr, 2, nullptr, 0, &needed, &count);
    return needed;
}

bool Win32Spooler::EnumLocalPrinters(std::uint32_t bytes, std::vector<std::string>& names, std::uint32_t& lastError) {
    names.clear();
    const SpoolerApi& api = Spooler();
    if (!api.enumPrinters) {
        lastError = api.loadError ? api.loadError : ERROR_PROC_NOT_FOUND;
        return false;
    }
    Bytes block(bytes, 0);
    DWORD needed = 0, count = 0;
    if (!api.enumPrinters(PRINTER_ENUM_LOCAL, nullptr, 2, bytes ? block.data() : nullptr, bytes, &needed, &count)) {
        lastError = GetLastError();
        return false;
    }
    lastError = 0;
    // The block holds count records followed by their strings; never read past what was handed over.
    if (static_cast<std::uint64_t>(count) * sizeof(PRINTER_INFO_2A) > bytes) count = bytes / sizeof(PRINTER_INFO_2A);
    const PRINTER_INFO_2A* info = reinterpret_cast<const PRINTER_INFO_2A*>(block.data());
    for (DWORD i = 0; i < count; ++i) names.push_back(info[i].pPrinterName ? info[i].pPrinterName : "");
    return true;
}

bool Win32Spooler::OpenLocalServer(std::uint32_t desiredAccess, PrinterHandle& handle) {
    handle = 0;
    const SpoolerApi& api = Spooler();
    if (!api.openPrinter) return false;
    PRINTER_DEFAULTSA defaults = {nullptr, nullptr, desiredAccess};
    HANDLE opened = nullptr;
    if (!api.openPrinter(nullptr, &opened, desiredAccess ? &defaults : nullptr) || !opened) return false;
    handle = reinterpret_cast<PrinterHandle>(opened);
    return true;
}

bool Win32Spooler::RemoveForm(PrinterHandle handle, const std::string& form) {
    const SpoolerApi& api = Spooler();
    if (!api.deleteForm || handle == 0) return false;
    std::vector<char> name = Writable(form);
    return api.deleteForm(reinterpret_cast<HANDLE>(handle), name.data()) != 0;
}

void Win32Spooler::ClosePrinterHandle(PrinterHandle handle) {
    const SpoolerApi& api = Spooler();
    if (api.closePrinter && handle != 0) api.closePrinter(reinterpret_cast<HANDLE>(handle));
}
