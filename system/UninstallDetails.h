// The values an installation adds to its uninstall entry once its outcome check holds: what deployment tools
// read (the product version, a removal command without windows, the installed size) and that the entry
// offers no change or repair. The entry's own four values (UninstallEntry.h) are never touched here.
#pragma once
#include <cstdint>
#include <string>

#include "platform/Registry.h"
#include "system/UninstallEntry.h"

// The names, in the order they are written; DisplayVersion last, so that a detection rule on it sees the
// others in place.
constexpr const char* kUninstallDetailNames[] = {"QuietUninstallString", "NoModify", "NoRepair", "EstimatedSize",
                                                 "DisplayVersion"};

// "<version>" as product.h sets it.
const char* ProductVersionText();

// Adds the values to the entry of printerName (its key exists: the clean-up wrote it), the uninstaller in
// driverDir, installedBytes rounded up to whole KB. A failure when the entry cannot be formed
// (ERROR_INVALID_PARAMETER) or a value cannot be written (that write's error); whatever was written of them is
// removed again.
Status WriteUninstallDetails(IRegistry& registry, const std::string& printerName, const std::string& driverDir,
                           std::uint64_t installedBytes);

// Removes the values from the entry of printerName (an earlier successful installation wrote them); success
// when none of them is left, also when there is no entry to open; else the error of the first removal that failed.
Status RemoveUninstallDetails(IRegistry& registry, const std::string& printerName);
