// The uninstaller against the in-memory Windows: an installation made by the installation run, then removed
// with what other drivers, printers and users put beside it left alone; the refusals; the carried table.
#include "install/StagingPlan.h"
#include "tests/unit/UnitSupport.h"
#include "uninstall/Sha256.h"
#include "uninstall/UninstallData.h"
#include "uninstall/Uninstaller.h"

namespace {

const std::string kKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\KX47 printer";
const std::string kProgram = kDriverDir + "\\uninstallKX47.exe";

class UninstallRun : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        LoadStoreInto(win.resources);
        win.files.PutDirectories(kDriverDir + "\\3");
        g_nOSType = 7;
        win.system.langId = 0x0804;
        SetPrinterName("KX47");
        // The system's command: the printer, and the driver with its files in the version subdirectory.
        win.processes.onRun = [this](const std::string&) {
            if (!win.files.Exists("C:\\TEMP\\KX47.INF") || win.spooler.driverOf.count("KX47")) return RunOutcome::Ended;
            win.spooler.printers.push_back("KX47");
            win.spooler.driverOf["KX47"] = "KX47";
            InstalledDriver driver{"KX47", {}};
            for (const char* name : {"UNIDRV.DLL", "KX47.GPD", "UNIDRVUI.DLL", "UNIDRV.HLP", "KX47D.DLL", "KX47F.DLL"}) {
                Bytes data;
                win.files.Contents(kDriverDir + "\\" + name, data);
                win.files.Put(kDriverDir + "\\3\\" + name, data);
                driver.files.push_back(kDriverDir + "\\3\\" + name);
            }
            win.spooler.drivers.push_back(driver);
            return RunOutcome::Ended;
        };
        app.InstallPrinterDriver();
        ASSERT_TRUE(win.registry.KeyExists(kKey));
        win.system.modulePath = kProgram;
        win.ui.messages.clear();
        win.ui.events.clear();
    }
};

TEST_F(UninstallRun, RemovesTheInstallationAndLeavesWhatOthersUse) {
    // Beside it: another printer and a copy of ours, a driver that shares two Unidrv files, a printer on our
    // driver under another name, a file of someone else's in the driver directory, a staged file changed.
    win.spooler.printers = {"KX47", "KX47 (Copy 2)", "Office", "KX47 Front"};
    win.spooler.driverOf = {{"KX47", "KX47"}, {"KX47 (Copy 2)", "KX47"}, {"Office", "Other"}, {"KX47 Front", "Other"}};
    win.spooler.drivers.push_back(InstalledDriver{"Other", {kDriverDir + "\\3\\UNIDRV.DLL", kDriverDir + "\\3\\unires.dll"}});
    win.files.Put(kDriverDir + "\\other.dll", ToBytes("someone else's"));
    win.files.Put("C:\\TEMP\\KX47.INI", ToBytes("changed by a user"));
    win.files.Put("C:\\TEMP\\notes.txt", ToBytes("a user's"));

    EXPECT_EQ(RunUninstaller(win.platform), 0);

    EXPECT_EQ(win.spooler.printers, (std::vector<std::string>{"Office", "KX47 Front"}));
    ASSERT_EQ(win.spooler.drivers.size(), 1u);
    EXPECT_EQ(win.spooler.drivers[0].name, "Other");
    EXPECT_FALSE(win.registry.KeyExists(kKey));
    EXPECT_EQ(win.files.removeAtRestart, std::vector<std::string>{kProgram});
    // What stays: the shared files, the changed and the foreign files, the running program (until restart).
    std::vector<std::string> left;
    for (const std::string& path : win.files.AllFiles())
        if (path.rfind("C:\\TEMP", 0) == 0 || path.rfind(kDriverDir, 0) == 0) left.push_back(path);
    EXPECT_EQ(left, (std::vector<std::string>{"C:\\TEMP\\KX47.INI", "C:\\TEMP\\notes.txt", kDriverDir + "\\3\\UNIDRV.DLL",
                                              kDriverDir + "\\other.dll", kDriverDir + "\\UNIDRV.DLL", kProgram,
                                              kDriverDir + "\\UNIRES.DLL"}));
    // One question, then one report in the system's language naming what stayed and why.
    ASSERT_EQ(win.ui.messages.size(), 2u);
    EXPECT_EQ(win.ui.events[0].rfind(std::string("question:") + "\xD2\xAA", 0), 0u) << win.ui.events[0];  // GBK
    const std::string report = win.ui.messages[1].text;
    EXPECT_NE(report.find("C:\\TEMP\\KX47.INI" + std::string(UninstallText(UninstallTextId::Changed, UninstallLanguage::Gbk))),
              std::string::npos) << report;
    EXPECT_NE(report.find(kDriverDir + "\\UNIRES.DLL" + UninstallText(UninstallTextId::InUse, UninstallLanguage::Gbk)),
              std::string::npos) << report;
}

TEST_F(UninstallRun, NoChangesNothingAndNeitherDoTheRefusals) {
    const std::vector<std::string> files = win.files.AllFiles();
    const std::vector<std::string> keys = win.registry.KeyPaths();
    struct Case {
        const char* what;
        void (*arrange)(MemoryWindows&);
        UninstallStop stop;
    } cases[] = {
        {"No", [](MemoryWindows& w) { w.ui.answerYes = false; }, UninstallStop::Declined},
        {"renamed", [](MemoryWindows& w) { w.system.modulePath = kDriverDir + "\\uninstall.exe"; }, UninstallStop::WrongName},
        {"a shared file's name", [](MemoryWindows& w) { w.system.modulePath = kDriverDir + "\\uninstallUNI.exe"; },
         UninstallStop::WrongName},
        {"not an administrator", [](MemoryWindows& w) { w.system.administrator = false; }, UninstallStop::NotAdministrator},
        {"WOW64", [](MemoryWindows& w) { w.system.wow64 = true; }, UninstallStop::Wow64},
    };
    for (const Case& c : cases) {
        win.ui.answerYes = true;
        win.system.modulePath = kProgram;
        win.system.administrator = true;
        win.system.wow64 = false;
        c.arrange(win);
        const UninstallReport report = Uninstall(win.platform);
        EXPECT_EQ(report.stop, c.stop) << c.what;
        EXPECT_TRUE(report.removals.empty()) << c.what;
        EXPECT_EQ(win.files.AllFiles(), files) << c.what;
        EXPECT_EQ(win.registry.KeyPaths(), keys) << c.what;
        EXPECT_EQ(win.spooler.printers, std::vector<std::string>{"KX47"}) << c.what;
        EXPECT_EQ(win.spooler.drivers.size(), 1u) << c.what;
        EXPECT_TRUE(win.files.removeAtRestart.empty()) << c.what;
    }
}

// Under another printer name the installation never ran the system's command: the model word's printer,
// driver, files and entry belong to another installation.
TEST_F(UninstallRun, AnotherNameLeavesTheModelWordsInstallation) {
    win.system.modulePath = kDriverDir + "\\uninstallABC.exe";
    Uninstall(win.platform);
    EXPECT_EQ(win.spooler.printers, std::vector<std::string>{"KX47"});
    EXPECT_EQ(win.spooler.drivers.size(), 1u);
    EXPECT_TRUE(win.registry.KeyExists(kKey));
    EXPECT_NE(At(kDriverDir + "\\KX47.GPD"), "<missing>");
}

// A removal that fails is logged with the error the failing call came back with.
TEST_F(UninstallRun, AFailedRemovalLogsItsErrorCode) {
    // A driver file another program holds open, sharing nothing (a sharing violation), and the entry's key,
    // which has a subkey someone else added (access denied).
    win.files.HoldOpen(kDriverDir + "\\KX47.GPD", 0);
    RegKeyHandle sub = 0;
    ASSERT_TRUE(win.registry.CreateKey(kKey + "\\Other", sub));
    win.registry.CloseKey(sub);
    RunLog log;
    Uninstall(win.platform, true, &log);
    std::string all;
    for (const std::string& line : log.Lines()) all += line + "\n";
    EXPECT_NE(all.find("file " + kDriverDir + "\\KX47.GPD: could not be removed, Win32 error 32\n"), std::string::npos)
        << all;
    EXPECT_NE(all.find("registry key HKEY_LOCAL_MACHINE\\" + kKey + ": could not be removed, Win32 error 5\n"),
              std::string::npos)
        << all;
}

TEST(UninstallRules, OwnNameAndOwnPrinters) {
    std::string name;
    EXPECT_TRUE(PrinterNameFromProgramName("UNINSTALLkx47.EXE", name));
    EXPECT_EQ(name, "kx47");
    for (const char* other : {"uninstall.exe", "setup.exe", "uninstallKX47.exe.old", "uninstallKX47", "installerKX47.exe"})
        EXPECT_FALSE(PrinterNameFromProgramName(other, name)) << other;

    for (const char* ours : {"KX47", "kx47", "KX47 (Copy 2)", "KX47 (copy 12)"})
        EXPECT_TRUE(IsInstalledPrinter({ours, "KX47", ""})) << ours;
    for (const char* theirs : {"KX47 (Copy )", "KX47 (Copy 2) x", "KX47 (Copy x)", "KX47 Front", "KX470"})
        EXPECT_FALSE(IsInstalledPrinter({theirs, "KX47", ""})) << theirs;
    EXPECT_FALSE(IsInstalledPrinter({"KX47", "Generic / Text Only", ""}));
}

// What the uninstaller carries is what the store holds: every entry a plan stages has its digest, which is
// that of the built entry, and every rewritten one its template.
TEST(UninstallRules, CarriedTableMatchesTheStore) {
    for (std::size_t i = 0; i < kStoreDigestCount; ++i) {
        Bytes entry;
        ASSERT_TRUE(ReadStoreEntry(kStoreDigests[i].id, entry)) << kStoreDigests[i].id;
        const auto digest = Sha256(entry);
        EXPECT_TRUE(std::equal(digest.begin(), digest.end(), kStoreDigests[i].sha256)) << kStoreDigests[i].id;
    }
    for (int osType : {7, 6, 0})
        for (std::uint16_t langId : {0x0804, 0x0404, 0x0409})
            for (const StagedFile& file : StagingPlan(osType, langId, 0, "KX47")) {
                bool carried = false;
                for (std::size_t i = 0; i < kStoreTemplateCount; ++i) carried = carried || kStoreTemplates[i].id == file.id;
                EXPECT_EQ(carried, file.patchNames) << file.id;
            }
}

}  // namespace
