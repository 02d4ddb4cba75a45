// Choosing and provisioning the language tables.
#include <gtest/gtest.h>

#include <cstring>

#include "app/globals.h"
#include "app/setup.h"
#include "localization/LanguageChoice.h"
#include "platform/memory/MemoryWindows.h"
#include "tests/support/StoreFiles.h"

namespace {

TEST(LanguageChoiceById, TableAndWord) {
    struct Case {
        std::uint16_t id;
        const char* table;
        const char* word;
    };
    const Case cases[] = {
        {0x0804, "Multi_ch.dll", "Chinese"},       {0x0404, "Multi_ch_BIG5.dll", "Chinese"},
        {0x0C04, "Multi_ch_BIG5.dll", "Chinese"},  {0x1004, "Multi_ch_BIG5.dll", "Chinese"},
        {0x1404, "Multi_ch_BIG5.dll", "Chinese"},  {0x0004, "Multi_ch_BIG5.dll", "Chinese"},
        {0x0409, "Multi_eng.dll", "English"},      {0x0809, "Multi_eng.dll", "English"},
        {0x0411, "Multi_eng.dll", "English"},      {0x0000, "Multi_eng.dll", "English"},
        {0x0405, "Multi_eng.dll", "English"},      {0x0408, "Multi_eng.dll", "English"},
    };
    for (const Case& c : cases) {
        EXPECT_STREQ(LanguageTableFileFor(c.id), c.table) << std::hex << c.id;
        EXPECT_STREQ(LanguageWordFor(c.id), c.word) << std::hex << c.id;
    }
}

TEST(LanguageChoiceById, ProvisioningPlan) {
    for (std::uint16_t id : {0x0804, 0x0409, 0x0411, 0x0000}) {
        auto plan = ProvisioningPlanFor(id);
        EXPECT_EQ(plan[0].entry, 147) << std::hex << id;
        EXPECT_STREQ(plan[0].fileName, "Multi_eng.dll");
        EXPECT_EQ(plan[1].entry, 146) << std::hex << id;
        EXPECT_STREQ(plan[1].fileName, "Multi_ch.dll");
    }
    for (std::uint16_t id : {0x0404, 0x0C04, 0x1004, 0x1404}) {
        auto plan = ProvisioningPlanFor(id);
        EXPECT_EQ(plan[0].entry, 147) << std::hex << id;
        EXPECT_STREQ(plan[0].fileName, "Multi_eng.dll");
        EXPECT_EQ(plan[1].entry, 248) << std::hex << id;
        EXPECT_STREQ(plan[1].fileName, "Multi_ch_BIG5.dll");
    }
}

std::string StandInTable(const std::string& language) {
    return "\r\n\r\n[Setting]\r\nLanguage=" + language + "\r\n\r\n\r\n\r\n[String]\r\nIDD102_12324=x\r\n";
}

void ResetGlobals() {
    g_strLanguageFile.clear();
    g_strSettingFile.clear();
    g_strAppDir.clear();
    std::memset(g_szPrinterName, 0, sizeof g_szPrinterName);
}

class LanguageProvisioning : public ::testing::Test {
protected:
    void SetUp() override {
        ResetGlobals();
        LoadEntry(146, StandInTable("Chinese"));
        LoadEntry(147, StandInTable("English"));
        LoadEntry(248, StandInTable("Chinese"));
        win.files.PutDirectories("C:\\App\\Language");
        g_strAppDir = "C:\\App\\";
        g_strLanguageFile = kChosen;
    }
    void TearDown() override { ResetGlobals(); }

    // The generated store's entry where there is one, else the stand-in.
    void LoadEntry(std::uint16_t id, const std::string& standIn) {
        Bytes data;
        win.resources.entries[id] = ReadStoreEntry(id, data) ? data : ToBytes(standIn);
    }
    void Load(const std::string& word) {
        CSetupApp app(win.platform);
        app.LoadLanguage(word);
    }
    bool WroteTables() const {
        for (const std::string& e : win.files.Log())
            if (e.rfind("write ", 0) == 0) return true;
        return false;
    }

    const std::string kChosen = "C:\\App\\Language\\Multi_ch.dll";
    const std::string kEnglish = "C:\\App\\Language\\Multi_eng.dll";
    MemoryWindows win;
};

TEST_F(LanguageProvisioning, MatchingTableKeepsTheChoice) {
    win.files.Put("C:\\App\\Language\\Multi_eng.dll", ToBytes(StandInTable("English")));
    win.files.Put("C:\\App\\Language\\Multi_ch.dll", ToBytes(StandInTable("Chinese")));
    win.files.ClearLog();
    Load("Chinese");
    EXPECT_EQ(g_strLanguageFile, kChosen);
    EXPECT_TRUE(win.files.Log().empty());
}

TEST_F(LanguageProvisioning, OnlyTheOtherChineseTableStillMatches) {
    win.system.langId = 0x0804;
    win.files.Put("C:\\App\\Language\\Multi_ch_BIG5.dll", ToBytes(StandInTable("Chinese")));
    win.files.ClearLog();
    Load("Chinese");
    EXPECT_TRUE(win.files.Log().empty());
    EXPECT_EQ(g_strLanguageFile, kChosen);
    EXPECT_FALSE(win.files.Exists(kChosen));
}

TEST_F(LanguageProvisioning, NoTablesWritesThePlanAndSwitchesToEnglish) {
    win.system.langId = 0x0404;
    Load("Chinese");
    const std::vector<std::string> expected{"write C:\\App\\Language\\Multi_eng.dll",
                                            "write C:\\App\\Language\\Multi_ch_BIG5.dll"};
    EXPECT_EQ(win.files.Log(), expected);
    EXPECT_EQ(g_strLanguageFile, kEnglish);
    Bytes written;
    ASSERT_TRUE(win.files.Contents("C:\\App\\Language\\Multi_ch_BIG5.dll", written));
    EXPECT_EQ(written, win.resources.entries[248]);
}

TEST_F(LanguageProvisioning, MissingLanguageDirectoryIsCreated) {
    MemoryWindows fresh;
    fresh.resources.entries = win.resources.entries;
    fresh.files.PutDirectories("C:\\App");
    CSetupApp app(fresh.platform);
    app.LoadLanguage("English");
    EXPECT_TRUE(fresh.files.IsDirectory("C:\\App\\Language"));
    EXPECT_TRUE(fresh.files.Exists(kEnglish));
    EXPECT_TRUE(fresh.files.Exists("C:\\App\\Language\\Multi_ch.dll"));
}

TEST_F(LanguageProvisioning, ComparisonIsCaseSensitive) {
    win.files.Put("C:\\App\\Language\\Multi_ch.dll", ToBytes(StandInTable("chinese")));
    win.files.ClearLog();
    Load("Chinese");
    EXPECT_TRUE(WroteTables());
    EXPECT_EQ(g_strLanguageFile, kEnglish);
    Bytes written;
    ASSERT_TRUE(win.files.Contents("C:\\App\\Language\\Multi_ch.dll", written));
    EXPECT_EQ(written, win.resources.entries[146]);  // replaced by the store's table
}

TEST_F(LanguageProvisioning, WholeValueMustMatch) {
    win.files.Put("C:\\App\\Language\\a.dll", ToBytes(StandInTable("Chinese2")));
    win.files.Put("C:\\App\\Language\\b.dll", ToBytes(StandInTable("Chin")));
    win.files.ClearLog();
    Load("Chinese");
    EXPECT_TRUE(WroteTables());
}

TEST_F(LanguageProvisioning, DirectoriesAndOtherFilesAreSkipped) {
    // A directory named like a table, a .dll that is no table, and a table with another extension.
    win.files.PutDirectories("C:\\App\\Language\\x.dll");
    win.files.Put("C:\\App\\Language\\x.dll\\inner.dll", ToBytes(StandInTable("Chinese")));
    win.files.Put("C:\\App\\Language\\other.dll", ToBytes("MZ\x90"));
    win.files.Put("C:\\App\\Language\\table.ini", ToBytes(StandInTable("Chinese")));
    win.files.ClearLog();
    Load("Chinese");
    EXPECT_TRUE(WroteTables());
    EXPECT_EQ(g_strLanguageFile, kEnglish);
}

TEST_F(LanguageProvisioning, LaterEntryCanMatch) {
    win.files.Put("C:\\App\\Language\\a.dll", ToBytes("[Setting]\r\nLanguage=English\r\n"));
    win.files.Put("C:\\App\\Language\\b.dll", Bytes());
    win.files.Put("C:\\App\\Language\\c.dll", ToBytes("[Setting]\r\nLanguage=Chinese\r\n"));
    win.files.ClearLog();
    Load("Chinese");
    EXPECT_FALSE(WroteTables());
    EXPECT_EQ(g_strLanguageFile, kChosen);
}

TEST_F(LanguageProvisioning, NothingIsRecordedWhileTheSettingsPathIsUnknown) {
    Load("English");
    for (const std::string& e : win.files.Log()) EXPECT_EQ(e.find("setting"), std::string::npos) << e;
    EXPECT_EQ(win.files.AllFiles().size(), 2u);
}

TEST_F(LanguageProvisioning, SettledWordIsRecordedOnceTheSettingsPathIsKnown) {
    g_strSettingFile = "C:\\App\\setting.dll";
    win.files.Put(g_strSettingFile, ToBytes("[Setting]\r\nLanguage=English\r\nPrinterName=KX47"));
    win.files.Put("C:\\App\\Language\\Multi_ch.dll", ToBytes(StandInTable("Chinese")));
    Load("Chinese");
    std::string value;
    win.profile.ReadString("Setting", "Language", "", value, 1000, g_strSettingFile);
    EXPECT_EQ(value, "Chinese");
    win.profile.ReadString("Setting", "PrinterName", "", value, 1000, g_strSettingFile);
    EXPECT_EQ(value, "KX47");

    // No table of the wanted language: English is what this run uses and records.
    ASSERT_TRUE(win.files.RemoveFile("C:\\App\\Language\\Multi_ch.dll"));
    Load("Chinese");
    EXPECT_EQ(g_strLanguageFile, kEnglish);
    win.profile.ReadString("Setting", "Language", "", value, 1000, g_strSettingFile);
    EXPECT_EQ(value, "English");
}

TEST_F(LanguageProvisioning, EmptyWordReadsTheSettingsFile) {
    g_strSettingFile = "C:\\App\\setting.dll";
    win.files.Put(g_strSettingFile, ToBytes("[Setting]\r\nLanguage=Chinese\r\n"));
    win.files.Put("C:\\App\\Language\\Multi_ch.dll", ToBytes(StandInTable("Chinese")));
    win.files.ClearLog();
    Load("");
    EXPECT_EQ(win.files.Log(), std::vector<std::string>{"write C:\\App\\setting.dll"});
    EXPECT_EQ(g_strLanguageFile, kChosen);

    // Without a recorded word the default is English, which no table here carries.
    win.files.Put(g_strSettingFile, ToBytes("[Setting]\r\n"));
    win.files.ClearLog();
    Load("");
    EXPECT_EQ(g_strLanguageFile, kEnglish);
}

}  // namespace
