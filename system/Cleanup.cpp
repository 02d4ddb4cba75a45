// Clean-up of an earlier installation and the uninstall entry, run at the start of every installation.
#include "system/Cleanup.h"

#include <string>
#include <vector>

#include "install/DriverFiles.h"
#include "install/StagingPaths.h"
#include "platform/BoundedFormat.h"
#include "system/OemInfScan.h"
#include "system/PrinterMatch.h"
#include "system/Reg.h"

namespace {

// The printer's own driver files, in the order they are removed.
const DriverFileForm* const kPrinterNamedFiles[] = {&kGpdFile, &kIniFile, &kResourceDllFile, &kRenderPluginFile,
                                                    &kUiPluginFile};
// The driver's default paper size as the print server knows it.
constexpr const char* kPaperForm = "papersize(58x420mm)";
constexpr std::uint64_t kOemInfMaxBytes = 16u << 20;

// The printer's own driver files by name; a name that would not fit its buffer is left out.
std::vector<std::string> PrinterDriverFileNames(const std::string& printerName) {
    std::vector<std::string> names;
    for (const DriverFileForm* form : kPrinterNamedFiles) {
        const std::string name = form->NameFor(printerName);
        if (name.size() < kPathBuffer) names.push_back(name);
    }
    return names;
}

// The spooler's driver directory; empty when it reports none, so that no path is built from it.
std::string DriverDirectory(ISpooler& spooler) {
    std::string dir;
    if (!spooler.DriverDirectory(dir)) dir.clear();
    return dir;
}

}  // namespace

void CleanUp(Platform& platform, const std::string& printerName, bool removeDriverFiles, RunLog* log) {
    CReg reg(platform.registry);
    std::vector<std::string> printers;
    std::uint32_t lastError = 0;

    // Only a single printer of this name means its files belong to the installation being replaced. A name
    // too long for the uninstall entry gets no entry and none of its files are touched either.
    int count = 0;
    if (removeDriverFiles && ListLocalPrinters(platform.spooler, printers, lastError) == PrinterList::Listed)
        count = CountNamesContaining(printers, printerName);
    UninstallEntry entry;
    const bool nameFits = BuildUninstallEntry(printerName, DriverDirectory(platform.spooler), entry);
    if (count == 1 && nameFits) {
        const std::vector<std::string> names = PrinterDriverFileNames(printerName);
        for (const std::string& name : names) DeleteDriverFile(platform, name);
        for (const std::string& name : names) DeleteDriverVersionFile(platform, name);
        for (const std::string& name : names) DeleteStagedFile(platform.files, name);
    }

    if (nameFits) WriteUninstallEntry(reg, entry);
    RemoveStaleOemInf(platform);

    if (ListLocalPrinters(platform.spooler, printers, lastError) == PrinterList::Failed) {
        if (log != nullptr) log->Failed("clean-up: listing the printers", lastError);
        // Task-modal: the wizard waits until the box is dismissed.
        platform.ui.ShowMessage(platform.ui.SystemMessageText(lastError), "ERROR",
                                kMbOk | kMbIconInformation | kMbTaskModal);
        return;
    }
    DeletePrinterForm(platform.spooler, kPaperForm);
}

bool DeleteDriverFile(Platform& platform, const std::string& fileName) {
    const std::string dir = DriverDirectory(platform.spooler);
    std::string path;
    if (dir.empty() || !JoinPath(path, dir, fileName)) return false;
    return platform.files.RemoveFile(path);
}

bool DeleteDriverVersionFile(Platform& platform, const std::string& fileName) {
    const std::string dir = DriverDirectory(platform.spooler);
    std::string path;
    if (dir.empty() || !FormatBounded(path, kPathBuffer, "%s\\3\\%s", dir.c_str(), fileName.c_str())) return false;
    return platform.files.RemoveFile(path);
}

bool DeleteStagedFile(IFileSystem& files, const std::string& fileName) {
    std::string path;
    if (!JoinPath(path, kCleanupStagingDir, fileName)) return false;
    return files.RemoveFile(path);
}

void RemoveStaleOemInf(Platform& platform) {
    const std::string windowsDir = platform.system.WindowsDir();
    // One search says which of the hundred names exist; without an answer each is looked at in turn.
    std::vector<FoundFile> found;
    std::string pattern;
    const bool listed = !windowsDir.empty() && JoinPath(pattern, windowsDir, "inf\\oem*.inf") &&
                        platform.files.FindFiles(pattern, found);
    auto present = [&](int index) {
        if (!listed) return true;
        const std::string name = "oem" + std::to_string(index) + ".inf";
        for (const FoundFile& file : found)
            if (!file.isDirectory && EqualNoCase(file.name, name)) return true;
        return false;
    };
    for (int index = 0; index < kOemInfCount; ++index) {
        std::string infPath, pnfPath;
        Bytes contents;
        if (!present(index) || !OemInfPaths(windowsDir, index, infPath, pnfPath)) continue;
        // The system's INF copies are a few kilobytes; a file far larger than any of them (a sparse file of a
        // gigabyte and more) is not one of ours and is not read into memory.
        PathState state;
        if (!platform.files.Inspect(infPath, state) || !state.exists || state.isDirectory || state.size > kOemInfMaxBytes)
            continue;
        if (!platform.files.ReadWholeFile(infPath, contents)) continue;  // missing or unreadable: kept
        if (!OemInfMatches(contents)) continue;
        platform.files.RemoveFile(infPath);
        platform.files.RemoveFile(pnfPath);
    }
}

void DeletePrinterForm(ISpooler& spooler, const std::string& formName) {
    // Forms are deleted only through a print-server handle with administer access.
    PrinterHandle server = 0;
    if (!spooler.OpenLocalServer(kServerAccessAdminister, server)) return;
    spooler.RemoveForm(server, formName);
    spooler.ClosePrinterHandle(server);
}

void WriteUninstallEntry(CReg& reg, const UninstallEntry& entry) {
    reg.CreateKey(entry.keyPath);
    for (const UninstallValue& value : entry.values) {
        reg.SetKeyValue(entry.keyPath, value.name, kRegSz, reinterpret_cast<const unsigned char*>(value.text.c_str()),
                        static_cast<std::uint32_t>(value.text.size() + 1));
    }
}
