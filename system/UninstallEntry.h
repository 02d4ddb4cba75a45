// The entry in the system's list of installed software that points at the driver's uninstaller.
#pragma once
#include <string>
#include <vector>

#include "platform/Registry.h"

struct UninstallValue {
    std::string name;
    std::string text;  // stored as REG_SZ, terminating zero included in the size
};

struct UninstallEntry {
    std::string keyPath;                 // below HKEY_LOCAL_MACHINE
    std::vector<UninstallValue> values;  // in the order they are written
};

// Forms the entry for printerName. driverDir is the spooler's driver directory, which holds the uninstaller
// copy; when it is empty the entry carries no value naming the uninstaller (DisplayName and Publisher only).
// False when the key path or any text would not fit its 260-character buffer: then no entry is written at all.
bool BuildUninstallEntry(const std::string& printerName, const std::string& driverDir, UninstallEntry& entry);

// The value of the entry's key that names a port the installation created (a Standard TCP/IP port), which
// the uninstaller removes when no printer uses it any more.
constexpr const char* kPortCreatedValue = "PortCreated";

// Writes PortCreated = port into printerName's entry key (created when missing); false when the key path
// does not fit or the registry refuses.
bool RecordCreatedPort(IRegistry& registry, const std::string& printerName, const std::string& port);
