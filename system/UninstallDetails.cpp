#include "system/UninstallDetails.h"

#include "platform/BoundedFormat.h"
#include "resources/product.h"

namespace {

Status SetText(IRegistry& registry, RegKeyHandle key, const char* name, const std::string& text) {
    return registry.SetValue(key, name, kRegSz, reinterpret_cast<const unsigned char*>(text.c_str()),
                             static_cast<std::uint32_t>(text.size() + 1));
}

Status SetDword(IRegistry& registry, RegKeyHandle key, const char* name, std::uint32_t value) {
    const unsigned char bytes[4] = {static_cast<unsigned char>(value), static_cast<unsigned char>(value >> 8),
                                    static_cast<unsigned char>(value >> 16), static_cast<unsigned char>(value >> 24)};
    return registry.SetValue(key, name, kRegDword, bytes, 4);
}

Status DeleteAll(IRegistry& registry, RegKeyHandle key) {
    Status gone;
    for (const char* name : kUninstallDetailNames) {
        const Status deleted = registry.DeleteValue(key, name);
        if (gone && !deleted) gone = deleted;
    }
    return gone;
}

}  // namespace

const char* ProductVersionText() { return PRODUCT_VERSION_TEXT; }

Status WriteUninstallDetails(IRegistry& registry, const std::string& printerName, const std::string& driverDir,
                             std::uint64_t installedBytes) {
    UninstallEntry entry;
    std::string program, quiet;
    if (driverDir.empty() || !BuildUninstallEntry(printerName, driverDir, entry) ||
        !FormatBounded(program, kPathBuffer, "%s\\uninstall%s.exe", driverDir.c_str(), printerName.c_str()) ||
        !FormatBounded(quiet, 2 * kPathBuffer, "\"%s\" /quiet", program.c_str()))
        return FailedWith(kErrorInvalidParameter);
    const std::uint64_t kb = (installedBytes + 1023) / 1024;
    RegKeyHandle key = 0;
    if (const Status opened = registry.OpenKey(entry.keyPath, key); !opened) return opened;
    Status written = SetText(registry, key, "QuietUninstallString", quiet);
    if (written) written = SetDword(registry, key, "NoModify", 1);
    if (written) written = SetDword(registry, key, "NoRepair", 1);
    if (written) written = SetDword(registry, key, "EstimatedSize", kb > 0xFFFFFFFFu ? 0xFFFFFFFFu : std::uint32_t(kb));
    if (written) written = SetText(registry, key, "DisplayVersion", ProductVersionText());
    if (!written) DeleteAll(registry, key);  // what fails here does not replace the write's error
    registry.CloseKey(key);
    return written;
}

Status RemoveUninstallDetails(IRegistry& registry, const std::string& printerName) {
    UninstallEntry entry;
    RegKeyHandle key = 0;
    if (!BuildUninstallEntry(printerName, std::string(), entry) || !registry.OpenKey(entry.keyPath, key)) return Status();
    const Status gone = DeleteAll(registry, key);
    registry.CloseKey(key);
    return gone;
}
