// Writing store entries to disk and rewriting the name-bearing lines of the driver templates.
#include "install/EmbeddedStore.h"
#include "install/NameLines.h"
#include "platform/TextStream.h"
#include "tests/unit/UnitSupport.h"

namespace {

// The two templates as Windows XP stages them.
constexpr std::uint16_t kGpdEntry = kCommonGpdSlot.ids[kXp], kIniEntry = kCommonIniSlot.ids[kXp];

std::string Rewrite(const std::string& text, const std::string& name) {
    NameLineRule rules[kNameLineRuleCapacity];
    const int n = FillNameLineRules(name, rules);
    return ToString(RewriteNameLines(ReadTextPieces(ToBytes(text)), rules, n));
}

TEST(NameLineRules, ReplacementThatDoesNotFitIsLeftOut) {
    // Replacement lengths: 20 + n for the first three, 14 + n, 23 + n; a buffer holds 259 characters.
    for (std::size_t n : {236u, 239u, 240u, 245u, 246u, 259u}) {
        NameLineRule rules[kNameLineRuleCapacity];
        std::vector<std::string> prefixes, expected;
        const int count = FillNameLineRules(std::string(n, 'p'), rules);
        for (int i = 0; i < count; ++i) prefixes.push_back(rules[i].prefix);
        if (20 + n <= 259) expected.insert(expected.end(), {"OEMDriverFile1=", "OEMConfigFile1=", "*GPDFileName:"});
        if (14 + n <= 259) expected.push_back("*ModelName:");
        if (23 + n <= 259) expected.push_back("*ResourceDLL:");
        EXPECT_EQ(prefixes, expected) << n;
    }
}

TEST(NameLineRewriting, WholeLineReplacedWhereverThePrefixIsTheRulesInTableOrderLfLineEnds) {
    const std::string head(300, 'a'), prefix = "*ModelName: x";
    const std::string longLine = head + prefix + std::string(287, 'b');  // 600 characters, pieces of 259
    const struct {
        std::string text, name, expected;
    } cases[] = {
        {"[OEMFiles]\r\nOEMDriverFile1=LBQ33D.DLL\r\nOEMConfigFile1=LBQ33F.DLL\r\n\r\n", "KX47",
         "[OEMFiles]\nOEMDriverFile1=KX47D.DLL\nOEMConfigFile1=KX47F.DLL\n\n"},
        {"  ; *ModelName: \"LBQ33\" tail\r\n", "ABC", "*ModelName: \"ABC\"\n"},
        {"\t*GPDFileName: x\n", "ABC", "*GPDFileName: \"ABC.GPD\"\n"},
        {"*modelname: \"LBQ33\"\r\n", "ABC", "*modelname: \"LBQ33\"\n"},  // case matters
        {"*ResourceDLL: *ModelName: *GPDFileName: OEMConfigFile1=\n*ModelName: *GPDFileName:\n", "N",
         "OEMConfigFile1=NF.DLL\n*GPDFileName: \"N.GPD\"\n"},
        {"OEMConfigFile1= OEMDriverFile1=\n", "N", "OEMDriverFile1=ND.DLL\n"},
        {"x *ResourceDLL: *ModelName:\r\n*ResourceDLL: y\r\n", " My  Printer ",  // the name as it is
         "*ModelName: \" My  Printer \"\n*ResourceDLL: \" My  Printer RES.DLL\"\n"},
        {"a\r\nlast", "N", "a\nlast\n"},
        {"a\r\n*ModelName: x", "N", "a\n*ModelName: \"N\"\n"},
        {"", "N", ""},
        // The prefix lies wholly inside the second piece of the long line.
        {longLine + "\r\n", "N", longLine.substr(0, 259) + "\n*ModelName: \"N\"\n" + longLine.substr(518) + "\n"},
    };
    for (const auto& c : cases) EXPECT_EQ(Rewrite(c.text, c.name), c.expected) << c.text.substr(0, 40);
}

TEST(NameLineRewriting, EmptyPrefixMatchesNothingAndEmptyPieceGetsALineEnd) {
    NameLineRule rules[2];
    std::strcpy(rules[1].prefix, "x");
    std::strcpy(rules[1].replacement, "X");
    EXPECT_EQ(ToString(RewriteNameLines({"ab\n", "", "x"}, rules, 2)), "ab\n\nX\n");
    EXPECT_EQ(ToString(RewriteNameLines({"ab\n", "x\n"}, rules, 0)), "ab\nx\n");
}

const std::string kScratch = "c:\\temp\\temp.txt";
const std::string kRewritten = "[OEMFiles]\nOEMDriverFile1=KX47D.DLL\nOEMConfigFile1=KX47F.DLL\n\n";

class Extraction : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        SetPrinterName("KX47");
        LoadStoreEntries(win.resources, {kSettingsEntry, kGpdEntry, kIniEntry});
        win.files.PutDirectories("C:\\TEMP");
        win.files.PutDirectories("C:\\Out");
    }
};

TEST_F(Extraction, BytesAreWrittenWholeOrNothingIsAndTheResultSaysWhich) {
    const std::string dir = "C:\\Out\\" + std::string(240, 'd'), fits = dir + "\\" + std::string(11, 'f');  // 259
    win.files.PutDirectories(dir);
    win.files.PutDirectories("C:\\Locked");
    win.files.SetReadOnlyDirectory("C:\\Locked");
    win.files.Put("C:\\Out\\setting.dll", Bytes(5000, 'z'));
    win.resources.entries[kEnglishTableEntry] = ToBytes("x");
    win.resources.unloadable.insert(kEnglishTableEntry);
    const struct {
        std::uint16_t id;
        std::string path;
        bool patch, written;
    } cases[] = {
        {160, "C:\\Out\\x.bin", false, false},  {kEnglishTableEntry, "C:\\Out\\x.bin", false, false},  // absent, unloadable
        {kSettingsEntry, "C:\\Nowhere\\setting.dll", false, false}, {kSettingsEntry, fits + "g", false, false},
        {kSettingsEntry, "C:\\Locked\\setting.dll", false, false},  {kSettingsEntry, "C:\\Out\\setting.dll", false, true},  // replaced whole
        {kSettingsEntry, fits, false, true},                    {160, "C:\\Out\\x.bin", true, false},
        {kIniEntry, "C:\\Nowhere\\KX47.INI", true, false},   {kIniEntry, fits + "g", true, false},
        {kIniEntry, "C:\\Locked\\KX47.INI", true, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(app.ExtractEmbeddedFile(c.id, c.path, c.patch), c.written) << c.id << " " << c.path;
        EXPECT_EQ(At(c.path), c.written ? Entry(c.id) : "<missing>") << c.path;
        EXPECT_TRUE(c.id == kIniEntry || !win.files.Exists(kScratch)) << "a scratch file without rewriting";
    }
    EXPECT_FALSE(win.files.Exists("C:\\Nowhere"));
}

TEST_F(Extraction, RewritingNeverUsesAStaleScratchAndReadsTheNameAtExtraction) {
    const std::string stale = "OEMDriverFile1=STALE\r\nstale line\r\n";
    const struct {
        const char* what;
        bool stagingDir, staleLocked, scratchUnreadable;
        std::string name, expected;
    } cases[] = {
        {"usual", true, false, false, "KX47", kRewritten},
        {"other name", true, false, false, "My POS 58",
         "[OEMFiles]\nOEMDriverFile1=My POS 58D.DLL\nOEMConfigFile1=My POS 58F.DLL\n\n"},
        {"empty name", true, false, false, "", "[OEMFiles]\nOEMDriverFile1=D.DLL\nOEMConfigFile1=F.DLL\n\n"},
        {"stale scratch that cannot be replaced", true, true, false, "KX47", kRewritten},
        {"no staging directory", false, false, false, "KX47", kRewritten},
        {"scratch that cannot be read back", true, false, true, "KX47", kRewritten},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        MemoryWindows w;
        LoadStoreEntries(w.resources, {kIniEntry});
        if (c.stagingDir) w.files.PutDirectories("C:\\TEMP");
        w.files.PutDirectories("C:\\Out");
        if (c.staleLocked) w.files.Put(kScratch, ToBytes(stale));
        w.files.SetReadOnlyDirectory("C:\\TEMP", c.staleLocked);
        w.files.SetUnreadable(kScratch, c.scratchUnreadable);
        SetPrinterName(c.name);
        EXPECT_TRUE(CSetupApp(w.platform).ExtractEmbeddedFile(kCommonIniSlot.ids[kXp], "C:\\Out\\KX47.INI", true));
        EXPECT_EQ(TextAt(w.files, "C:\\Out\\KX47.INI"), c.expected);
        // The raw bytes stay in the scratch file where they could be written.
        const std::string scratch = c.staleLocked ? stale : ToString(w.resources.entries[kCommonIniSlot.ids[kXp]]);
        EXPECT_EQ(TextAt(w.files, kScratch), c.stagingDir ? scratch : "<missing>");
    }
}

TEST_F(Extraction, PrinterDescriptionKeepsAllOtherLines) {
    SetPrinterName("ABC");
    ASSERT_TRUE(app.ExtractEmbeddedFile(kGpdEntry, "C:\\Out\\ABC.GPD", true));
    const std::string out = At("C:\\Out\\ABC.GPD");
    const std::vector<std::string> in = ReadTextPieces(win.resources.entries[kGpdEntry]);
    const std::vector<std::string> lines = ReadTextPieces(ToBytes(out));
    ASSERT_EQ(lines.size(), in.size());
    std::vector<std::string> replaced;
    for (std::size_t i = 0; i < in.size(); ++i)
        if (lines[i] != in[i]) replaced.push_back(lines[i]);
    EXPECT_EQ(replaced, (std::vector<std::string>{"*GPDFileName: \"ABC.GPD\"\n", "*ModelName: \"ABC\"\n",
                                                  "*ResourceDLL: \"ABCRES.DLL\"\n"}));
    EXPECT_EQ(out.find('\r'), std::string::npos);
}

TEST_F(Extraction, ReplaceNameLinesBetweenFiles) {
    NameLineRule rules[kNameLineRuleCapacity];
    const int n = FillNameLineRules("Q", rules);
    win.files.Put("C:\\Out\\src.txt", ToBytes("x\r\n *ModelName: old\r\ny"));
    win.files.Put("C:\\Out\\dst.txt", Bytes(100, 'o'));
    ReplaceNameLines(win.files, "C:\\Out\\src.txt", "C:\\Out\\dst.txt", rules, n);
    EXPECT_EQ(At("C:\\Out\\dst.txt"), "x\n*ModelName: \"Q\"\ny\n");
    ReplaceNameLines(win.files, "C:\\Out\\src.txt", "C:\\Out\\dst.txt", rules, 3);  // only the rules counted
    EXPECT_EQ(At("C:\\Out\\dst.txt"), "x\n *ModelName: old\ny\n");
    // An unreadable source leaves the destination created and empty.
    for (const char* dst : {"C:\\Out\\dst.txt", "C:\\Out\\new.txt"}) {
        ReplaceNameLines(win.files, "C:\\Out\\missing.txt", dst, rules, n);
        EXPECT_EQ(At(dst), "");
    }
}

}  // namespace
