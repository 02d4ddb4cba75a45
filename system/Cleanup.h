// Clean-up of an earlier installation of printerName: its driver files (when exactly one printer carries the
// name), the uninstall entry, the stale OEM INF copies and the driver's paper form.
#pragma once
#include <string>

#include "install/RunLog.h"
#include "platform/Platform.h"
#include "system/UninstallEntry.h"

class CReg;

// The whole clean-up; removeDriverFiles false leaves the earlier driver files to the caller. A failed second
// listing of the printers is shown in a task-modal "ERROR" box (and logged when log is set).
void CleanUp(Platform& platform, const std::string& printerName, bool removeDriverFiles, RunLog* log);
// One file in the spooler's driver directory, in its "3" subdirectory, in the staging directory.
bool DeleteDriverFile(Platform& platform, const std::string& fileName);
bool DeleteDriverVersionFile(Platform& platform, const std::string& fileName);
bool DeleteStagedFile(IFileSystem& files, const std::string& fileName);
// The OEM INF copies (with their PNF files) that describe this driver.
void RemoveStaleOemInf(Platform& platform);
void DeletePrinterForm(ISpooler& spooler, const std::string& formName);
void WriteUninstallEntry(CReg& reg, const UninstallEntry& entry);
