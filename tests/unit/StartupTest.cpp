// Start-up before the wizard: program directory, Language directory, table choice, settings file, printer name.
#include <gtest/gtest.h>

#include <cstring>

#include "app/globals.h"
#include "app/setup.h"
#include "platform/memory/MemoryWindows.h"
#include "tests/support/StoreFiles.h"

namespace {

const std::string kDefaultSettings = "[Setting]\r\nLanguage=English\r\nPrinterName=KX47";

std::string StandInTable(const std::string& language) {
    return "\r\n\r\n[Setting]\r\nLanguage=" + language + "\r\n\r\n\r\n\r\n[String]\r\nIDD102_12324=" + language +
           " next\r\n";
}

// The generated store's entry where there is one, else the stand-in.
void LoadEntry(MemoryResources& resources, std::uint16_t id, const std::string& standIn) {
    Bytes data;
    resources.entries[id] = ReadStoreEntry(id, data) ? data : ToBytes(standIn);
}

void LoadEntries(MemoryResources& resources) {
    LoadEntry(resources, 146, StandInTable("Chinese"));
    LoadEntry(resources, 147, StandInTable("English"));
    LoadEntry(resources, 248, StandInTable("Chinese"));
    LoadEntry(resources, 148, kDefaultSettings);
}

void ResetGlobals() {
    g_strLanguageFile.clear();
    g_strSettingFile.clear();
    g_strAppDir.clear();
    std::memset(g_szPrinterName, 0, sizeof g_szPrinterName);
    std::memset(g_szScratch, 0, sizeof g_szScratch);
    g_wLanguage = 0;
    g_bInstalled = false;
}

class StartupPrepare : public ::testing::Test {
protected:
    void SetUp() override {
        ResetGlobals();
        LoadEntries(win.resources);
        win.files.PutDirectories("C:\\Setup");
        win.system.modulePath = "C:\\Setup\\setup.exe";
    }
    void TearDown() override { ResetGlobals(); }

    void Run() {
        ResetGlobals();
        CSetupApp app(win.platform);
        app.PrepareStartup();
    }
    Bytes FileAt(const std::string& path) {
        Bytes b;
        EXPECT_TRUE(win.files.Contents(path, b)) << path;
        return b;
    }

    MemoryWindows win;
};

TEST_F(StartupPrepare, FirstRunWritesTablesAndSettings) {
    win.system.langId = 0x0804;
    Run();
    EXPECT_EQ(g_strAppDir, "C:\\Setup\\");
    EXPECT_EQ(g_strSettingFile, "C:\\Setup\\setting.dll");
    EXPECT_TRUE(win.files.IsDirectory("C:\\Setup\\Language"));
    const std::vector<std::string> expected{
        "mkdir C:\\Setup\\Language",
        "write C:\\Setup\\Language\\Multi_eng.dll",
        "write C:\\Setup\\Language\\Multi_ch.dll",
        "write C:\\Setup\\setting.dll",
    };
    EXPECT_EQ(win.files.Log(), expected);
    EXPECT_EQ(FileAt("C:\\Setup\\Language\\Multi_eng.dll"), win.resources.entries[147]);
    EXPECT_EQ(FileAt("C:\\Setup\\Language\\Multi_ch.dll"), win.resources.entries[146]);
    EXPECT_EQ(ToString(FileAt("C:\\Setup\\setting.dll")), kDefaultSettings);
    EXPECT_EQ(kDefaultSettings.size(), 45u);
    // The first run uses the English table whatever the system language.
    EXPECT_EQ(g_strLanguageFile, "C:\\Setup\\Language\\Multi_eng.dll");
    EXPECT_STREQ(g_szPrinterName, "KX47");
}

TEST_F(StartupPrepare, SecondRunWritesNothingAndKeepsTheSystemTable) {
    win.system.langId = 0x0804;
    Run();
    const std::vector<std::string> before = win.files.AllFiles();
    win.files.ClearLog();
    Run();
    EXPECT_TRUE(win.files.Log().empty()) << win.files.Log().front();
    EXPECT_EQ(win.files.AllFiles(), before);
    EXPECT_EQ(g_strLanguageFile, "C:\\Setup\\Language\\Multi_ch.dll");
    EXPECT_STREQ(g_szPrinterName, "KX47");
}

struct LangCase {
    std::uint16_t langId;
    const char* table;        // the table a later run uses
    const char* secondTable;  // the non-English table the first run writes
    std::uint16_t secondEntry;
};

class StartupLanguage : public StartupPrepare, public ::testing::WithParamInterface<LangCase> {};

TEST_P(StartupLanguage, SystemLanguagePicksTheTable) {
    const LangCase& c = GetParam();
    win.system.langId = c.langId;
    Run();
    EXPECT_EQ(g_strLanguageFile, "C:\\Setup\\Language\\Multi_eng.dll");
    const std::string second = std::string("C:\\Setup\\Language\\") + c.secondTable;
    EXPECT_EQ(FileAt(second), win.resources.entries[c.secondEntry]);
    EXPECT_EQ(FileAt("C:\\Setup\\Language\\Multi_eng.dll"), win.resources.entries[147]);
    EXPECT_EQ(win.files.AllFiles().size(), 3u);  // two tables and the settings file

    win.files.ClearLog();
    Run();
    EXPECT_EQ(g_strLanguageFile, std::string("C:\\Setup\\Language\\") + c.table);
    EXPECT_TRUE(win.files.Log().empty());
}

INSTANTIATE_TEST_SUITE_P(Ids, StartupLanguage,
                         ::testing::Values(LangCase{0x0804, "Multi_ch.dll", "Multi_ch.dll", 146},
                                           LangCase{0x0404, "Multi_ch_BIG5.dll", "Multi_ch_BIG5.dll", 248},
                                           LangCase{0x0C04, "Multi_ch_BIG5.dll", "Multi_ch_BIG5.dll", 248},
                                           LangCase{0x1004, "Multi_ch_BIG5.dll", "Multi_ch_BIG5.dll", 248},
                                           LangCase{0x1404, "Multi_ch_BIG5.dll", "Multi_ch_BIG5.dll", 248},
                                           LangCase{0x0409, "Multi_eng.dll", "Multi_ch.dll", 146},
                                           LangCase{0x0411, "Multi_eng.dll", "Multi_ch.dll", 146}));

TEST_F(StartupPrepare, ExistingEmptySettingsFileIsKept) {
    win.files.Put("C:\\Setup\\setting.dll", Bytes());
    Run();
    EXPECT_TRUE(FileAt("C:\\Setup\\setting.dll").empty());
    for (const std::string& entry : win.files.Log()) EXPECT_EQ(entry.find("setting.dll"), std::string::npos) << entry;
    EXPECT_STREQ(g_szPrinterName, "KX47");
}

TEST_F(StartupPrepare, PrinterNameComesFromTheSettingsFile) {
    win.files.Put("C:\\Setup\\setting.dll", ToBytes("[Setting]\r\nPrinterName=ABC\r\n"));
    Run();
    EXPECT_STREQ(g_szPrinterName, "ABC");
}

TEST_F(StartupPrepare, LongPrinterNameIsCutTo259) {
    const std::string longName(300, 'N');
    win.files.Put("C:\\Setup\\setting.dll", ToBytes("[Setting]\r\nPrinterName=" + longName + "\r\n"));
    std::memset(g_szPrinterName, 'x', sizeof g_szPrinterName);
    Run();
    EXPECT_EQ(std::string(g_szPrinterName), longName.substr(0, 259));
    EXPECT_EQ(g_szPrinterName[259], '\0');
}

TEST_F(StartupPrepare, ShorterNameLeavesNoOldBytes) {
    win.files.Put("C:\\Setup\\setting.dll", ToBytes("[Setting]\r\nPrinterName=AB\r\n"));
    std::memset(g_szPrinterName, 'x', sizeof g_szPrinterName);
    CSetupApp app(win.platform);
    app.PrepareStartup();
    for (std::size_t i = 2; i < sizeof g_szPrinterName; ++i) ASSERT_EQ(g_szPrinterName[i], '\0') << i;
}

TEST_F(StartupPrepare, UnwritableDirectoryStillGivesTheDefaultName) {
    win.files.SetReadOnlyDirectory("C:\\Setup");
    Run();
    EXPECT_TRUE(win.files.AllFiles().empty());
    EXPECT_STREQ(g_szPrinterName, "KX47");
    EXPECT_EQ(g_strLanguageFile, "C:\\Setup\\Language\\Multi_eng.dll");
}

TEST_F(StartupPrepare, ProgramAtDriveRoot) {
    win.system.modulePath = "C:\\setup.exe";
    Run();
    EXPECT_EQ(g_strAppDir, "C:\\");
    EXPECT_EQ(g_strSettingFile, "C:\\setting.dll");
    EXPECT_TRUE(win.files.IsDirectory("C:\\Language"));
    EXPECT_TRUE(win.files.Exists("C:\\Language\\Multi_eng.dll"));
    EXPECT_EQ(ToString(FileAt("C:\\setting.dll")), kDefaultSettings);
}

TEST_F(StartupPrepare, ModulePathWithoutBackslashUsesTheCurrentDirectory) {
    win.files.PutDirectories("C:\\Work");
    ASSERT_TRUE(win.files.SetCurrentDir("C:\\Work"));
    win.system.modulePath = "setup.exe";
    Run();
    EXPECT_EQ(g_strAppDir, "");
    EXPECT_EQ(g_strSettingFile, "setting.dll");
    EXPECT_EQ(g_strLanguageFile, "Language\\Multi_eng.dll");
    EXPECT_TRUE(win.files.IsDirectory("C:\\Work\\Language"));
    EXPECT_TRUE(win.files.Exists("C:\\Work\\Language\\Multi_eng.dll"));
    EXPECT_TRUE(win.files.Exists("C:\\Work\\setting.dll"));
    EXPECT_STREQ(g_szPrinterName, "KX47");
}

TEST_F(StartupPrepare, DirectoryTooLongForItsFilesIsNotUsed) {
    // The program's directory fits, but "<dir>Language\Multi_eng.dll" and "<dir>setting.dll" do not.
    const std::string dir = "C:\\" + std::string(245, 'd') + "\\";
    win.files.PutDirectories(dir);
    win.system.modulePath = dir + "s.exe";
    Run();
    EXPECT_EQ(g_strAppDir, dir);
    EXPECT_TRUE(win.files.IsDirectory(dir + "Language"));  // 256 characters: fits
    EXPECT_TRUE(win.files.AllFiles().empty());
    EXPECT_EQ(g_strLanguageFile, "");
    EXPECT_EQ(g_strSettingFile, "");
    EXPECT_STREQ(g_szPrinterName, "KX47");
}

}  // namespace

namespace {

// What the wizard runner saw when start-up handed over to it.
struct WizardView {
    int calls = 0;
    std::string printerName;
    std::string settingFile;
    bool settingsWritten = false;
};
WizardView g_view;
MemoryWindows* g_viewWin = nullptr;

void RecordingWizard(CSetupApp&) {
    ++g_view.calls;
    g_view.printerName = g_szPrinterName;
    g_view.settingFile = g_strSettingFile;
    g_view.settingsWritten = g_viewWin->files.Exists(g_strSettingFile);
}

TEST_F(StartupPrepare, InitInstanceRunsTheWizardOnceTheFilesAreReadyAndEndsTheProgram) {
    g_view = WizardView{};
    g_viewWin = &win;
    CSetupApp app(win.platform, RecordingWizard);
    EXPECT_FALSE(app.InitInstance());
    EXPECT_EQ(1, g_view.calls);
    EXPECT_EQ("KX47", g_view.printerName);
    EXPECT_EQ("C:\\Setup\\setting.dll", g_view.settingFile);
    EXPECT_TRUE(g_view.settingsWritten);

    CSetupApp withoutWizard(win.platform);
    EXPECT_FALSE(withoutWizard.InitInstance());
    EXPECT_EQ(1, g_view.calls);
    g_viewWin = nullptr;
}

}  // namespace
