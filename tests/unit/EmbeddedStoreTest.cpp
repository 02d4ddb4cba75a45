// Writing store entries to disk and rewriting the name-bearing lines of the driver templates.
#include <gtest/gtest.h>

#include <cstring>

#include "app/globals.h"
#include "app/setup.h"
#include "install/NameLines.h"
#include "platform/TextStream.h"
#include "platform/memory/MemoryWindows.h"
#include "tests/support/StoreFiles.h"

namespace {

// ---- the rules and the rewriting of text pieces -------------------------------------------------------

std::vector<std::pair<std::string, std::string>> Rules(const std::string& name) {
    NameLineRule rules[kNameLineRuleCapacity];
    int n = FillNameLineRules(name, rules);
    std::vector<std::pair<std::string, std::string>> r;
    for (int i = 0; i < n; ++i) r.emplace_back(rules[i].prefix, rules[i].replacement);
    return r;
}

std::string Rewrite(const std::string& text, const std::string& name) {
    NameLineRule rules[kNameLineRuleCapacity];
    int n = FillNameLineRules(name, rules);
    return ToString(RewriteNameLines(ReadTextPieces(ToBytes(text)), rules, n));
}

TEST(NameLineRules, FiveRulesInTableOrder) {
    const std::vector<std::pair<std::string, std::string>> expected{
        {"OEMDriverFile1=", "OEMDriverFile1=KX47D.DLL"},
        {"OEMConfigFile1=", "OEMConfigFile1=KX47F.DLL"},
        {"*GPDFileName:", "*GPDFileName: \"KX47.GPD\""},
        {"*ModelName:", "*ModelName: \"KX47\""},
        {"*ResourceDLL:", "*ResourceDLL: \"KX47RES.DLL\""},
    };
    EXPECT_EQ(Rules("KX47"), expected);
}

TEST(NameLineRules, EmptyAndBlankNamesAreInsertedAsTheyAre) {
    auto empty = Rules("");
    ASSERT_EQ(empty.size(), 5u);
    EXPECT_EQ(empty[0].second, "OEMDriverFile1=D.DLL");
    EXPECT_EQ(empty[1].second, "OEMConfigFile1=F.DLL");
    EXPECT_EQ(empty[3].second, "*ModelName: \"\"");
    auto blanks = Rules(" My  Printer ");
    ASSERT_EQ(blanks.size(), 5u);
    EXPECT_EQ(blanks[3].second, "*ModelName: \" My  Printer \"");
    EXPECT_EQ(blanks[4].second, "*ResourceDLL: \" My  Printer RES.DLL\"");
}

TEST(NameLineRules, ReplacementThatDoesNotFitIsLeftOut) {
    // Replacement lengths: 20 + n, 20 + n, 20 + n, 14 + n, 23 + n; a buffer holds 259 characters.
    for (std::size_t n : {236u, 239u, 240u, 245u, 246u, 259u}) {
        const std::string name(n, 'p');
        std::vector<std::string> prefixes;
        for (auto& r : Rules(name)) {
            EXPECT_LE(r.second.size(), 259u);
            EXPECT_NE(r.second.find(name), std::string::npos);
            prefixes.push_back(r.first);
        }
        std::vector<std::string> expected;
        if (20 + n <= 259) expected.insert(expected.end(), {"OEMDriverFile1=", "OEMConfigFile1=", "*GPDFileName:"});
        if (14 + n <= 259) expected.push_back("*ModelName:");
        if (23 + n <= 259) expected.push_back("*ResourceDLL:");
        EXPECT_EQ(prefixes, expected) << n;
    }
}

TEST(NameLineRewriting, PluginListBecomesFourLfLines) {
    const std::string plugins = "[OEMFiles]\r\nOEMDriverFile1=LBQ33D.DLL\r\nOEMConfigFile1=LBQ33F.DLL\r\n\r\n";
    ASSERT_EQ(plugins.size(), 68u);
    EXPECT_EQ(Rewrite(plugins, "KX47"), "[OEMFiles]\nOEMDriverFile1=KX47D.DLL\nOEMConfigFile1=KX47F.DLL\n\n");
}

TEST(NameLineRewriting, WholeLineIsReplacedWhereverThePrefixIs) {
    EXPECT_EQ(Rewrite("  ; *ModelName: \"LBQ33\" tail\r\n", "ABC"), "*ModelName: \"ABC\"\n");
    EXPECT_EQ(Rewrite("\t*GPDFileName: x\n", "ABC"), "*GPDFileName: \"ABC.GPD\"\n");
    // Case matters.
    EXPECT_EQ(Rewrite("*modelname: \"LBQ33\"\r\n", "ABC"), "*modelname: \"LBQ33\"\n");
}

TEST(NameLineRewriting, EarlierRuleWinsOnALineWithTwoPrefixes) {
    EXPECT_EQ(Rewrite("*ResourceDLL: *ModelName: *GPDFileName:\n", "N"), "*GPDFileName: \"N.GPD\"\n");
    EXPECT_EQ(Rewrite("OEMConfigFile1= OEMDriverFile1=\n", "N"), "OEMDriverFile1=ND.DLL\n");
}

TEST(NameLineRewriting, LastLineWithoutLineEndGetsOne) {
    EXPECT_EQ(Rewrite("a\r\nlast", "N"), "a\nlast\n");
    EXPECT_EQ(Rewrite("a\r\n*ModelName: x", "N"), "a\n*ModelName: \"N\"\n");
    EXPECT_EQ(Rewrite("", "N"), "");
}

TEST(NameLineRewriting, LongLineIsHandledPieceByPiece) {
    const std::string head(300, 'a');
    const std::string prefix = "*ModelName: x";
    const std::string line = head + prefix + std::string(600 - head.size() - prefix.size(), 'b');
    ASSERT_EQ(line.size(), 600u);
    // Pieces of 259: the prefix lies wholly inside the second one.
    const std::string expected = line.substr(0, 259) + "\n" + "*ModelName: \"N\"\n" + line.substr(518) + "\n";
    EXPECT_EQ(Rewrite(line + "\r\n", "N"), expected);
}

TEST(NameLineRewriting, EmptyPrefixMatchesNothingAndEmptyPieceGetsALineEnd) {
    NameLineRule rules[2];
    std::strcpy(rules[1].prefix, "x");
    std::strcpy(rules[1].replacement, "X");
    EXPECT_EQ(ToString(RewriteNameLines({"ab\n", "", "x"}, rules, 2)), "ab\n\nX\n");
    EXPECT_EQ(ToString(RewriteNameLines({"ab\n", "x\n"}, rules, 0)), "ab\nx\n");
}

// ---- extraction --------------------------------------------------------------------------------------

const std::string kPluginList = "[OEMFiles]\r\nOEMDriverFile1=LBQ33D.DLL\r\nOEMConfigFile1=LBQ33F.DLL\r\n\r\n";
const std::string kScratch = "c:\\temp\\temp.txt";

class EmbeddedExtraction : public ::testing::Test {
protected:
    void SetUp() override {
        std::memset(g_szPrinterName, 0, sizeof g_szPrinterName);
        std::strcpy(g_szPrinterName, "KX47");
        LoadEntry(148, "[Setting]\r\nLanguage=English\r\nPrinterName=KX47");
        LoadEntry(159, kPluginList);
        win.files.PutDirectories("C:\\TEMP");
        win.files.PutDirectories("C:\\Out");
    }
    void TearDown() override { std::memset(g_szPrinterName, 0, sizeof g_szPrinterName); }

    // The generated store's entry where there is one, else the stand-in.
    void LoadEntry(std::uint16_t id, const std::string& standIn) {
        Bytes data;
        win.resources.entries[id] = ReadStoreEntry(id, data) ? data : ToBytes(standIn);
    }

    std::string At(const std::string& path) {
        Bytes b;
        EXPECT_TRUE(win.files.Contents(path, b)) << path;
        return ToString(b);
    }

    MemoryWindows win;
    CSetupApp app{win.platform};
};

TEST_F(EmbeddedExtraction, AbsentOrUnloadableEntryWritesNothing) {
    EXPECT_FALSE(app.ExtractEmbeddedFile(160, "C:\\Out\\x.bin", false));
    EXPECT_FALSE(app.ExtractEmbeddedFile(160, "C:\\Out\\x.bin", true));
    win.resources.unloadable.insert(148);
    EXPECT_FALSE(app.ExtractEmbeddedFile(148, "C:\\Out\\x.bin", false));
    EXPECT_TRUE(win.files.Log().empty());
    EXPECT_FALSE(win.files.Exists("C:\\Out\\x.bin"));
    EXPECT_FALSE(win.files.Exists(kScratch));
}

TEST_F(EmbeddedExtraction, BytesAreWrittenUnchanged) {
    EXPECT_TRUE(app.ExtractEmbeddedFile(159, "C:\\Out\\plain.ini", false));
    EXPECT_EQ(ToBytes(At("C:\\Out\\plain.ini")), win.resources.entries[159]);
    EXPECT_FALSE(win.files.Exists(kScratch));
}

TEST_F(EmbeddedExtraction, ExistingLongerFileIsReplacedWhole) {
    win.files.Put("C:\\Out\\setting.dll", Bytes(5000, 'z'));
    EXPECT_TRUE(app.ExtractEmbeddedFile(148, "C:\\Out\\setting.dll", false));
    EXPECT_EQ(ToBytes(At("C:\\Out\\setting.dll")), win.resources.entries[148]);
}

TEST_F(EmbeddedExtraction, MissingDirectoryIsAFailure) {
    EXPECT_FALSE(app.ExtractEmbeddedFile(148, "C:\\Nowhere\\setting.dll", false));
    EXPECT_FALSE(app.ExtractEmbeddedFile(159, "C:\\Nowhere\\KX47.INI", true));
    EXPECT_FALSE(win.files.Exists("C:\\Nowhere"));
    EXPECT_FALSE(win.files.Exists("C:\\Nowhere\\setting.dll"));
}

TEST_F(EmbeddedExtraction, OverlongPathIsNotUsed) {
    const std::string dir = "C:\\Out\\" + std::string(240, 'd');
    win.files.PutDirectories(dir);
    const std::string fits = dir + "\\" + std::string(259 - dir.size() - 1, 'f');
    ASSERT_EQ(fits.size(), 259u);
    EXPECT_TRUE(app.ExtractEmbeddedFile(148, fits, false));
    EXPECT_TRUE(win.files.Exists(fits));
    const std::string tooLong = fits + "g";
    EXPECT_FALSE(app.ExtractEmbeddedFile(148, tooLong, false));
    EXPECT_FALSE(app.ExtractEmbeddedFile(159, tooLong, true));
    EXPECT_FALSE(win.files.Exists(tooLong));
}

TEST_F(EmbeddedExtraction, PluginListIsRewrittenAndTheScratchStays) {
    EXPECT_TRUE(app.ExtractEmbeddedFile(159, "C:\\Out\\KX47.INI", true));
    EXPECT_EQ(At("C:\\Out\\KX47.INI"), "[OEMFiles]\nOEMDriverFile1=KX47D.DLL\nOEMConfigFile1=KX47F.DLL\n\n");
    EXPECT_EQ(ToBytes(At(kScratch)), win.resources.entries[159]);
}

TEST_F(EmbeddedExtraction, PrinterNameIsReadAtExtraction) {
    std::strcpy(g_szPrinterName, "My POS 58");
    EXPECT_TRUE(app.ExtractEmbeddedFile(159, "C:\\Out\\a.ini", true));
    EXPECT_EQ(At("C:\\Out\\a.ini"), "[OEMFiles]\nOEMDriverFile1=My POS 58D.DLL\nOEMConfigFile1=My POS 58F.DLL\n\n");
    g_szPrinterName[0] = '\0';
    EXPECT_TRUE(app.ExtractEmbeddedFile(159, "C:\\Out\\b.ini", true));
    EXPECT_EQ(At("C:\\Out\\b.ini"), "[OEMFiles]\nOEMDriverFile1=D.DLL\nOEMConfigFile1=F.DLL\n\n");
}

TEST_F(EmbeddedExtraction, StaleScratchIsNeverUsed) {
    win.files.Put(kScratch, ToBytes("OEMDriverFile1=STALE\r\nstale line\r\n"));
    win.files.SetReadOnlyDirectory("C:\\TEMP");
    EXPECT_TRUE(app.ExtractEmbeddedFile(159, "C:\\Out\\KX47.INI", true));
    EXPECT_EQ(At("C:\\Out\\KX47.INI"), "[OEMFiles]\nOEMDriverFile1=KX47D.DLL\nOEMConfigFile1=KX47F.DLL\n\n");
    EXPECT_EQ(At(kScratch), "OEMDriverFile1=STALE\r\nstale line\r\n");
}

TEST_F(EmbeddedExtraction, MissingStagingDirectoryStillRewrites) {
    MemoryWindows bare;
    bare.resources.entries = win.resources.entries;
    bare.files.PutDirectories("C:\\Out");
    CSetupApp other(bare.platform);
    EXPECT_TRUE(other.ExtractEmbeddedFile(159, "C:\\Out\\KX47.INI", true));
    Bytes out;
    ASSERT_TRUE(bare.files.Contents("C:\\Out\\KX47.INI", out));
    EXPECT_EQ(ToString(out), "[OEMFiles]\nOEMDriverFile1=KX47D.DLL\nOEMConfigFile1=KX47F.DLL\n\n");
}

TEST_F(EmbeddedExtraction, UnwritableDestinationIsAFailure) {
    win.files.SetReadOnlyDirectory("C:\\Out");
    EXPECT_FALSE(app.ExtractEmbeddedFile(159, "C:\\Out\\KX47.INI", true));
    EXPECT_FALSE(app.ExtractEmbeddedFile(148, "C:\\Out\\setting.dll", false));
    EXPECT_FALSE(win.files.Exists("C:\\Out\\KX47.INI"));
}

TEST_F(EmbeddedExtraction, PrinterDescriptionKeepsAllOtherLines) {
    // The store's template where it has been generated, else a short one with the same name lines.
    LoadEntry(155,
              "*GPDSpecVersion: \"1.0\"\r\n*Include: \"stdnames.gpd\"\r\n*GPDFileName: \"LBQ33.GPD\"\r\n"
              "*ModelName: \"LBQ33\"\r\n*ResourceDLL: \"KX47RES.DLL\"\r\n*MasterUnits: PAIR(203, 203)\r\n");
    std::strcpy(g_szPrinterName, "ABC");
    ASSERT_TRUE(app.ExtractEmbeddedFile(155, "C:\\Out\\ABC.GPD", true));
    const std::string out = At("C:\\Out\\ABC.GPD");
    const std::vector<std::string> in = ReadTextPieces(win.resources.entries[155]);
    std::vector<std::string> lines;
    for (std::size_t b = 0, e; b < out.size(); b = e + 1) {
        e = out.find('\n', b);
        ASSERT_NE(e, std::string::npos);
        lines.push_back(out.substr(b, e - b + 1));
    }
    ASSERT_EQ(lines.size(), in.size());
    int replaced = 0;
    for (std::size_t i = 0; i < in.size(); ++i) {
        if (lines[i] != in[i]) {
            ++replaced;
            EXPECT_TRUE(lines[i] == "*GPDFileName: \"ABC.GPD\"\n" || lines[i] == "*ModelName: \"ABC\"\n" ||
                        lines[i] == "*ResourceDLL: \"ABCRES.DLL\"\n")
                << lines[i];
        }
    }
    EXPECT_EQ(replaced, 3);
    EXPECT_EQ(out.find('\r'), std::string::npos);
    EXPECT_EQ(out.find("LBQ33"), std::string::npos);
}

TEST_F(EmbeddedExtraction, ScratchThatCannotBeReadBackFallsBackToTheEntry) {
    win.files.SetUnreadable(kScratch);
    EXPECT_TRUE(app.ExtractEmbeddedFile(159, "C:\\Out\\KX47.INI", true));
    EXPECT_EQ(At("C:\\Out\\KX47.INI"), "[OEMFiles]\nOEMDriverFile1=KX47D.DLL\nOEMConfigFile1=KX47F.DLL\n\n");
}

TEST_F(EmbeddedExtraction, ReplaceNameLinesBetweenFiles) {
    NameLineRule rules[kNameLineRuleCapacity];
    const int n = FillNameLineRules("Q", rules);
    win.files.Put("C:\\Out\\src.txt", ToBytes("x\r\n *ModelName: old\r\ny"));
    win.files.Put("C:\\Out\\dst.txt", Bytes(100, 'o'));
    app.ReplaceNameLines("C:\\Out\\src.txt", "C:\\Out\\dst.txt", rules, n);
    EXPECT_EQ(At("C:\\Out\\dst.txt"), "x\n*ModelName: \"Q\"\ny\n");

    // An unreadable source leaves the destination created and empty.
    app.ReplaceNameLines("C:\\Out\\missing.txt", "C:\\Out\\dst.txt", rules, n);
    EXPECT_EQ(At("C:\\Out\\dst.txt"), "");
    app.ReplaceNameLines("C:\\Out\\missing.txt", "C:\\Out\\new.txt", rules, n);
    EXPECT_EQ(At("C:\\Out\\new.txt"), "");
    // Only the rules counted are tested.
    app.ReplaceNameLines("C:\\Out\\src.txt", "C:\\Out\\dst.txt", rules, 3);
    EXPECT_EQ(At("C:\\Out\\dst.txt"), "x\n *ModelName: old\ny\n");
}

}  // namespace
