// The print spooler (winspool.drv), local machine only.
#pragma once
#include "platform/Types.h"

using PrinterHandle = std::uintptr_t;  // 0: none

// A local printer with the name of its driver and its port (PRINTER_INFO_2A pPrinterName, pDriverName, pPortName).
struct LocalPrinter {
    std::string name;
    std::string driver;
    std::string port;  // pPortName: one port, or several separated by commas
};

// The spooler's names of the driver environments the installation knows.
constexpr const char* kEnvironmentX86 = "Windows NT x86";
constexpr const char* kEnvironmentX64 = "Windows x64";

// An installed printer driver of the chosen environment (DRIVER_INFO_3A): its name and every file it names, as the
// spooler gives them (driver, data, configuration and help file, then the dependent files; full paths).
struct InstalledDriver {
    std::string name;
    std::vector<std::string> files;
};

// The driver calls (driver directory, installed drivers, driver deletion) work on one environment, "Windows NT
// x86" until another is chosen.
class ISpooler {
public:
    virtual ~ISpooler() = default;
    // Chooses the environment of the driver calls that follow (kEnvironmentX86 or kEnvironmentX64).
    virtual void UseEnvironment(const std::string& environment) = 0;
    // GetPrinterDriverDirectoryA(NULL, <environment>, 1, buf, 260, &needed); false when it fails.
    virtual Status DriverDirectory(std::string& dir) = 0;
    // EnumPrintersA(PRINTER_ENUM_LOCAL, NULL, 2, NULL, 0, &needed, &count): the bytes needed (0: none/failure).
    virtual std::uint32_t LocalPrintersBytesNeeded() = 0;
    // The second call, with a zero-filled buffer of that many bytes: the printer names in the order returned.
    // False on failure, with the error code in lastError.
    virtual bool EnumLocalPrinters(std::uint32_t bytes, std::vector<std::string>& names, std::uint32_t& lastError) = 0;
    // The same filling call as EnumLocalPrinters, with each printer's driver name.
    virtual bool EnumLocalPrinterRecords(std::uint32_t bytes, std::vector<LocalPrinter>& printers,
                                         std::uint32_t& lastError) = 0;
    // EnumPrinterDriversA(NULL, <environment>, 3, ...): the size, then the filling call (asked again once
    // when a driver was added in between). False when it fails; then drivers is empty.
    virtual Status EnumInstalledDrivers(std::vector<InstalledDriver>& drivers) = 0;
    // OpenPrinterA(name, &h, PRINTER_ALL_ACCESS), DeletePrinter(h), ClosePrinter(h).
    virtual Status DeleteLocalPrinter(const std::string& name) = 0;
    // DeletePrinterDriverA(NULL, <environment>, name): fails while a printer still uses the driver.
    virtual Status DeleteDriver(const std::string& name) = 0;
    // OpenPrinterA(NULL, &h, defaults) on the local print server with the given desired access.
    virtual bool OpenLocalServer(std::uint32_t desiredAccess, PrinterHandle& handle) = 0;
    // DeleteFormA.
    virtual bool RemoveForm(PrinterHandle handle, const std::string& form) = 0;
    // ClosePrinter.
    virtual void ClosePrinterHandle(PrinterHandle handle) = 0;
    // EnumPortsA(NULL, 1, ...): the size, then the filling call (asked again once when a port was added in
    // between); every port's name (PORT_INFO_1A pName). False when it fails; then ports is empty.
    virtual Status EnumPortNames(std::vector<std::string>& ports) = 0;
    // A Standard TCP/IP port: XcvDataW(h, L"AddPort", PORT_DATA_1 {name, version 1, RAW, address, portNumber})
    // on OpenPrinterA(",XcvMonitor Standard TCP/IP Port", SERVER_ACCESS_ADMINISTER). False with the error of
    // the call that failed, or the monitor's status, in error.
    virtual bool AddTcpIpPort(const std::string& name, const std::string& address, std::uint32_t portNumber,
                              std::uint32_t& error) = 0;
    // XcvDataW(h, L"DeletePort", DELETE_PORT_DATA_1 {name, version 1}) on the same monitor.
    virtual bool DeleteTcpIpPort(const std::string& name, std::uint32_t& error) = 0;
};

constexpr std::uint32_t kServerAccessAdminister = 0x00000001;  // SERVER_ACCESS_ADMINISTER
