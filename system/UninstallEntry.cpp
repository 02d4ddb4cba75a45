#include "system/UninstallEntry.h"

#include "install/PrinterNameCheck.h"
#include "platform/BoundedFormat.h"

bool BuildUninstallEntry(const std::string& printerName, const std::string& driverDir, UninstallEntry& entry) {
    entry = UninstallEntry();
    const char* name = printerName.c_str();
    std::string keyPath, displayName, uninstallString, displayIcon, publisher;
    if (!FormatBounded(keyPath, kPathBuffer, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\%s printer",
                       name) ||
        !FormatBounded(displayName, kPathBuffer, "%s printer driver uninstall", name) ||
        !FormatBounded(publisher, kPathBuffer, "%s printer", name)) {
        return false;
    }
    const bool namesUninstaller = !driverDir.empty();
    if (namesUninstaller) {
        // The icon text is the command followed by ",-0", so it decides whether both fit. A path with a blank
        // is quoted, or the system would run "C:\Program" with the rest as its arguments.
        std::string program;
        if (!FormatBounded(program, kPathBuffer, "%s\\uninstall%s.exe", driverDir.c_str(), name) ||
            !FormatBounded(uninstallString, kPathBuffer, "%s", QuotedIfBlank(program).c_str()) ||
            !FormatBounded(displayIcon, kPathBuffer, "%s,-0", uninstallString.c_str())) {
            return false;
        }
    }
    entry.keyPath = keyPath;
    entry.values.push_back({"DisplayName", displayName});
    if (namesUninstaller) {
        entry.values.push_back({"UninstallString", uninstallString});
        entry.values.push_back({"DisplayIcon", displayIcon});
    }
    entry.values.push_back({"Publisher", publisher});
    return true;
}

bool RecordCreatedPort(IRegistry& registry, const std::string& printerName, const std::string& port) {
    UninstallEntry entry;
    RegKeyHandle key = 0;
    if (!BuildUninstallEntry(printerName, std::string(), entry) || !registry.CreateKey(entry.keyPath, key)) return false;
    const bool written = registry.SetValue(key, kPortCreatedValue, kRegSz, reinterpret_cast<const unsigned char*>(port.c_str()),
                                           static_cast<std::uint32_t>(port.size() + 1));
    registry.CloseKey(key);
    return written;
}
