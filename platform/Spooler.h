// The print spooler (winspool.drv), local machine only.
#pragma once
#include "platform/Types.h"

using PrinterHandle = std::uintptr_t;  // 0: none

class ISpooler {
public:
    virtual ~ISpooler() = default;
    // GetPrinterDriverDirectoryA(NULL, "Windows NT x86", 1, buf, 260, &needed); false when it fails.
    virtual bool DriverDirectory(std::string& dir) = 0;
    // EnumPrintersA(PRINTER_ENUM_LOCAL, NULL, 2, NULL, 0, &needed, &count): the bytes needed (0: none/failure).
    virtual std::uint32_t LocalPrintersBytesNeeded() = 0;
    // The second call, with a zero-filled buffer of that many bytes: the printer names in the order returned.
    // False on failure, with the error code in lastError.
    virtual bool EnumLocalPrinters(std::uint32_t bytes, std::vector<std::string>& names, std::uint32_t& lastError) = 0;
    // OpenPrinterA(NULL, &h, defaults) on the local print server with the given desired access.
    virtual bool OpenLocalServer(std::uint32_t desiredAccess, PrinterHandle& handle) = 0;
    // DeleteFormA.
    virtual bool RemoveForm(PrinterHandle handle, const std::string& form) = 0;
    // ClosePrinter.
    virtual void ClosePrinterHandle(PrinterHandle handle) = 0;
};

constexpr std::uint32_t kServerAccessAdminister = 0x00000001;  // SERVER_ACCESS_ADMINISTER
