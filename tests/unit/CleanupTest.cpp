#include <gtest/gtest.h>

#include <cstring>

#include "app/globals.h"
#include "app/setup.h"
#include "platform/memory/MemoryWindows.h"
#include "system/PrinterMatch.h"

namespace {

const std::string kUninstallRoot = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
const char* const kDriverFiles[] = {".GPD", ".INI", "RES.dll", "D.dll", "F.dll"};
const Bytes kMatchingInf = ToBytes("[Version]\r\nClass=Printer\r\n[Manufacturer]\r\n\"W36\"=W36.GPD\r\n");

class CleanupTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetPrinterName("KX47");
        std::memset(g_szScratch, 0, sizeof g_szScratch);
        driverDir = win.spooler.driverDirectory;
    }
    void TearDown() override {
        std::memset(g_szPrinterName, 0, sizeof g_szPrinterName);
        std::memset(g_szScratch, 0, sizeof g_szScratch);
    }

    static void SetPrinterName(const std::string& name) {
        std::memset(g_szPrinterName, 0, sizeof g_szPrinterName);
        std::memcpy(g_szPrinterName, name.data(), name.size());
    }

    // The fifteen printer-named files of an earlier installation, in the order they are removed.
    std::vector<std::string> DriverFilePaths(const std::string& name) const {
        std::vector<std::string> paths;
        for (const char* suffix : kDriverFiles) paths.push_back(driverDir + "\\" + name + suffix);
        for (const char* suffix : kDriverFiles) paths.push_back(driverDir + "\\3\\" + name + suffix);
        for (const char* suffix : kDriverFiles) paths.push_back("c:\\temp\\" + name + suffix);
        return paths;
    }
    void PutAll(const std::vector<std::string>& paths) {
        for (const std::string& p : paths) win.files.Put(p, ToBytes("old"));
    }
    std::vector<std::string> Deletions() const {
        std::vector<std::string> deleted;
        for (const std::string& entry : win.files.Log())
            if (entry.rfind("delete ", 0) == 0) deleted.push_back(entry.substr(7));
        return deleted;
    }
    std::string Text(const std::string& key, const std::string& name) { return Text(win.registry, key, name); }
    static std::string Text(MemoryRegistry& registry, const std::string& key, const std::string& name) {
        std::uint32_t type = 0;
        Bytes data;
        if (!registry.QueryValue(key, name, type, data)) return "<missing>";
        if (type != kRegSz || data.empty() || data.back() != 0) return "<not a terminated REG_SZ>";
        return std::string(data.begin(), data.end() - 1);
    }
    std::string KeyFor(const std::string& name) const { return kUninstallRoot + "\\" + name + " printer"; }
    std::string OemPath(int n, const char* ext) const {
        return win.system.windowsDir + "\\inf\\oem" + std::to_string(n) + "." + ext;
    }

    MemoryWindows win;
    CSetupApp app{win.platform};
    std::string driverDir;
};

TEST(PrinterMatchTest, CountsCaseSensitiveSubstrings) {
    const std::vector<std::string> names = {"KX47", "KX47(Copy 2)", "Office KX47", "kx47", "KX4"};
    EXPECT_EQ(CountNamesContaining(names, "KX47"), 3);
    EXPECT_EQ(CountNamesContaining(names, "kx47"), 1);
    EXPECT_EQ(CountNamesContaining(names, "Copy"), 1);
    EXPECT_EQ(CountNamesContaining(names, ""), 5);
    EXPECT_EQ(CountNamesContaining({}, "KX47"), 0);
}

TEST_F(CleanupTest, SinglePrinterCarryingTheNameRemovesTheFifteenFilesInOrder) {
    win.spooler.printers = {"Office KX47"};
    const std::vector<std::string> paths = DriverFilePaths("KX47");
    PutAll(paths);
    win.files.ClearLog();
    app.Delete();
    EXPECT_EQ(Deletions(), paths);
    for (const std::string& p : paths) EXPECT_FALSE(win.files.Exists(p)) << p;
}

TEST_F(CleanupTest, SeveralOrNoMatchingPrintersKeepTheFilesButDoEverythingElse) {
    struct Case {
        const char* printerName;
        std::vector<std::string> printers;
    } cases[] = {
        {"KX47", {"KX47", "KX47(Copy 2)"}},
        {"kx47", {"KX47"}},
        {"KX47", {}},
        {"KX47", {"Other", "Another"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.printerName + std::string(" with ") + std::to_string(c.printers.size()) + " printers");
        MemoryWindows fresh;
        CSetupApp local(fresh.platform);
        SetPrinterName(c.printerName);
        fresh.spooler.printers = c.printers;
        for (const char* suffix : kDriverFiles) fresh.files.Put("c:\\temp\\" + std::string(c.printerName) + suffix, {});
        fresh.files.Put(OemPath(4, "inf"), kMatchingInf);
        local.Delete();
        for (const char* suffix : kDriverFiles)
            EXPECT_TRUE(fresh.files.Exists("c:\\temp\\" + std::string(c.printerName) + suffix)) << suffix;
        EXPECT_TRUE(fresh.registry.KeyExists(KeyFor(c.printerName)));
        EXPECT_FALSE(fresh.files.Exists(OemPath(4, "inf")));
        EXPECT_EQ(fresh.spooler.removedForms, std::vector<std::string>{"papersize(58x420mm)"});
        EXPECT_TRUE(fresh.ui.messages.empty());
    }
}

TEST_F(CleanupTest, EmptyNameMatchesEveryPrinter) {
    SetPrinterName("");
    win.spooler.printers = {"Anything"};
    PutAll(DriverFilePaths(""));
    win.files.ClearLog();
    app.Delete();
    EXPECT_EQ(Deletions(), DriverFilePaths(""));

    win.spooler.printers = {"One", "Two"};
    PutAll(DriverFilePaths(""));
    win.files.ClearLog();
    app.Delete();
    EXPECT_TRUE(Deletions().empty());
}

TEST_F(CleanupTest, FailedOrEmptyFirstEnumerationCountsAsNoPrinter) {
    win.spooler.printers = {"KX47"};
    win.spooler.failEnumerationNumber = 1;
    PutAll(DriverFilePaths("KX47"));
    win.files.ClearLog();
    app.Delete();
    EXPECT_TRUE(Deletions().empty());
    EXPECT_TRUE(win.ui.messages.empty());
    EXPECT_EQ(win.spooler.removedForms.size(), 1u);

    MemoryWindows zero;
    CSetupApp local(zero.platform);
    zero.spooler.printers = {"KX47"};
    zero.spooler.reportZeroSize = true;
    local.Delete();
    EXPECT_EQ(zero.spooler.fillCalls, 0);  // no filling call after a size of 0
    EXPECT_TRUE(zero.ui.messages.empty());
    EXPECT_EQ(zero.spooler.removedForms.size(), 1u);
}

TEST_F(CleanupTest, FormIsDeletedThroughAnAdministerHandleThatIsClosed) {
    app.Delete();
    EXPECT_EQ(win.spooler.openedWithAccess, std::vector<std::uint32_t>{kServerAccessAdminister});
    EXPECT_EQ(win.spooler.removedForms, std::vector<std::string>{"papersize(58x420mm)"});
    EXPECT_EQ(win.spooler.OpenHandles(), 0u);

    // Absent form: silent.
    app.Delete();
    EXPECT_EQ(win.spooler.removedForms.size(), 1u);
    EXPECT_TRUE(win.ui.messages.empty());
    EXPECT_EQ(win.spooler.OpenHandles(), 0u);
}

TEST_F(CleanupTest, SecondEnumerationFailureShowsOneErrorBoxAndKeepsTheForm) {
    win.spooler.printers = {"Office KX47"};
    win.spooler.failEnumerationNumber = 2;
    win.spooler.enumerationError = 1722;
    app.Delete();
    ASSERT_EQ(win.ui.messages.size(), 1u);
    EXPECT_EQ(win.ui.messages[0].text, win.ui.SystemMessageText(1722));
    EXPECT_EQ(win.ui.messages[0].caption, "ERROR");
    EXPECT_EQ(win.ui.messages[0].flags, kMbOk | kMbIconInformation);
    EXPECT_FALSE(win.ui.messages[0].appMessage);
    EXPECT_TRUE(win.spooler.removedForms.empty());
    EXPECT_TRUE(win.spooler.openedWithAccess.empty());
    EXPECT_TRUE(win.registry.KeyExists(KeyFor("KX47")));  // written before the failure
}

TEST_F(CleanupTest, StaleOemInfScanCoversIndexesZeroToNinetyNine) {
    win.files.Put(OemPath(0, "inf"), kMatchingInf);  // .inf without .pnf
    win.files.Put(OemPath(4, "inf"), kMatchingInf);
    win.files.Put(OemPath(4, "pnf"), ToBytes("precompiled"));
    win.files.Put(OemPath(5, "inf"), ToBytes("W36\nClass=Printer\n[Manufacturer]\n"));
    win.files.Put(OemPath(5, "pnf"), {});
    win.files.Put(OemPath(6, "inf"), ToBytes("Class=Printer\nW36\n"));
    win.files.Put(OemPath(7, "inf"), kMatchingInf);
    win.files.SetUnreadable(OemPath(7, "inf"));
    win.files.Put(OemPath(7, "pnf"), {});
    win.files.Put(OemPath(99, "inf"), kMatchingInf);
    win.files.Put(OemPath(100, "inf"), kMatchingInf);
    win.files.Put(OemPath(100, "pnf"), {});
    win.files.ClearLog();
    app.RemoveStaleOemInf();
    const std::vector<std::string> expected = {OemPath(0, "inf"), OemPath(4, "inf"), OemPath(4, "pnf"),
                                               OemPath(99, "inf")};
    EXPECT_EQ(Deletions(), expected);
    for (const std::string& kept : {OemPath(5, "inf"), OemPath(5, "pnf"), OemPath(6, "inf"), OemPath(7, "inf"),
                                    OemPath(7, "pnf"), OemPath(100, "inf"), OemPath(100, "pnf")})
        EXPECT_TRUE(win.files.Exists(kept)) << kept;
}

TEST_F(CleanupTest, NoWindowsDirectoryExaminesNothing) {
    win.system.windowsDir.clear();
    win.files.Put("C:\\inf\\oem1.inf", kMatchingInf);
    app.RemoveStaleOemInf();
    EXPECT_TRUE(win.files.Exists("C:\\inf\\oem1.inf"));
}

TEST_F(CleanupTest, UninstallEntryHoldsFourTextsAndIsRewrittenUnchanged) {
    const std::string key = KeyFor("KX47");
    const std::vector<std::string> names = {"DisplayName", "UninstallString", "DisplayIcon", "Publisher"};
    const std::string command = driverDir + "\\uninstallKX47.exe";
    for (int run = 1; run <= 2; ++run) {
        SCOPED_TRACE("run " + std::to_string(run));
        app.Delete();
        EXPECT_EQ(win.registry.ValueNames(key), names);
        EXPECT_EQ(Text(key, "DisplayName"), "KX47 printer driver uninstall");
        EXPECT_EQ(Text(key, "UninstallString"), command);
        EXPECT_EQ(Text(key, "DisplayIcon"), command + ",-0");
        EXPECT_EQ(Text(key, "Publisher"), "KX47 printer");
        EXPECT_EQ(win.registry.OpenHandles(), 0u);
    }
    // Another name adds a key beside the first.
    SetPrinterName("Counter");
    app.Delete();
    EXPECT_TRUE(win.registry.KeyExists(key));
    EXPECT_EQ(Text(KeyFor("Counter"), "Publisher"), "Counter printer");
}

TEST_F(CleanupTest, NoDriverDirectoryNamesNoFileOutsideTheStagingArea) {
    win.spooler.driverDirectoryFails = true;
    win.spooler.printers = {"KX47"};
    PutAll(DriverFilePaths("KX47"));
    for (const char* suffix : kDriverFiles) {
        win.files.Put("C:\\KX47" + std::string(suffix), {});
        win.files.Put("C:\\3\\KX47" + std::string(suffix), {});
    }
    win.files.ClearLog();
    app.Delete();
    const std::vector<std::string> all = DriverFilePaths("KX47");
    EXPECT_EQ(Deletions(), std::vector<std::string>(all.begin() + 10, all.end()));
    for (const char* suffix : kDriverFiles) {
        EXPECT_TRUE(win.files.Exists("C:\\KX47" + std::string(suffix)));
        EXPECT_TRUE(win.files.Exists("C:\\3\\KX47" + std::string(suffix)));
    }
    const std::string key = KeyFor("KX47");
    EXPECT_EQ(win.registry.ValueNames(key), (std::vector<std::string>{"DisplayName", "Publisher"}));
    EXPECT_EQ(Text(key, "DisplayName"), "KX47 printer driver uninstall");
    EXPECT_EQ(Text(key, "Publisher"), "KX47 printer");
}

TEST_F(CleanupTest, NamesBeyondTheBufferLimitsGetNoEntry) {
    // The key path adds 60 characters to the name; 259 is the most that fits.
    SetPrinterName(std::string(199, 'n'));
    app.Delete();
    EXPECT_EQ(win.registry.ValueNames(KeyFor(std::string(199, 'n'))).size(), 4u);

    MemoryWindows other;
    CSetupApp local(other.platform);
    SetPrinterName(std::string(200, 'n'));
    local.Delete();
    EXPECT_FALSE(other.registry.KeyExists(kUninstallRoot));

    // The icon text adds 17 characters to the directory and the name.
    for (std::size_t dirLength : {100u, 101u}) {
        MemoryWindows w;
        CSetupApp a(w.platform);
        w.spooler.driverDirectory = "C:\\" + std::string(dirLength - 3, 'd');
        const std::string name(259 - 17 - 100, 'n');
        SetPrinterName(name);
        a.Delete();
        EXPECT_EQ(w.registry.KeyExists(KeyFor(name)), dirLength == 100) << dirLength;
        if (dirLength == 100) {
            EXPECT_EQ(Text(w.registry, KeyFor(name), "DisplayIcon").size(), 259u);
        }
    }
}

TEST_F(CleanupTest, DeletionsWhosePathWouldNotFitAreSkipped) {
    const std::string name(240, 'n');
    SetPrinterName(name);
    win.spooler.printers = {name};
    PutAll(DriverFilePaths(name));
    // Where a truncated driver-directory path would point.
    const std::string truncated = (driverDir + "\\" + name).substr(0, 259);
    win.files.Put(truncated, {});
    win.files.ClearLog();
    app.Delete();
    const std::vector<std::string> all = DriverFilePaths(name);
    EXPECT_EQ(Deletions(), std::vector<std::string>(all.begin() + 10, all.end()));
    EXPECT_TRUE(win.files.Exists(truncated));
    EXPECT_FALSE(win.registry.KeyExists(kUninstallRoot));  // too long for an entry as well
}

TEST_F(CleanupTest, DeniedRegistryIsSilentAndTheRestGoesOn) {
    win.registry.denyWrites = true;
    win.spooler.printers = {"KX47"};
    PutAll(DriverFilePaths("KX47"));
    win.files.Put(OemPath(4, "inf"), kMatchingInf);
    app.Delete();
    EXPECT_FALSE(win.registry.KeyExists(kUninstallRoot));
    EXPECT_EQ(win.registry.OpenHandles(), 0u);
    EXPECT_TRUE(win.ui.messages.empty());
    EXPECT_FALSE(win.files.Exists(DriverFilePaths("KX47").front()));
    EXPECT_FALSE(win.files.Exists(OemPath(4, "inf")));
    EXPECT_EQ(win.spooler.removedForms.size(), 1u);
}

}  // namespace
