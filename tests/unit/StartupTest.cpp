// Start-up before the wizard: host classification, program directory, Language directory, language table
// choice and provisioning, settings file, printer name.
#include "app/OSType.h"
#include "localization/LanguageChoice.h"
#include "tests/unit/UnitSupport.h"

namespace {

const std::string kDefaultSettings = "[Setting]\r\nLanguage=English\r\nPrinterName=KX47";

class Startup : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        LoadStoreEntries(win.resources, {kSimplifiedTableEntry, kEnglishTableEntry, kSettingsEntry, kTraditionalTableEntry});
        win.files.PutDirectories("C:\\Setup");
    }
};

TEST_F(Startup, FirstRunWritesTheTablesAndSettingsInEnglishLaterRunsUseTheSystemsTableAndWriteNothing) {
    const struct {
        std::uint16_t langId;
        const char* table;   // used from the second run on
        const char* second;  // the table written beside the English one
        std::uint16_t secondEntry;
    } cases[] = {
        {0x0804, "Multi_ch.dll", "Multi_ch.dll", kSimplifiedTableEntry},    {0x0404, "Multi_ch_BIG5.dll", "Multi_ch_BIG5.dll", kTraditionalTableEntry},
        {0x0C04, "Multi_ch_BIG5.dll", "Multi_ch_BIG5.dll", kTraditionalTableEntry},
        {0x1004, "Multi_ch_BIG5.dll", "Multi_ch_BIG5.dll", kTraditionalTableEntry},
        {0x1404, "Multi_ch_BIG5.dll", "Multi_ch_BIG5.dll", kTraditionalTableEntry},
        {0x0409, "Multi_eng.dll", "Multi_ch.dll", kSimplifiedTableEntry}, {0x0411, "Multi_eng.dll", "Multi_ch.dll", kSimplifiedTableEntry}};
    const std::string dir = "C:\\Setup\\Language\\";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.langId);
        MemoryWindows w;
        LoadStoreEntries(w.resources, {kSimplifiedTableEntry, kEnglishTableEntry, kSettingsEntry, kTraditionalTableEntry});
        w.files.PutDirectories("C:\\Setup");
        w.system.langId = c.langId;
        CSetupApp first(w.platform);
        first.PrepareStartup();
        EXPECT_EQ(g_strAppDir, "C:\\Setup\\");
        EXPECT_EQ(g_strSettingFile, "C:\\Setup\\setting.dll");
        EXPECT_EQ(w.files.Log(), (std::vector<std::string>{"mkdir C:\\Setup\\Language",
                                                           "write " + dir + "Multi_eng.dll",
                                                           "write " + dir + c.second, "write C:\\Setup\\setting.dll"}));
        EXPECT_EQ(TextAt(w.files, dir + "Multi_eng.dll"), ToString(w.resources.entries[kEnglishTableEntry]));
        EXPECT_EQ(TextAt(w.files, dir + c.second), ToString(w.resources.entries[c.secondEntry]));
        EXPECT_EQ(TextAt(w.files, "C:\\Setup\\setting.dll"), kDefaultSettings);
        EXPECT_EQ(g_strLanguageFile, dir + "Multi_eng.dll");
        EXPECT_STREQ(g_szPrinterName, "KX47");
        w.files.ClearLog();
        CSetupApp(w.platform).PrepareStartup();
        EXPECT_TRUE(w.files.Log().empty());
        EXPECT_EQ(g_strLanguageFile, dir + c.table);
    }
}

TEST_F(Startup, PrinterNameFromTheSettingsFileZeroFilledAndCutTo259) {
    const struct {
        std::string settings;
        std::string name;
    } cases[] = {{"", "KX47"},  // an empty file is kept, not rewritten
                 {"[Setting]\r\nPrinterName=ABC\r\n", "ABC"},
                 {"[Setting]\r\nPrinterName=" + std::string(300, 'N') + "\r\n", std::string(259, 'N')}};
    for (const auto& c : cases) {
        win.files.Put("C:\\Setup\\setting.dll", ToBytes(c.settings));
        win.files.ClearLog();
        std::memset(g_szPrinterName, 'x', sizeof g_szPrinterName);
        app.PrepareStartup();
        EXPECT_EQ(std::string(g_szPrinterName, sizeof g_szPrinterName),
                  c.name + std::string(sizeof g_szPrinterName - c.name.size(), '\0'));
        EXPECT_EQ(At("C:\\Setup\\setting.dll"), c.settings);
        for (const std::string& written : LogLines(win.files, "write "))
            EXPECT_EQ(written.find("setting.dll"), std::string::npos) << written;
    }
}

TEST_F(Startup, ProgramDirectoryDecidesWhereFilesGoNeverTheCurrentDirectory) {
    // An elevated program's current directory may be System32: it must not stand in for the program's.
    const std::string sys = "C:\\WINDOWS\\system32\\", longDir = "C:\\" + std::string(245, 'd') + "\\";
    win.files.Put(sys + "setting.dll", ToBytes("[Setting]\r\nPrinterName=ABC\r\n"));
    ASSERT_TRUE(win.files.SetCurrentDir(sys));
    win.files.PutDirectories(longDir);
    win.files.PutDirectories("C:\\RO");
    win.files.SetReadOnlyDirectory("C:\\RO");
    const struct {
        std::string module, appDir, languageFile, settingFile, mkdir;
        std::vector<std::string> written;
    } cases[] = {
        {"C:\\RO\\setup.exe", "C:\\RO\\", "C:\\RO\\Language\\Multi_eng.dll", "C:\\RO\\setting.dll", "", {}},
        {"C:\\setup.exe", "C:\\", "C:\\Language\\Multi_eng.dll", "C:\\setting.dll", "C:\\Language",
         {"C:\\Language\\Multi_eng.dll", "C:\\Language\\Multi_ch.dll", "C:\\setting.dll"}},
        {"", "", "", "", "", {}},  // the module path was cut short by its buffer
        {"setup.exe", "", "", "", "", {}},
        // The directory fits, and "<dir>Language" (256 characters), but not the files in them.
        {longDir + "s.exe", longDir, "", "", longDir + "Language", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.module);
        win.system.modulePath = c.module;
        win.files.ClearLog();
        app.PrepareStartup();
        EXPECT_EQ(g_strAppDir, c.appDir);
        EXPECT_EQ(g_strLanguageFile, c.languageFile);
        EXPECT_EQ(g_strSettingFile, c.settingFile);
        EXPECT_EQ(LogLines(win.files, "mkdir "), c.mkdir.empty() ? std::vector<std::string>() : std::vector{c.mkdir});
        EXPECT_EQ(LogLines(win.files, "write "), c.written);
        EXPECT_STREQ(g_szPrinterName, "KX47");
    }
}

// What the wizard runner saw when start-up handed over to it.
std::vector<std::string> g_wizardSaw;
MemoryWindows* g_wizardWin = nullptr;
void RecordingWizard(CSetupApp&) {
    g_wizardSaw.push_back(g_szPrinterName + TextAt(g_wizardWin->files, g_strSettingFile));
}

TEST_F(Startup, InitInstanceRunsTheWizardOnceTheFilesAreReadyAndEndsTheProgram) {
    g_wizardSaw.clear();
    g_wizardWin = &win;
    EXPECT_FALSE(CSetupApp(win.platform, RecordingWizard).InitInstance());
    EXPECT_EQ(g_wizardSaw, std::vector<std::string>{"KX47" + kDefaultSettings});
    EXPECT_FALSE(app.InitInstance());  // without a wizard start-up only prepares the files
    EXPECT_EQ(g_wizardSaw.size(), 1u);
}

TEST(OsClassification, ReleasesGiveTheirCodes) {
    const struct {
        const char* release;
        std::uint32_t major, minor;
        bool nt;
        std::uint32_t build;
        int expected;
    } cases[] = {
        {"Win32s on Windows 3.1", 3, 10, false, 0, 0}, {"Windows 95", 4, 0, false, 950, 1},
        {"Windows 95 OSR2", 4, 0, false, 1111, 1}, {"Windows 98 SE", 4, 10, false, 2222, 2},
        {"Windows Me", 4, 90, false, 3000, 3}, {"non-NT 5.0", 5, 0, false, 0, 1}, {"NT 3.51", 3, 51, true, 1057, 4},
        {"NT 4.0", 4, 0, true, 1381, 5}, {"NT 4.x", 4, 10, true, 0, 5}, {"Windows 2000", 5, 0, true, 2195, 6},
        {"Windows XP", 5, 1, true, 2600, 7}, {"Server 2003", 5, 2, true, 3790, 8}, {"Vista", 6, 0, true, 6000, 9},
        {"Server 2008", 6, 0, true, 6001, 9}, {"Windows 7", 6, 1, true, 7600, 10}, {"2008 R2", 6, 1, true, 7601, 10},
        {"Windows 8", 6, 2, true, 9200, 4}, {"Windows 10", 10, 0, true, 19045, 4}, {"NT 5.3", 5, 3, true, 0, 4},
    };
    for (const auto& c : cases) {
        MemorySystemInfo system;
        system.SetVersion(c.major, c.minor, c.nt, c.build);
        EXPECT_EQ(ClassifyOS(system), c.expected) << c.release;
    }
}

TEST(OsClassification, FallbacksFamilyFromBit31AndNonNtMajorFromThePackedNumber) {
    MemorySystemInfo system;
    // A failed version query gives the family's start.
    system.SetVersion(4, 10, false);
    system.versionExFails = true;
    EXPECT_EQ(ClassifyOS(system), 1);
    system.SetVersion(6, 1, true);
    EXPECT_EQ(ClassifyOS(system), 4);
    // The packed number says 3.x: the record is not consulted.
    system.versionExFails = false;
    system.SetVersion(4, 10, false);
    system.packedVersion = (system.packedVersion & ~0xFFu) | 3u;
    EXPECT_EQ(ClassifyOS(system), 0);
    // A record that disagrees with the packed number about the family.
    system.SetVersion(5, 1, true);
    system.record.platformId = 1;
    EXPECT_EQ(ClassifyOS(system), 7);
    system.SetVersion(4, 90, false);
    system.record.platformId = 2;
    EXPECT_EQ(ClassifyOS(system), 3);
}

TEST(LanguageChoice, TableWordAndProvisioningPlanById) {
    const struct {
        std::uint16_t id;
        const char* table;
        const char* word;
        std::uint16_t second;  // the plan writes the English table (kEnglishTableEntry) and this one
    } cases[] = {
        {0x0804, "Multi_ch.dll", "Chinese", kSimplifiedTableEntry},      {0x0404, "Multi_ch_BIG5.dll", "Chinese", kTraditionalTableEntry},
        {0x0C04, "Multi_ch_BIG5.dll", "Chinese", kTraditionalTableEntry}, {0x1004, "Multi_ch_BIG5.dll", "Chinese", kTraditionalTableEntry},
        {0x1404, "Multi_ch_BIG5.dll", "Chinese", kTraditionalTableEntry}, {0x0004, "Multi_ch_BIG5.dll", "Chinese", kTraditionalTableEntry},
        {0x0409, "Multi_eng.dll", "English", kSimplifiedTableEntry},     {0x0809, "Multi_eng.dll", "English", kSimplifiedTableEntry},
        {0x0411, "Multi_eng.dll", "English", kSimplifiedTableEntry},     {0x0000, "Multi_eng.dll", "English", kSimplifiedTableEntry},
        {0x0405, "Multi_eng.dll", "English", kSimplifiedTableEntry},     {0x0408, "Multi_eng.dll", "English", kSimplifiedTableEntry},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.id);
        EXPECT_STREQ(LanguageTableFileFor(c.id), c.table);
        EXPECT_STREQ(LanguageWordFor(c.id), c.word);
        const auto plan = ProvisioningPlanFor(c.id);
        EXPECT_EQ(plan[0].entry, kEnglishTableEntry);
        EXPECT_STREQ(plan[0].fileName, "Multi_eng.dll");
        EXPECT_EQ(plan[1].entry, c.second);
        EXPECT_STREQ(plan[1].fileName, c.second == kSimplifiedTableEntry ? "Multi_ch.dll" : "Multi_ch_BIG5.dll");
    }
}

const std::string kChosen = "C:\\App\\Language\\Multi_ch.dll";
const std::string kEnglish = "C:\\App\\Language\\Multi_eng.dll";
const std::string kSettings = "C:\\App\\setting.dll";

std::string Table(const std::string& language) { return "[Setting]\r\nLanguage=" + language + "\r\n"; }

class Provisioning : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        Prepare(win);
    }
    // The program in C:\App with its Language directory, the Chinese table chosen.
    static void Prepare(MemoryWindows& w, bool languageDir = true) {
        LoadStoreEntries(w.resources, {kSimplifiedTableEntry, kEnglishTableEntry, kTraditionalTableEntry});
        w.files.PutDirectories(languageDir ? "C:\\App\\Language" : "C:\\App");
        g_strAppDir = "C:\\App\\";
        g_strLanguageFile = kChosen;
    }
    std::string Recorded() {
        std::string value;
        win.profile.ReadString("Setting", "Language", "", value, 1000, kSettings);
        return value;
    }
};

TEST_F(Provisioning, ATableOfTheWantedLanguageKeepsTheChoiceAnythingElseWritesThePlan) {
    const struct {
        const char* what;
        std::vector<std::pair<std::string, std::string>> files;  // in the Language directory
        bool found;
    } cases[] = {
        {"both tables", {{"Multi_eng.dll", Table("English")}, {"Multi_ch.dll", Table("Chinese")}}, true},
        {"only the other Chinese table", {{"Multi_ch_BIG5.dll", Table("Chinese")}}, true},
        {"a later entry", {{"a.dll", Table("English")}, {"b.dll", ""}, {"c.dll", Table("Chinese")}}, true},
        {"case differs", {{"Multi_ch.dll", Table("chinese")}}, false},
        {"not the whole value", {{"a.dll", Table("Chinese2")}, {"b.dll", Table("Chin")}}, false},
        {"a directory, a non-table, another extension",
         {{"x.dll\\inner.dll", Table("Chinese")}, {"other.dll", "MZ\x90"}, {"table.ini", Table("Chinese")}}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        MemoryWindows w;
        Prepare(w);
        w.system.langId = 0x0804;
        for (const auto& [name, text] : c.files) w.files.Put("C:\\App\\Language\\" + name, ToBytes(text));
        w.files.ClearLog();
        CSetupApp(w.platform).LoadLanguage("Chinese");
        EXPECT_EQ(g_strLanguageFile, c.found ? kChosen : kEnglish);
        // A table already at a name is removed first, then written anew (never written through a link).
        const std::vector<std::string> plan = {kEnglish, kChosen};
        EXPECT_EQ(LogLines(w.files, "write "), c.found ? std::vector<std::string>() : plan);
        if (c.found) {
            EXPECT_TRUE(w.files.Log().empty());
        }
        if (!c.found) {  // the store's table, replacing what was there
            EXPECT_EQ(TextAt(w.files, kChosen), ToString(w.resources.entries[kSimplifiedTableEntry]));
        }
    }
}

TEST_F(Provisioning, MissingDirectoryIsCreatedAndThePlanOfTheSystemLanguageWritten) {
    MemoryWindows w;
    Prepare(w, false);
    w.system.langId = 0x0404;
    CSetupApp(w.platform).LoadLanguage("Chinese");
    EXPECT_EQ(w.files.Log(), (std::vector<std::string>{"mkdir C:\\App\\Language", "write " + kEnglish,
                                                       "write C:\\App\\Language\\Multi_ch_BIG5.dll"}));
    EXPECT_EQ(TextAt(w.files, "C:\\App\\Language\\Multi_ch_BIG5.dll"), ToString(w.resources.entries[kTraditionalTableEntry]));
    EXPECT_EQ(g_strLanguageFile, kEnglish);
}

TEST_F(Provisioning, UnknownProgramDirectoryWritesNothing) {
    g_strAppDir.clear();
    g_strSettingFile = kSettings;
    app.LoadLanguage("Chinese");
    EXPECT_TRUE(win.files.Log().empty());
    EXPECT_EQ(g_strLanguageFile, kChosen);
}

TEST_F(Provisioning, SettledWordIsRecordedOnlyOnceTheSettingsPathIsKnown) {
    app.LoadLanguage("English");
    for (const std::string& e : win.files.Log()) EXPECT_EQ(e.find("setting"), std::string::npos) << e;
    EXPECT_EQ(win.files.AllFiles().size(), 2u);

    g_strSettingFile = kSettings;
    win.files.Put(kSettings, ToBytes(kDefaultSettings));
    win.files.Put(kChosen, ToBytes(Table("Chinese")));
    app.LoadLanguage("Chinese");
    EXPECT_EQ(Recorded(), "Chinese");

    // No table of the wanted language: English is what this run uses and records.
    win.files.Put(kChosen, ToBytes(Table("chinese")));
    app.LoadLanguage("Chinese");
    EXPECT_EQ(g_strLanguageFile, kEnglish);
    EXPECT_EQ(Recorded(), "English");
}

TEST_F(Provisioning, EmptyWordReadsTheSettingsFileDefaultEnglish) {
    g_strSettingFile = kSettings;
    win.files.Put(kSettings, ToBytes("[Setting]\r\nLanguage=Chinese\r\n"));
    win.files.Put(kChosen, ToBytes(Table("Chinese")));
    win.files.ClearLog();
    app.LoadLanguage("");
    EXPECT_TRUE(win.files.Log().empty());  // the word recorded is the word read: nothing to write
    EXPECT_EQ(g_strLanguageFile, kChosen);

    win.files.Put(kSettings, ToBytes("[Setting]\r\n"));  // English, which no table here carries
    app.LoadLanguage("");
    EXPECT_EQ(g_strLanguageFile, kEnglish);
}

}  // namespace
