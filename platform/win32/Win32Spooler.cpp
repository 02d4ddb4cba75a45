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
    decltype(&::EnumPrinterDriversA) enumPrinterDrivers = nullptr;
    decltype(&::DeletePrinter) deletePrinter = nullptr;
    decltype(&::DeletePrinterDriverA) deletePrinterDriver = nullptr;
    decltype(&::EnumPortsA) enumPorts = nullptr;
    decltype(&::XcvDataW) xcvData = nullptr;
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
        a.enumPrinterDrivers = SystemProc<decltype(&::EnumPrinterDriversA)>(module, "EnumPrinterDriversA");
        a.deletePrinter = SystemProc<decltype(&::DeletePrinter)>(module, "DeletePrinter");
        a.deletePrinterDriver = SystemProc<decltype(&::DeletePrinterDriverA)>(module, "DeletePrinterDriverA");
        a.enumPorts = SystemProc<decltype(&::EnumPortsA)>(module, "EnumPortsA");
        a.xcvData = SystemProc<decltype(&::XcvDataW)>(module, "XcvDataW");
        return a;
    }();
    return api;
}

// The spooler call is missing: why the library could not be loaded, or that the export is not there.
Status Missing(const SpoolerApi& api) { return FailedWith(api.loadError ? api.loadError : ERROR_PROC_NOT_FOUND); }

// The spooler's two-call enumeration: call(buffer, size, &needed, &count) is asked for the size, then fills a
// block of it, once more when an entry was added in between; count is kept within the block of Records.
template <typename Record, typename Call>
Status EnumerateRecords(Call call, Bytes& block, DWORD& count) {
    Status status;
    for (int attempt = 0; attempt < 2; ++attempt) {
        DWORD needed = 0;
        count = 0;
        block.clear();
        if (call(nullptr, 0, &needed, &count)) {
            count = 0;
            return Status();  // none
        }
        status = LastFailure();
        if (status.error != ERROR_INSUFFICIENT_BUFFER || needed == 0) return status;
        block.assign(needed, 0);
        if (!call(block.data(), needed, &needed, &count)) {
            status = LastFailure();
            count = 0;
            if (status.error == ERROR_INSUFFICIENT_BUFFER) continue;  // an entry was added in between
            return status;
        }
        if (static_cast<std::uint64_t>(count) * sizeof(Record) > block.size())
            count = static_cast<DWORD>(block.size() / sizeof(Record));
        return Status();
    }
    return status;
}

// A writable copy of a text, for the API parameters declared as non-const strings.
std::vector<char> Writable(const std::string& s) {
    std::vector<char> r(s.begin(), s.end());
    r.push_back('\0');
    return r;
}


// The filling call of EnumPrintersA(PRINTER_ENUM_LOCAL, level 2) into a block of bytes; the records that fit
// the block, never read past it.
bool FillPrinterRecords(std::uint32_t bytes, Bytes& block, DWORD& count, std::uint32_t& lastError) {
    const SpoolerApi& api = Spooler();
    count = 0;
    if (!api.enumPrinters) {
        lastError = api.loadError ? api.loadError : ERROR_PROC_NOT_FOUND;
        return false;
    }
    block.assign(bytes, 0);
    DWORD needed = 0;
    if (!api.enumPrinters(PRINTER_ENUM_LOCAL, nullptr, 2, bytes ? block.data() : nullptr, bytes, &needed, &count)) {
        lastError = GetLastError();
        count = 0;
        return false;
    }
    lastError = 0;
    if (static_cast<std::uint64_t>(count) * sizeof(PRINTER_INFO_2A) > bytes) count = bytes / sizeof(PRINTER_INFO_2A);
    return true;
}

std::string TextOrEmpty(const char* text) { return text ? text : ""; }

// The data of the Standard TCP/IP Port monitor's "AddPort" and "DeletePort" (tcpxcv.h, version 1).
struct TcpPortData1 {
    WCHAR portName[64];
    DWORD version;
    DWORD protocol;
    DWORD size;
    DWORD reserved;
    WCHAR hostAddress[49];
    WCHAR snmpCommunity[33];
    DWORD doubleSpool;
    WCHAR queue[33];
    WCHAR ipAddress[16];
    BYTE reserved2[540];
    DWORD portNumber;
    DWORD snmpEnabled;
    DWORD snmpDevIndex;
};
struct TcpDeletePortData1 {
    WCHAR portName[64];
    BYTE reserved[98];
    DWORD version;
    DWORD reserved2;
};
constexpr DWORD kProtocolRawTcp = 1;  // PROTOCOL_RAWTCP_TYPE

// An ASCII text into a wide field, which keeps its terminator; false when it does not fit.
template <std::size_t N>
bool ToWideField(const std::string& text, WCHAR (&field)[N]) {
    if (text.size() >= N) return false;
    for (std::size_t i = 0; i < text.size(); ++i) field[i] = static_cast<unsigned char>(text[i]);
    field[text.size()] = 0;
    return true;
}

// One call of the Standard TCP/IP Port monitor: true when the call and the monitor both succeed.
bool CallTcpMonitor(const wchar_t* what, void* data, DWORD size, std::uint32_t& error) {
    const SpoolerApi& api = Spooler();
    if (!api.openPrinter || !api.closePrinter || !api.xcvData) {
        error = api.loadError ? api.loadError : ERROR_PROC_NOT_FOUND;
        return false;
    }
    char monitor[] = ",XcvMonitor Standard TCP/IP Port";
    PRINTER_DEFAULTSA defaults = {nullptr, nullptr, SERVER_ACCESS_ADMINISTER};
    HANDLE handle = nullptr;
    if (!api.openPrinter(monitor, &handle, &defaults) || !handle) {
        error = GetLastError() ? GetLastError() : ERROR_INVALID_PRINTER_NAME;
        return false;
    }
    DWORD needed = 0, status = ERROR_SUCCESS;
    const bool called = api.xcvData(handle, what, static_cast<PBYTE>(data), size, nullptr, 0, &needed, &status) != 0;
    error = called ? status : GetLastError();
    api.closePrinter(handle);
    return called && status == ERROR_SUCCESS;
}

}  // namespace

void Win32Spooler::UseEnvironment(const std::string& environment) { environment_ = environment; }

Status Win32Spooler::DriverDirectory(std::string& dir) {
    dir.clear();
    const SpoolerApi& api = Spooler();
    if (!api.getPrinterDriverDirectory) return Missing(api);
    BYTE buf[kPathBuffer] = {};
    DWORD needed = 0;
    if (!api.getPrinterDriverDirectory(nullptr, &environment_[0], 1, buf, sizeof buf, &needed)) return LastFailure();
    const char* text = reinterpret_cast<const char*>(buf);
    std::size_t n = 0;
    while (n < sizeof buf && text[n] != '\0') ++n;
    if (n == sizeof buf) return FailedWith(ERROR_INSUFFICIENT_BUFFER);  // no terminator: not a path
    dir.assign(text, n);
    return Status();
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
    Bytes block;
    DWORD count = 0;
    if (!FillPrinterRecords(bytes, block, count, lastError)) return false;
    const PRINTER_INFO_2A* info = reinterpret_cast<const PRINTER_INFO_2A*>(block.data());
    for (DWORD i = 0; i < count; ++i) names.push_back(TextOrEmpty(info[i].pPrinterName));
    return true;
}

bool Win32Spooler::EnumLocalPrinterRecords(std::uint32_t bytes, std::vector<LocalPrinter>& printers,
                                           std::uint32_t& lastError) {
    printers.clear();
    Bytes block;
    DWORD count = 0;
    if (!FillPrinterRecords(bytes, block, count, lastError)) return false;
    const PRINTER_INFO_2A* info = reinterpret_cast<const PRINTER_INFO_2A*>(block.data());
    for (DWORD i = 0; i < count; ++i)
        printers.push_back(LocalPrinter{TextOrEmpty(info[i].pPrinterName), TextOrEmpty(info[i].pDriverName),
                                        TextOrEmpty(info[i].pPortName)});
    return true;
}

Status Win32Spooler::EnumInstalledDrivers(std::vector<InstalledDriver>& drivers) {
    drivers.clear();
    const SpoolerApi& api = Spooler();
    if (!api.enumPrinterDrivers) return Missing(api);
    Bytes block;
    DWORD count = 0;
    const Status status = EnumerateRecords<DRIVER_INFO_3A>(
        [&](BYTE* buffer, DWORD size, DWORD* needed, DWORD* found) {
            return api.enumPrinterDrivers(nullptr, &environment_[0], 3, buffer, size, needed, found);
        },
        block, count);
    const DRIVER_INFO_3A* info = reinterpret_cast<const DRIVER_INFO_3A*>(block.data());
    for (DWORD i = 0; i < count; ++i) {
        InstalledDriver driver{TextOrEmpty(info[i].pName), {}};
        for (const char* file : {info[i].pDriverPath, info[i].pDataFile, info[i].pConfigFile, info[i].pHelpFile})
            if (file && *file) driver.files.push_back(file);
        // A list of strings, each ended by a zero, the list by an empty one; kept within the block.
        if (const char* p = info[i].pDependentFiles) {
            const char* end = reinterpret_cast<const char*>(block.data() + block.size());
            while (p >= reinterpret_cast<const char*>(block.data()) && p < end && *p) {
                const char* stop = p;
                while (stop < end && *stop) ++stop;
                driver.files.push_back(std::string(p, stop));
                p = stop + 1;
            }
        }
        drivers.push_back(driver);
    }
    return status;
}

Status Win32Spooler::DeleteLocalPrinter(const std::string& name) {
    const SpoolerApi& api = Spooler();
    if (!api.openPrinter || !api.deletePrinter || !api.closePrinter) return Missing(api);
    if (name.empty()) return FailedWith(ERROR_INVALID_PRINTER_NAME);
    std::vector<char> printer = Writable(name);
    PRINTER_DEFAULTSA defaults = {nullptr, nullptr, PRINTER_ALL_ACCESS};
    HANDLE handle = nullptr;
    if (!api.openPrinter(printer.data(), &handle, &defaults)) return LastFailure();
    if (!handle) return FailedWith(ERROR_INVALID_HANDLE);
    const Status deleted = api.deletePrinter(handle) ? Status() : LastFailure();
    api.closePrinter(handle);
    return deleted;
}

Status Win32Spooler::DeleteDriver(const std::string& name) {
    const SpoolerApi& api = Spooler();
    if (!api.deletePrinterDriver) return Missing(api);
    if (name.empty()) return FailedWith(ERROR_UNKNOWN_PRINTER_DRIVER);
    std::vector<char> driver = Writable(name);
    return api.deletePrinterDriver(nullptr, &environment_[0], driver.data()) ? Status() : LastFailure();
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

Status Win32Spooler::EnumPortNames(std::vector<std::string>& ports) {
    ports.clear();
    const SpoolerApi& api = Spooler();
    if (!api.enumPorts) return Missing(api);
    Bytes block;
    DWORD count = 0;
    const Status status = EnumerateRecords<PORT_INFO_1A>(
        [&](BYTE* buffer, DWORD size, DWORD* needed, DWORD* found) {
            return api.enumPorts(nullptr, 1, buffer, size, needed, found);
        },
        block, count);
    const PORT_INFO_1A* info = reinterpret_cast<const PORT_INFO_1A*>(block.data());
    for (DWORD i = 0; i < count; ++i) ports.push_back(TextOrEmpty(info[i].pName));
    return status;
}

bool Win32Spooler::AddTcpIpPort(const std::string& name, const std::string& address, std::uint32_t portNumber,
                                std::uint32_t& error) {
    TcpPortData1 data = {};
    if (!ToWideField(name, data.portName) || !ToWideField(address, data.hostAddress) ||
        !ToWideField("public", data.snmpCommunity)) {
        error = ERROR_INVALID_PARAMETER;
        return false;
    }
    data.version = 1;
    data.protocol = kProtocolRawTcp;
    data.size = sizeof data;
    data.portNumber = portNumber;
    return CallTcpMonitor(L"AddPort", &data, sizeof data, error);
}

bool Win32Spooler::DeleteTcpIpPort(const std::string& name, std::uint32_t& error) {
    TcpDeletePortData1 data = {};
    if (!ToWideField(name, data.portName)) {
        error = ERROR_INVALID_PARAMETER;
        return false;
    }
    data.version = 1;
    return CallTcpMonitor(L"DeletePort", &data, sizeof data, error);
}
