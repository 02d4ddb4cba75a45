// System integration: clean-up of an earlier installation (the printer-named files, the uninstall entry, stale
// OEM INFs, the form), the printer-name match, the stale INF rule and the registry helper.
#include "install/DriverFiles.h"
#include "system/Cleanup.h"
#include "system/OemInfScan.h"
#include "system/PrinterMatch.h"
#include "system/Reg.h"
#include "tests/unit/UnitSupport.h"

namespace {

const std::string kUninstallRoot = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
const std::string kDriverDir = "C:\\WINDOWS\\system32\\spool\\drivers\\w32x86";
const Bytes kMatchingInf = ToBytes("[Version]\r\nClass=Printer\r\n[Manufacturer]\r\n\"W36\"=W36.GPD\r\n");

std::string KeyFor(const std::string& name) { return kUninstallRoot + "\\" + name + " printer"; }
std::string OemPath(int n, const char* ext) { return "C:\\WINDOWS\\inf\\oem" + std::to_string(n) + "." + ext; }

// The fifteen printer-named files of an earlier installation, in the order they are removed.
std::vector<std::string> DriverFilePaths(const std::string& name, const std::string& driverDir = kDriverDir) {
    std::vector<std::string> paths;
    for (const std::string& dir : {driverDir + "\\", driverDir + "\\3\\", std::string("c:\\temp\\")})
        for (const char* suffix : {".GPD", ".INI", "RES.DLL", "D.dll", "F.dll"}) paths.push_back(dir + name + suffix);
    return paths;
}

std::string RegText(MemoryRegistry& registry, const std::string& key, const std::string& name) {
    std::uint32_t type = 0;
    Bytes data;
    if (!registry.QueryValue(key, name, type, data)) return "<missing>";
    if (type != kRegSz || data.empty() || data.back() != 0) return "<not a terminated REG_SZ>";
    return std::string(data.begin(), data.end() - 1);
}

class Cleanup : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        SetPrinterName("KX47");
    }
    void PutAll(MemoryWindows& w, const std::vector<std::string>& paths) {
        for (const std::string& p : paths) w.files.Put(p, ToBytes("old"));
        w.files.ClearLog();
    }
};

TEST(PrinterMatch, CountsCaseSensitiveSubstrings) {
    const std::vector<std::string> names = {"KX47", "KX47(Copy 2)", "Office KX47", "kx47", "KX4"};
    EXPECT_EQ(CountNamesContaining(names, "KX47"), 3);
    EXPECT_EQ(CountNamesContaining(names, "kx47"), 1);
    EXPECT_EQ(CountNamesContaining(names, ""), 5);
    EXPECT_EQ(CountNamesContaining({}, "KX47"), 0);
}

TEST_F(Cleanup, OnlyOneMatchingPrinterRemovesTheFifteenFilesTheRestHappensOnEveryRun) {
    // "...\Uninstall\<name> printer" holds at most 199 name characters; "<dir>\uninstall<name>.exe,-0" adds 17
    // characters to the driver directory and the name. A name beyond either limit gets no entry and no deletion.
    const std::string n199(199, 'n'), n200(200, 'n'), n142(142, 'n');
    const struct {
        std::string name;
        std::vector<std::string> printers;
        int failFill;  // the n-th filling enumeration fails
        bool zeroSize, denyRegistry;
        std::size_t dirLength;  // 0: the usual driver directory
        bool deletes, entry;
    } cases[] = {
        {"KX47", {"Office KX47"}, 0, false, false, 0, true, true},
        {"KX47", {"KX47", "KX47(Copy 2)"}, 0, false, false, 0, false, true},
        {"kx47", {"KX47"}, 0, false, false, 0, false, true},
        {"KX47", {}, 0, false, false, 0, false, true},
        {"KX47", {"Other", "Another"}, 0, false, false, 0, false, true},
        {"", {"Anything"}, 0, false, false, 0, true, true},  // the files are then named ".GPD", "RES.DLL"...
        {"", {"One", "Two"}, 0, false, false, 0, false, true},
        {"KX47", {"KX47"}, 1, false, false, 0, false, true},
        {"KX47", {"KX47"}, 0, true, false, 0, false, true},
        {"KX47", {"KX47"}, 0, false, true, 0, true, false},
        {n199, {n199}, 0, false, false, 0, true, true},
        {n200, {n200}, 0, false, false, 0, false, false},
        {n142, {n142}, 0, false, false, 100, true, true},
        {n142, {n142}, 0, false, false, 101, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.name.size() << "-character name, " << c.printers.size() << " printers");
        MemoryWindows w;
        SetPrinterName(c.name);
        w.spooler.printers = c.printers;
        w.spooler.failEnumerationNumber = c.failFill;
        w.spooler.reportZeroSize = c.zeroSize;
        w.registry.denyWrites = c.denyRegistry;
        if (c.dirLength) w.spooler.driverDirectory = "C:\\" + std::string(c.dirLength - 3, 'd');
        w.files.Put(OemPath(4, "inf"), kMatchingInf);
        PutAll(w, DriverFilePaths(c.name, w.spooler.driverDirectory));
        CSetupApp(w.platform).Delete();
        std::vector<std::string> expected;
        if (c.deletes) expected = DriverFilePaths(c.name, w.spooler.driverDirectory);
        expected.push_back(OemPath(4, "inf"));
        EXPECT_EQ(LogLines(w.files, "delete "), expected);
        EXPECT_EQ(w.registry.ValueNames(KeyFor(c.name)).size(), c.entry ? 4u : 0u);
        EXPECT_EQ(w.registry.KeyExists(kUninstallRoot), c.entry);
        EXPECT_EQ(w.registry.OpenHandles(), 0u);
        EXPECT_EQ(w.spooler.removedForms, std::vector<std::string>{"papersize(58x420mm)"});
        EXPECT_TRUE(w.ui.messages.empty());
        if (c.zeroSize) {
            EXPECT_EQ(w.spooler.fillCalls, 0);  // no filling call after a size of 0
        }
    }
}

TEST_F(Cleanup, RemovesTheDriverFileSetsPrinterNamedFilesAndKeepsItsFixedOnes) {
    // An earlier installation's files under the names the installation stages and copies them with.
    win.spooler.printers = {"KX47"};
    const std::vector<DriverFile> set = DriverFileSet("KX47");
    for (const std::string& dir : {kDriverDir + "\\", kDriverDir + "\\3\\", std::string("C:\\TEMP\\")})
        for (const DriverFile& file : set) win.files.Put(dir + file.fileName, ToBytes("old"));
    app.Delete();
    for (const std::string& dir : {kDriverDir + "\\", kDriverDir + "\\3\\", std::string("C:\\TEMP\\")})
        for (const DriverFile& file : set)
            EXPECT_EQ(win.files.Exists(dir + file.fileName), !file.nameDerived) << dir << file.fileName;
}

TEST_F(Cleanup, SecondEnumerationFailureShowsOneErrorBoxAndKeepsTheForm) {
    win.spooler.printers = {"Office KX47"};
    win.spooler.failEnumerationNumber = 2;
    win.spooler.enumerationError = 1722;
    app.Delete();
    ASSERT_EQ(win.ui.messages.size(), 1u);
    EXPECT_EQ(win.ui.messages[0].text, win.ui.SystemMessageText(1722));
    EXPECT_EQ(win.ui.messages[0].caption, "ERROR");
    EXPECT_EQ(win.ui.messages[0].flags, kMbOk | kMbIconInformation | kMbTaskModal);
    EXPECT_FALSE(win.ui.messages[0].appMessage);
    EXPECT_TRUE(win.spooler.removedForms.empty());
    EXPECT_TRUE(win.spooler.openedWithAccess.empty());
    EXPECT_TRUE(win.registry.KeyExists(KeyFor("KX47")));  // written before the failure
}

TEST_F(Cleanup, StaleOemInfScanCoversIndexesZeroToNinetyNine) {
    win.files.Put(OemPath(0, "inf"), kMatchingInf);  // .inf without .pnf
    win.files.Put(OemPath(4, "inf"), kMatchingInf);
    win.files.Put(OemPath(4, "pnf"), ToBytes("precompiled"));
    win.files.Put(OemPath(5, "inf"), ToBytes("W36\nClass=Printer\n[Manufacturer]\n"));
    win.files.Put(OemPath(6, "inf"), ToBytes("Class=Printer\nW36\n"));
    win.files.Put(OemPath(7, "inf"), kMatchingInf);
    win.files.SetUnreadable(OemPath(7, "inf"));
    win.files.Put(OemPath(99, "inf"), kMatchingInf);
    win.files.Put(OemPath(100, "inf"), kMatchingInf);
    for (int n : {5, 7, 100}) win.files.Put(OemPath(n, "pnf"), {});
    win.files.ClearLog();
    RemoveStaleOemInf(win.platform);
    EXPECT_EQ(LogLines(win.files, "delete "),
              (std::vector<std::string>{OemPath(0, "inf"), OemPath(4, "inf"), OemPath(4, "pnf"), OemPath(99, "inf")}));

    // Without a Windows directory nothing is examined, least of all at the root of the drive.
    win.system.windowsDir.clear();
    win.files.Put("C:\\inf\\oem1.inf", kMatchingInf);
    RemoveStaleOemInf(win.platform);
    EXPECT_TRUE(win.files.Exists("C:\\inf\\oem1.inf"));
}

TEST_F(Cleanup, UninstallEntryIsRewrittenUnchangedAndTheFormDeletedOnce) {
    const std::string key = KeyFor("KX47"), command = kDriverDir + "\\uninstallKX47.exe";
    for (std::size_t run = 1; run <= 2; ++run) {
        app.Delete();
        EXPECT_EQ(win.registry.ValueNames(key),
                  (std::vector<std::string>{"DisplayName", "UninstallString", "DisplayIcon", "Publisher"}));
        EXPECT_EQ(RegText(win.registry, key, "DisplayName"), "KX47 printer driver uninstall");
        EXPECT_EQ(RegText(win.registry, key, "UninstallString"), command);
        EXPECT_EQ(RegText(win.registry, key, "DisplayIcon"), command + ",-0");
        EXPECT_EQ(RegText(win.registry, key, "Publisher"), "KX47 printer");
        EXPECT_EQ(win.registry.OpenHandles(), 0u);
        // The form goes through a print-server handle with administer access, closed again; absent, silently.
        EXPECT_EQ(win.spooler.openedWithAccess, std::vector<std::uint32_t>(run, kServerAccessAdminister));
        EXPECT_EQ(win.spooler.removedForms, std::vector<std::string>{"papersize(58x420mm)"});
        EXPECT_EQ(win.spooler.OpenHandles(), 0u);
        EXPECT_TRUE(win.ui.messages.empty());
    }
    SetPrinterName("Counter");  // another name adds a key beside the first
    app.Delete();
    EXPECT_TRUE(win.registry.KeyExists(key));
    EXPECT_EQ(RegText(win.registry, KeyFor("Counter"), "Publisher"), "Counter printer");
}

TEST_F(Cleanup, NoDriverDirectoryNamesNoFileOutsideTheStagingArea) {
    win.spooler.driverDirectoryFails = true;
    win.spooler.printers = {"KX47"};
    const std::vector<std::string> atRoot = DriverFilePaths("KX47", "C:");
    PutAll(win, atRoot);
    app.Delete();
    EXPECT_EQ(LogLines(win.files, "delete "), std::vector<std::string>(atRoot.begin() + 10, atRoot.end()));
    for (std::size_t i = 0; i < 10; ++i) EXPECT_TRUE(win.files.Exists(atRoot[i])) << atRoot[i];
    EXPECT_EQ(win.registry.ValueNames(KeyFor("KX47")), (std::vector<std::string>{"DisplayName", "Publisher"}));
}

TEST_F(Cleanup, DeletionWhosePathWouldNotFitIsSkipped) {
    const std::string name(240, 'n');
    const std::string truncated = (kDriverDir + "\\" + name).substr(0, 259);  // where a cut path would point
    win.files.Put(truncated, {});
    EXPECT_FALSE(DeleteDriverFile(win.platform, name));
    EXPECT_FALSE(DeleteDriverVersionFile(win.platform, name));
    EXPECT_TRUE(win.files.Exists(truncated));
}

TEST(OemInfScan, ModelLineMustStandAtOrAfterBothMarkersInOnePieceOfAtMost259) {
    const std::string head = "Class=Printer\n[Manufacturer]\n";
    const struct {
        std::string text;
        bool matches;
    } cases[] = {
        {"[Version]\nClass=Printer\n[Manufacturer]\n\"Vendor\"=Models\n[Models]\n\"W36\"=W36.GPD\n", true},
        {"Class=Printer\r\nCopyFiles=W36.GPD\r\nW36\r\n", true},  // .GPD instead of [Manufacturer]
        {"; Class=Printer [Manufacturer] W36\n", true},           // one line, comments included
        {"Class=Printer,x.GPD,W36", true},                        // last line without a line feed
        {"W36\nClass=Printer\n[Manufacturer]\n", false},
        {"Class=Printer\nW36\n[Manufacturer]\n", false},
        {"[Manufacturer]\nW36\nClass=Printer\n", false},
        {"Class=Printer\nW36\n", false},  // neither [Manufacturer] nor .GPD
        {"[Manufacturer]\nx.GPD\nW36\n", false},
        {"", false},
        {"class=printer\n[Manufacturer]\nW36\n", false},  // case-sensitive
        {"Class=Printer\n[manufacturer]\nx.gpd\nW36\n", false},
        {"Class=Printer\n[Manufacturer]\nw36\n", false},
        // "W36" across the end of the first 259-character piece is not seen; inside either piece it is.
        {head + std::string(257, 'x') + "W36\n", false},
        {head + std::string(256, 'x') + "W36\n", true},
        {head + std::string(259, 'x') + "W36\n", true},
        // A marker in a later piece of the same line does not qualify a "W36" in an earlier one.
        {"Class=Printer W36" + std::string(250, ' ') + "[Manufacturer]\n", false},
        {"Class=Printer" + std::string(250, ' ') + "[Manufacturer]" + std::string(300, ' ') + "W36\n", true},
        // Nothing after a NUL in the piece or after an end-of-file mark is seen.
        {std::string("Class=Printer [Manufacturer]\0W36\n", 34), false},
        {head + "\x1AW36\n", false},
    };
    for (const auto& c : cases) EXPECT_EQ(OemInfMatches(ToBytes(c.text)), c.matches) << c.text.substr(0, 60);

    Bytes utf16 = {0xFF, 0xFE};  // the same text as UTF-16 never matches
    for (char c : head + "W36\n") utf16.insert(utf16.end(), {static_cast<unsigned char>(c), 0});
    EXPECT_FALSE(OemInfMatches(utf16));
}

TEST(OemInfScan, PathsInTheInfDirectory) {
    std::string inf, pnf;
    ASSERT_TRUE(OemInfPaths("C:\\WINDOWS", 4, inf, pnf));
    EXPECT_EQ(inf, "C:\\WINDOWS\\inf\\oem4.inf");
    EXPECT_EQ(pnf, "C:\\WINDOWS\\inf\\oem4.pnf");
    ASSERT_TRUE(OemInfPaths("D:\\W", 99, inf, pnf));
    EXPECT_EQ(inf, "D:\\W\\inf\\oem99.inf");
    EXPECT_FALSE(OemInfPaths("", 0, inf, pnf));  // never at the root of the current drive
    // "\inf\oem99.inf" adds 14 characters; the whole path must stay within 259.
    EXPECT_TRUE(OemInfPaths(std::string(245, 'd'), 99, inf, pnf));
    EXPECT_EQ(inf.size(), 259u);
    EXPECT_FALSE(OemInfPaths(std::string(246, 'd'), 99, inf, pnf));
    EXPECT_TRUE(OemInfPaths(std::string(246, 'd'), 9, inf, pnf));
}

constexpr const char* kKey = "SOFTWARE\\Vendor\\Product";
const std::string kText = "KX47 printer";
const unsigned char* const kData = reinterpret_cast<const unsigned char*>(kText.c_str());
const std::uint32_t kSize = static_cast<std::uint32_t>(kText.size() + 1);

class Reg : public ::testing::Test {
protected:
    void TearDown() override { EXPECT_EQ(registry.OpenHandles(), 0u); }
    MemoryRegistry registry;
    CReg reg{registry};
};

TEST_F(Reg, CreateKeyMakesParentsAndKeepsValuesSetKeyValueStoresExactlyTheBytesGiven) {
    ASSERT_TRUE(reg.CreateKey(kKey));
    EXPECT_TRUE(registry.KeyExists("SOFTWARE\\Vendor"));
    ASSERT_TRUE(reg.SetKeyValue(kKey, "Publisher", kRegSz, kData, kSize));
    EXPECT_TRUE(reg.CreateKey(kKey));  // existing key: opened, values untouched
    std::uint32_t type = 0;
    Bytes data;
    ASSERT_TRUE(registry.QueryValue(kKey, "Publisher", type, data));
    EXPECT_EQ(type, kRegSz);
    EXPECT_EQ(data, Bytes(kData, kData + kSize));
    EXPECT_EQ(reg.m_hKey, 0u);
}

TEST_F(Reg, SetKeyValueNeverCreatesTheKeyAndDeniedWritesFail) {
    EXPECT_FALSE(reg.SetKeyValue(kKey, "Name", kRegSz, kData, kSize));
    EXPECT_FALSE(registry.KeyExists("SOFTWARE\\Vendor"));
    ASSERT_TRUE(reg.CreateKey(kKey));
    registry.denyWrites = true;
    EXPECT_FALSE(reg.CreateKey("SOFTWARE\\Other"));
    EXPECT_FALSE(reg.SetKeyValue(kKey, "Name", kRegSz, kData, kSize));
    EXPECT_FALSE(registry.KeyExists("SOFTWARE\\Other"));
    EXPECT_TRUE(registry.ValueNames(kKey).empty());
}

TEST_F(Reg, DestructorClosesAHeldKey) {
    RegKeyHandle held = 0;
    ASSERT_TRUE(registry.CreateKey(kKey, held));
    {
        CReg scoped(registry);
        EXPECT_EQ(scoped.m_hKey, 0u);
        scoped.m_hKey = held;
    }
}

}  // namespace
