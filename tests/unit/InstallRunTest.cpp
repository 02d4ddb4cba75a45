// The installation run against the in-memory Windows: staging, copies, clean-up order and the refusals.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "app/globals.h"
#include "app/setup.h"
#include "install/InstallCommandText.h"
#include "install/PrinterNameCheck.h"
#include "platform/memory/MemoryWindows.h"
#include "tests/support/StoreFiles.h"

namespace {

const std::string kDriverDir = "C:\\WINDOWS\\system32\\spool\\drivers\\w32x86";
const std::string kIniTemplate = "[OEMFiles]\r\nOEMDriverFile1=LBQ33D.DLL\r\nOEMConfigFile1=LBQ33F.DLL\r\n\r\n";
const std::string kGpdTemplate =
    "*GPDSpecVersion: \"1.0\"\r\n*Include: \"stdnames.gpd\"\r\n*GPDFileName: \"LBQ33.GPD\"\r\n"
    "*ModelName: \"LBQ33\"\r\n*ResourceDLL: \"KX47RES.DLL\"\r\n*MasterUnits: PAIR(203, 203)\r\n";
const std::string kEnglishFailure = "The Printer Driver installation has been failed!";

// The generated store when there is one; otherwise a distinct stand-in for every entry, so that a file's
// content tells which entry it came from.
void LoadEntries(MemoryResources& resources) {
    Bytes probe;
    if (ReadStoreEntry(256, probe)) {
        LoadStoreInto(resources);
        return;
    }
    for (unsigned id = 146; id <= 256; ++id) resources.entries[static_cast<std::uint16_t>(id)] = ToBytes("entry " + std::to_string(id));
    for (std::uint16_t id : {155, 169, 187}) resources.entries[id] = ToBytes(kGpdTemplate);
    for (std::uint16_t id : {159, 170, 188}) resources.entries[id] = ToBytes(kIniTemplate);
}

class InstallRun : public ::testing::Test {
protected:
    void SetUp() override {
        savedOsType_ = g_nOSType;
        LoadEntries(win.resources);
        win.files.PutDirectories(kDriverDir + "\\3");
        win.files.PutDirectories("C:\\WINDOWS\\inf");
        SetPrinterName("KX47");
        Configure(7, 0x0804, 0);
    }
    void TearDown() override {
        g_nOSType = savedOsType_;
        g_wLanguage = 0;
        SetPrinterName("");
    }

    static void SetPrinterName(const std::string& name) {
        std::memset(g_szPrinterName, 0, sizeof g_szPrinterName);
        std::memcpy(g_szPrinterName, name.data(), std::min(name.size(), sizeof g_szPrinterName - 1));
    }
    void Configure(int osType, std::uint16_t langId, std::uint16_t wLanguage) {
        g_nOSType = osType;
        win.system.langId = langId;
        g_wLanguage = wLanguage;
    }
    // The stand-in for the system command: registers the printer when the staged INF is there.
    void CommandInstallsFromInf() {
        win.processes.onRun = [this](const std::string&) {
            if (win.files.Exists("C:\\TEMP\\KX47.INF")) win.spooler.printers.push_back("KX47");
            return RunOutcome::Ended;
        };
    }
    void Run() {
        CSetupApp app(win.platform);
        app.InstallPrinterDriver();
    }

    Bytes Entry(std::uint16_t id) { return win.resources.entries.at(id); }
    Bytes FileAt(const std::string& path) {
        Bytes b;
        EXPECT_TRUE(win.files.Contents(path, b)) << path;
        return b;
    }
    std::string Text(const std::string& path) { return ToString(FileAt(path)); }
    std::vector<std::string> LogLinesStarting(const std::string& prefix) {
        std::vector<std::string> lines;
        for (const std::string& line : win.files.Log())
            if (line.rfind(prefix, 0) == 0) lines.push_back(line);
        return lines;
    }
    void ExpectNothingTouched(const std::string& what) {
        EXPECT_TRUE(win.files.Log().empty()) << what << ": " << win.files.Log().front();
        EXPECT_FALSE(win.registry.KeyExists("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\KX47 printer")) << what;
        EXPECT_TRUE(win.processes.runs.empty()) << what;
        EXPECT_TRUE(win.spooler.removedForms.empty()) << what;
        EXPECT_EQ(win.ui.quitPosted, 1) << what;
        ASSERT_EQ(win.ui.messages.size(), 1u) << what;
        EXPECT_EQ(win.ui.messages[0].text, ResultMessage(false, g_wLanguage, win.system.langId)) << what;
    }

    MemoryWindows win;

private:
    int savedOsType_ = 0;
};

TEST_F(InstallRun, XpSimplifiedChineseStagesCopiesAndInstalls) {
    CommandInstallsFromInf();
    Run();

    // Staged as the store holds them, except the two rewritten templates.
    const std::pair<const char*, std::uint16_t> staged[] = {
        {"STDNAMES.GPD", 153}, {"KX47D.dll", 156},  {"ZIKU.UFM", 154},  {"UNIDRV.DLL", 149},
        {"UNIDRV.HLP", 152},   {"UNIDRVUI.DLL", 150}, {"UNIRES.DLL", 151}, {"KX47F.dll", 157},
        {"KX47RES.DLL", 158},  {"uninstallKX47.exe", 255}, {"KX47.INF", 256}};
    for (const auto& [name, id] : staged) EXPECT_EQ(FileAt(std::string("C:\\TEMP\\") + name), Entry(id)) << name;
    for (const char* sub : {"C:\\TEMP\\I386\\", "C:\\TEMP\\x86\\"})
        for (const auto& [name, id] : {std::pair<const char*, std::uint16_t>{"KX47D.dll", 156}, {"KX47F.dll", 157},
                                       {"KX47RES.DLL", 158}})
            EXPECT_EQ(FileAt(std::string(sub) + name), Entry(id)) << sub << name;
    EXPECT_FALSE(win.files.Exists("C:\\TEMP\\I386\\UNIDRV.DLL"));
    EXPECT_FALSE(win.files.Exists("C:\\TEMP\\x86\\KX47.GPD"));

    if (ToString(Entry(159)) == kIniTemplate) {
        EXPECT_EQ(Text("C:\\TEMP\\KX47.INI"), "[OEMFiles]\nOEMDriverFile1=KX47D.DLL\nOEMConfigFile1=KX47F.DLL\n\n");
    }
    const std::string gpd = Text("C:\\TEMP\\KX47.GPD");
    for (const char* line : {"\n*GPDFileName: \"KX47.GPD\"\n", "\n*ModelName: \"KX47\"\n", "\n*ResourceDLL: \"KX47RES.DLL\"\n"})
        EXPECT_NE(gpd.find(line), std::string::npos) << line;
    EXPECT_EQ(gpd.find("LBQ33"), std::string::npos);

    // The uninstaller first, then the driver file set in copy order, each equal to its staged file.
    const std::vector<std::string> names = {"uninstallKX47.exe", "UNIDRV.DLL",   "KX47.GPD",    "UNIDRVUI.DLL",
                                            "UNIDRV.HLP",        "UNIRES.DLL",   "STDNAMES.GPD", "ZIKU.UFM",
                                            "KX47.INI",          "KX47RES.DLL",  "KX47D.dll",   "KX47F.dll"};
    std::vector<std::string> expectedCopies;
    for (const std::string& name : names) {
        expectedCopies.push_back("copy C:\\TEMP\\" + name + " -> " + kDriverDir + "\\" + name);
        EXPECT_EQ(FileAt(kDriverDir + "\\" + name), FileAt("C:\\TEMP\\" + name)) << name;
    }
    EXPECT_EQ(LogLinesStarting("copy "), expectedCopies);

    EXPECT_TRUE(win.registry.KeyExists("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\KX47 printer"));
    ASSERT_EQ(win.processes.runs.size(), 2u);
    EXPECT_EQ(win.processes.runs[0].currentDir, "C:\\TEMP");
    EXPECT_EQ(win.ui.events, (std::vector<std::string>{"message:" + ResultMessage(true, 0, 0x0804), "quit"}));
}

struct VariantCase {
    const char* what;
    int osType;
    std::uint16_t langId;
    std::uint16_t wLanguage;
    std::uint16_t stdnames, unidrv, unires, uiPlugin, resources;
};

TEST_F(InstallRun, CoreFilesFollowTheSystemAndPluginTheChoice) {
    const VariantCase cases[] = {
        {"2000, Taiwan, Chinese", 6, 0x0404, 0, 168, 172, 175, 250, 252},
        {"XP, Singapore, Chinese", 7, 0x1004, 0, 153, 149, 151, 249, 254},
        {"XP, PRC, English", 7, 0x0804, 1, 153, 149, 151, 161, 162},
        {"XP, US, English", 7, 0x0409, 1, 153, 163, 166, 161, 162},
        {"2003, PRC, Chinese", 8, 0x0804, 0, 186, 190, 193, 194, 195},
        {"Vista, Hong Kong, Chinese", 9, 0x0C04, 0, 186, 190, 193, 251, 253},
        {"7, US, English", 10, 0x0409, 1, 186, 196, 199, 200, 201},
        {"NT 4, PRC, English", 4, 0x0804, 1, 186, 190, 193, 200, 201},
    };
    for (const VariantCase& c : cases) {
        MemoryWindows w;
        LoadEntries(w.resources);
        w.files.PutDirectories(kDriverDir);
        Configure(c.osType, c.langId, c.wLanguage);
        w.system.langId = c.langId;
        CSetupApp app(w.platform);
        app.InstallPrinterDriver();
        const std::pair<const char*, std::uint16_t> expected[] = {
            {"C:\\TEMP\\STDNAMES.GPD", c.stdnames}, {"C:\\TEMP\\UNIDRV.DLL", c.unidrv},
            {"C:\\TEMP\\UNIRES.DLL", c.unires},     {"C:\\TEMP\\KX47F.dll", c.uiPlugin},
            {"C:\\TEMP\\x86\\KX47F.dll", c.uiPlugin}, {"C:\\TEMP\\I386\\KX47RES.DLL", c.resources}};
        for (const auto& [path, id] : expected) {
            Bytes b;
            EXPECT_TRUE(w.files.Contents(path, b) && b == w.resources.entries.at(id)) << c.what << ": " << path;
        }
        // Nothing installs a printer here: the failure text in the run's language, then the quit.
        ASSERT_EQ(w.ui.messages.size(), 1u) << c.what;
        EXPECT_EQ(w.ui.messages[0].text, ResultMessage(false, c.wLanguage, c.langId)) << c.what;
        EXPECT_EQ(w.ui.quitPosted, 1) << c.what;
    }
}

TEST_F(InstallRun, EarlierCopiesAreRemovedAndOnlyNamedFilesFromTheVersionDirectory) {
    const char* fixed[] = {"STDNAMES.GPD", "ZIKU.UFM", "UNIDRV.DLL", "UNIDRV.HLP", "UNIDRVUI.DLL", "UNIRES.DLL"};
    const char* named[] = {"KX47.GPD", "KX47.INI", "KX47D.dll", "KX47F.dll", "KX47RES.DLL"};
    for (const char* dir : {"C:\\TEMP\\", "C:\\WINDOWS\\system32\\spool\\drivers\\w32x86\\",
                            "C:\\WINDOWS\\system32\\spool\\drivers\\w32x86\\3\\"}) {
        for (const char* f : fixed) win.files.Put(std::string(dir) + f, ToBytes("old"));
        for (const char* f : named) win.files.Put(std::string(dir) + f, ToBytes("old"));
    }
    win.files.ClearLog();
    Run();

    const std::vector<std::string> deletes = LogLinesStarting("delete ");
    auto deleted = [&](const std::string& path) { return std::count(deletes.begin(), deletes.end(), "delete " + path); };
    for (const char* f : fixed) {
        EXPECT_EQ(deleted("C:\\TEMP\\" + std::string(f)), 1) << f;
        EXPECT_EQ(deleted(kDriverDir + "\\" + f), 1) << f;
        EXPECT_EQ(deleted(kDriverDir + "\\3\\" + f), 0) << f;
        EXPECT_EQ(ToString(FileAt(kDriverDir + "\\3\\" + f)), "old") << f;
    }
    for (const char* f : named) {
        EXPECT_EQ(deleted(kDriverDir + "\\3\\" + f), 1) << f;
        EXPECT_FALSE(win.files.Exists(kDriverDir + "\\3\\" + f)) << f;
        EXPECT_NE(ToString(FileAt(kDriverDir + "\\" + f)), "old") << f;
    }
    // The deletions come before anything is written.
    const std::vector<std::string> log = win.files.Log();
    auto firstWrite = std::find_if(log.begin(), log.end(), [](const std::string& l) { return l.rfind("write ", 0) == 0; });
    EXPECT_EQ(std::count_if(firstWrite, log.end(), [](const std::string& l) { return l.rfind("delete ", 0) == 0; }), 0);
}

TEST_F(InstallRun, OtherPrinterNameNamesTheFilesButTheCommandKeepsTheModelWord) {
    SetPrinterName("Shop A");
    CommandInstallsFromInf();
    Run();
    for (const char* name : {"Shop A.GPD", "Shop A.INI", "Shop AD.dll", "Shop AF.dll", "Shop ARES.DLL", "Shop A.INF",
                             "uninstallShop A.exe", "I386\\Shop AD.dll", "x86\\Shop ARES.DLL"})
        EXPECT_TRUE(win.files.Exists(std::string("C:\\TEMP\\") + name)) << name;
    EXPECT_TRUE(win.files.Exists(kDriverDir + "\\uninstallShop A.exe"));
    EXPECT_TRUE(win.files.Exists(kDriverDir + "\\Shop ARES.DLL"));
    // C:\TEMP\KX47.INF does not exist, so the stand-in command installs nothing.
    ASSERT_EQ(win.processes.runs.size(), 1u);
    EXPECT_NE(win.processes.runs[0].commandLine.find("/f C:\\TEMP\\KX47.INF "), std::string::npos);
    EXPECT_EQ(win.ui.events, (std::vector<std::string>{"message:" + ResultMessage(false, 0, 0x0804), "quit"}));
}

TEST_F(InstallRun, UnsafePrinterNamesTouchNothing) {
    const std::string names[] = {"",        "..\\..\\WINDOWS\\KX47", "a/b",  "C:KX47", "KX<47>", "KX\"47",
                                 "KX|47",   "KX?47",                 "KX*47", "KX\t47", "KX\n47", "LPT1",  std::string(200, 'P')};
    for (const std::string& name : names) {
        MemoryWindows w;
        LoadEntries(w.resources);
        w.files.PutDirectories(kDriverDir);
        w.files.ClearLog();
        SetPrinterName(name);
        Configure(7, 0x0804, 0);
        w.system.langId = 0x0804;
        CSetupApp app(w.platform);
        app.InstallPrinterDriver();
        EXPECT_TRUE(w.files.Log().empty()) << name;
        EXPECT_TRUE(w.processes.runs.empty()) << name;
        EXPECT_TRUE(w.spooler.removedForms.empty()) << name;
        EXPECT_EQ(w.ui.events, (std::vector<std::string>{"message:" + ResultMessage(false, 0, 0x0804), "quit"})) << name;
    }
}

TEST_F(InstallRun, NoDriverDirectoryEndsBeforeAnyChange) {
    win.spooler.driverDirectoryFails = true;
    g_wLanguage = 1;
    win.files.ClearLog();
    Run();
    ExpectNothingTouched("driver directory unknown");
    EXPECT_EQ(win.ui.messages[0].text, kEnglishFailure);
}

TEST(PrinterNameCheck, LimitsFollowTheLongestPathAndKey) {
    const std::string dir = "C:\\WINDOWS\\system32\\spool\\drivers\\w32x86";
    EXPECT_EQ(CheckPrinterName("KX47", dir), PrinterNameProblem::None);
    EXPECT_EQ(CheckPrinterName("Shop printer #2 (front)", dir), PrinterNameProblem::None);
    EXPECT_EQ(CheckPrinterName("", dir), PrinterNameProblem::Empty);
    for (const char* bad : {"a\\b", "a/b", "a:b", "a<b", "a>b", "a\"b", "a|b", "a?b", "a*b", "a\x01" "b", "a\x7f"})
        EXPECT_EQ(CheckPrinterName(bad, dir), PrinterNameProblem::ForbiddenCharacter) << bad;
    for (const char* device : {"CON", "nul", "Lpt1", "COM9", "aux", "PRN"})
        EXPECT_EQ(CheckPrinterName(device, dir), PrinterNameProblem::ReservedName) << device;
    for (const char* fine : {"CONSOLE", "LPT", "COM10", "LPT0", "NULL"})
        EXPECT_EQ(CheckPrinterName(fine, dir), PrinterNameProblem::None) << fine;
    // The uninstall key "...\Uninstall\<name> printer" holds at most 199 name characters.
    EXPECT_EQ(CheckPrinterName(std::string(199, 'N'), dir), PrinterNameProblem::None);
    EXPECT_EQ(CheckPrinterName(std::string(200, 'N'), dir), PrinterNameProblem::TooLong);
    // With a long driver directory the icon reference "<dir>\uninstall<name>.exe,-0" decides.
    const std::string longDir = "D:\\" + std::string(137, 'd');  // 140 characters
    EXPECT_EQ(CheckPrinterName(std::string(102, 'N'), longDir), PrinterNameProblem::None);
    EXPECT_EQ(CheckPrinterName(std::string(103, 'N'), longDir), PrinterNameProblem::TooLong);
}

}  // namespace
