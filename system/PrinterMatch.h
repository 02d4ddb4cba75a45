// Which local printers carry the printer name, and the enumeration that lists them.
#pragma once
#include <string>
#include <vector>

#include "platform/Spooler.h"

// The number of names that contain part (case-sensitive; an empty part is contained in every name).
int CountNamesContaining(const std::vector<std::string>& names, const std::string& part);

enum class PrinterList { Empty, Failed, Listed };

// The two-call enumeration of the local printers: the size first, then the filling call. A printer added
// between the two calls makes the buffer too small; the size is then asked again and the filling call
// retried once.
PrinterList ListLocalPrinters(ISpooler& spooler, std::vector<std::string>& names, std::uint32_t& lastError);
// The same enumeration with each printer's driver.
PrinterList ListLocalPrinters(ISpooler& spooler, std::vector<LocalPrinter>& printers, std::uint32_t& lastError);
