// Clean-up of an earlier installation and the uninstall entry, run at the start of every installation.
#include <cctype>
#include <cstring>
#include <string>
#include <vector>

#include "app/globals.h"
#include "app/setup.h"
#include "platform/BoundedFormat.h"
#include "system/OemInfScan.h"
#include "system/PrinterMatch.h"
#include "system/Reg.h"
#include "system/UninstallEntry.h"

namespace {

// The printer's own driver files, in the order they are removed.
constexpr const char* kDriverFileFormats[] = {"%s.GPD", "%s.INI", "%sRES.dll", "%sD.dll", "%sF.dll"};
constexpr const char* kStagingDir = "c:\\temp";
// The driver's default paper size as the print server knows it.
constexpr const char* kPaperForm = "papersize(58x420mm)";
constexpr std::uint64_t kOemInfMaxBytes = 16u << 20;

void SetScratch(const std::string& text) {
    // Callers format text within kPathBuffer, so it always fits with its terminator.
    std::memcpy(g_szScratch, text.c_str(), text.size() + 1);
}

// Formats one printer-named file name into g_szScratch; false when it would not fit.
bool FormatDriverFileName(const char* format) {
    std::string name;
    if (!FormatBounded(name, kPathBuffer, format, PrinterName().c_str())) return false;
    SetScratch(name);
    return true;
}

// The spooler's driver directory; empty when it reports none, so that no path is built from it.
std::string DriverDirectory(ISpooler& spooler) {
    std::string dir;
    if (!spooler.DriverDirectory(dir)) dir.clear();
    return dir;
}

}  // namespace

void CSetupApp::Delete() { CleanUp(true); }

void CSetupApp::CleanUp(bool removeDriverFiles) {
    CReg reg(platform_.registry);
    std::vector<std::string> printers;
    std::uint32_t lastError = 0;

    // Only a single printer of this name means its files belong to the installation being replaced. A name
    // too long for the uninstall entry gets no entry and none of its files are touched either.
    int count = 0;
    if (removeDriverFiles && ListLocalPrinters(platform_.spooler, printers, lastError) == PrinterList::Listed)
        count = CountNamesContaining(printers, PrinterName());
    UninstallEntry entry;
    const bool nameFits = BuildUninstallEntry(PrinterName(), DriverDirectory(platform_.spooler), entry);
    if (count == 1 && nameFits) {
        for (const char* format : kDriverFileFormats)
            if (FormatDriverFileName(format)) DeleteDriverFile(g_szScratch);
        for (const char* format : kDriverFileFormats)
            if (FormatDriverFileName(format)) DeleteDriverVersionFile(g_szScratch);
        for (const char* format : kDriverFileFormats)
            if (FormatDriverFileName(format)) DeleteStagedFile(g_szScratch);
    }

    if (nameFits) WriteUninstallEntry(reg, entry);
    RemoveStaleOemInf();

    if (ListLocalPrinters(platform_.spooler, printers, lastError) == PrinterList::Failed) {
        log_.Failed("clean-up: listing the printers", lastError);
        // Task-modal: the wizard waits until the box is dismissed.
        platform_.ui.ShowMessage(platform_.ui.SystemMessageText(lastError), "ERROR",
                                 kMbOk | kMbIconInformation | kMbTaskModal);
        return;
    }
    DeletePrinterForm(kPaperForm);
}

bool CSetupApp::DeleteDriverFile(const std::string& fileName) {
    const std::string dir = DriverDirectory(platform_.spooler);
    std::string path;
    if (dir.empty() || !JoinPath(path, dir, fileName)) return false;
    return platform_.files.RemoveFile(path);
}

bool CSetupApp::DeleteDriverVersionFile(const std::string& fileName) {
    const std::string dir = DriverDirectory(platform_.spooler);
    std::string path;
    if (dir.empty() || !FormatBounded(path, kPathBuffer, "%s\\3\\%s", dir.c_str(), fileName.c_str())) return false;
    return platform_.files.RemoveFile(path);
}

bool CSetupApp::DeleteStagedFile(const std::string& fileName) {
    std::string path;
    if (!JoinPath(path, kStagingDir, fileName)) return false;
    return platform_.files.RemoveFile(path);
}

void CSetupApp::RemoveStaleOemInf() {
    const std::string windowsDir = platform_.system.WindowsDir();
    // One search says which of the hundred names exist; without an answer each is looked at in turn.
    std::vector<FoundFile> found;
    std::string pattern;
    const bool listed = !windowsDir.empty() && JoinPath(pattern, windowsDir, "inf\\oem*.inf") &&
                        platform_.files.FindFiles(pattern, found);
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
        if (!platform_.files.Inspect(infPath, state) || !state.exists || state.isDirectory || state.size > kOemInfMaxBytes)
            continue;
        if (!platform_.files.ReadWholeFile(infPath, contents)) continue;  // missing or unreadable: kept
        if (!OemInfMatches(contents)) continue;
        platform_.files.RemoveFile(infPath);
        platform_.files.RemoveFile(pnfPath);
    }
}

void CSetupApp::DeletePrinterForm(const std::string& formName) {
    // Forms are deleted only through a print-server handle with administer access.
    PrinterHandle server = 0;
    if (!platform_.spooler.OpenLocalServer(kServerAccessAdminister, server)) return;
    platform_.spooler.RemoveForm(server, formName);
    platform_.spooler.ClosePrinterHandle(server);
}

void CSetupApp::WriteUninstallEntry(CReg& reg, const UninstallEntry& entry) {
    SetScratch(entry.keyPath);
    reg.CreateKey(g_szScratch);
    for (const UninstallValue& value : entry.values) {
        reg.SetKeyValue(g_szScratch, value.name, kRegSz, reinterpret_cast<const unsigned char*>(value.text.c_str()),
                        static_cast<std::uint32_t>(value.text.size() + 1));
    }
}
