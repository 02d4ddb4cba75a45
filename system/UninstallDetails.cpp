#include "system/UninstallDetails.h"

#include "platform/BoundedFormat.h"
#include "resources/product.h"

namespace {

bool SetText(IRegistry& registry, RegKeyHandle key, const char* name, const std::string& text) {
    return registry.SetValue(key, name, kRegSz, reinterpret_cast<const unsigned char*>(text.c_str()),
                             static_cast<std::uint32_t>(text.size() + 1));
}

bool SetDword(IRegistry& registry, RegKeyHandle key, const char* name, std::uint32_t value) {
    const unsigned char bytes[4] = {static_cast<unsigned char>(value), static_cast<unsigned char>(value >> 8),
                                    static_cast<unsigned char>(value >> 16), static_cast<unsigned char>(value >> 24)};
    return registry.SetValue(key, name, kRegDword, bytes, 4);
}

bool DeleteAll(IRegistry& registry, RegKeyHandle key) {
    bool gone = true;
    for (const char* name : kUninstallDetailNames) gone = registry.DeleteValue(key, name) && gone;
    return gone;
}

}  // namespace

const char* ProductVersionText() { return PRODUCT_VERSION_TEXT; }

bool WriteUninstallDetails(IRegistry& registry, const std::string& printerName, const std::string& driverDir,
                           std::uint64_t installedBytes) {
    UninstallEntry entry;
    std::string program, quiet;
    if (driverDir.empty() || !BuildUninstallEntry(printerName, driverDir, entry) ||
        !FormatBounded(program, kPathBuffer, "%s\\uninstall%s.exe", driverDir.c_str(), printerName.c_str()) ||
        !FormatBounded(quiet, 2 * kPathBuffer, "\"%s\" /quiet", program.c_str()))
        return false;
    const std::uint64_t kb = (installedBytes + 1023) / 1024;
    RegKeyHandle key = 0;
    if (!registry.OpenKey(entry.keyPath, key)) return false;
    const bool written = SetText(registry, key, "QuietUninstallString", quiet) && SetDword(registry, key, "NoModify", 1) &&
                         SetDword(registry, key, "NoRepair", 1) &&
                         SetDword(registry, key, "EstimatedSize", kb > 0xFFFFFFFFu ? 0xFFFFFFFFu : std::uint32_t(kb)) &&
                         SetText(registry, key, "DisplayVersion", ProductVersionText());
    if (!written) DeleteAll(registry, key);
    registry.CloseKey(key);
    return written;
}

bool RemoveUninstallDetails(IRegistry& registry, const std::string& printerName) {
    UninstallEntry entry;
    RegKeyHandle key = 0;
    if (!BuildUninstallEntry(printerName, std::string(), entry) || !registry.OpenKey(entry.keyPath, key)) return true;
    const bool gone = DeleteAll(registry, key);
    registry.CloseKey(key);
    return gone;
}
