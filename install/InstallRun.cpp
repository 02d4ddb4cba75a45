// The installation run: clean-up, staging of the driver files, copies into the driver directory, then the
// system's printer-installation command.
#include "app/globals.h"
#include "app/setup.h"
#include "install/InstallCommandText.h"
#include "install/PrinterNameCheck.h"
#include "install/StagingPlan.h"
#include "platform/BoundedFormat.h"

namespace {

const char* const kStagingDirs[] = {"C:\\TEMP", "C:\\TEMP\\I386", "C:\\TEMP\\x86"};
constexpr std::uint16_t kUninstallerEntry = 255;
constexpr std::uint16_t kInfEntry = 256;

void MakeStagingDirs(IFileSystem& files) {
    for (const char* dir : kStagingDirs) files.MakeDirectory(dir);
}

// Deletes dir\name (or dir\3\name) unless the path does not fit its buffer.
void RemoveIfFits(IFileSystem& files, const char* format, const std::string& dir, const std::string& name) {
    std::string path;
    if (FormatBounded(path, kPathBuffer, format, dir.c_str(), name.c_str())) files.RemoveFile(path);
}

}  // namespace

void CSetupApp::InstallPrinterDriver() {
    // 1. The system default language decides the core files and the message language for the whole run.
    runLangId_ = platform_.system.SystemDefaultLangId();
    const std::string printerName = PrinterName();

    // Nothing is touched unless the driver directory is known and the printer name can form every file
    // name, path and key of the installation.
    std::string driverDir;
    if (!platform_.spooler.DriverDirectory(driverDir) || driverDir.empty() ||
        CheckPrinterName(printerName, driverDir) != PrinterNameProblem::None) {
        ReportInstallResult(false);
        return;
    }

    // 2. What an earlier installation left, and the uninstall entry.
    Delete();

    // 3.-5. Staging directories; the driver file set named after the printer.
    MakeStagingDirs(platform_.files);
    const std::vector<DriverFile> driverFiles = DriverFileSet(printerName);

    // 6. Earlier copies in the staging area, the driver directory and its version subdirectory.
    for (const DriverFile& file : driverFiles) {
        RemoveIfFits(platform_.files, "%s\\%s", kStagingDir, file.fileName);
        RemoveIfFits(platform_.files, "%s\\%s", driverDir, file.fileName);
        if (file.nameDerived) RemoveIfFits(platform_.files, "%s\\3\\%s", driverDir, file.fileName);
    }

    // 7.-10. The uninstaller and the INF, and the uninstaller's copy that the uninstall entry points at.
    const std::string uninstaller = "uninstall" + printerName + ".exe";
    std::string path;
    if (JoinPath(path, kStagingDir, uninstaller)) ExtractEmbeddedFile(kUninstallerEntry, path, false);
    MakeStagingDirs(platform_.files);
    if (JoinPath(path, kStagingDir, printerName + ".INF")) ExtractEmbeddedFile(kInfEntry, path, false);
    CopyToDriverDirectory(uninstaller, false);

    // 11. The driver files for this system and language.
    platform_.files.MakeDirectory(kStagingDir);
    for (const StagedFile& file : StagingPlan(g_nOSType, runLangId_, g_wLanguage, printerName)) {
        const std::size_t targets = file.alsoI386x86 ? 3 : 1;
        for (std::size_t i = 0; i < targets; ++i)
            if (JoinPath(path, kStagingDirs[i], file.fileName)) ExtractEmbeddedFile(file.id, path, file.patchNames);
    }

    // 12. Into the driver directory; the I386 and x86 copies stay in the staging area.
    for (const std::string& name : DriverCopyOrder(printerName)) CopyToDriverDirectory(name, false);

    // 13. The system's command installs the driver and the printer and the user is told the outcome.
    RunInstallCommand();
}

void CSetupApp::CopyToDriverDirectory(const std::string& fileName, bool failIfExists) {
    std::string driverDir, from, to;
    if (!platform_.spooler.DriverDirectory(driverDir) || driverDir.empty()) return;
    if (!JoinPath(from, kStagingDir, fileName) || !JoinPath(to, driverDir, fileName)) return;
    platform_.files.CopyFileTo(from, to, failIfExists);
}
