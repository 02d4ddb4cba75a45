// Private profiles: what GetPrivateProfileStringA reads from a file's bytes and what a value written with
// WritePrivateProfileStringA reads back as.
#include <optional>

#include "tests/support/ContractPlatforms.h"

namespace {

// One read through a buffer of buffer characters; the count returned must be the length of what was read.
struct Read { std::string section, key, expected, def = "<default>"; std::uint32_t buffer = 260; };

class ProfileContract : public ContractTest {
protected:
    void ExpectReads(const std::vector<Read>& reads) {
        for (const Read& r : reads) {
            std::string out = "stale";
            std::uint32_t n = os().profile.ReadString(r.section, r.key, r.def, out, r.buffer, File());
            EXPECT_EQ(out, r.expected) << r.section << "/" << r.key << " default " << r.def << " buffer " << r.buffer;
            EXPECT_EQ(n, out.size()) << r.section << "/" << r.key;
        }
    }
    std::string File() const { return InScratch("profile.ini"); }
};

TEST_P(ProfileContract, UnicodeFilesAreReadByTheirByteOrderMark) {
    auto utf16 = [](const std::string& text, bool bom) {
        std::string out = bom ? std::string("\xFF\xFE", 2) : std::string();
        for (char c : text) out += std::string(1, c) + std::string(1, '\0');
        return out;
    };
    const std::string text = "[Setting]\r\nPrinterName=ABC\r\n";
    const struct {
        std::string bytes;
        std::string expected;
    } cases[] = {
        {utf16(text, true), "ABC"},
        {utf16(text, false), "<default>"},  // without a byte order mark it is 8-bit text with NULs in it
        {"\xEF\xBB\xBF" + text, "ABC"},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(os().files.WriteWholeFile(File(), ToBytes(c.bytes)));
        ExpectReads({{"Setting", "PrinterName", c.expected}});
    }
}

TEST_P(ProfileContract, ReadsFromTheFileText) {
    const std::string v1200(1200, 'v'), v999(999, 'v');
    // The file's text (none: no file) and the reads made from it.
    const std::vector<std::pair<std::optional<std::string>, std::vector<Read>>> cases = {
        // No file: the default, cut to the buffer, without trailing blanks and without surrounding quotes.
        {std::nullopt, {{"Setting", "PrinterName", "KX47", "KX47"}, {"Setting", "PrinterName", "", ""},
                        {"Setting", "PrinterName", "abcd", "abcdefgh", 5}, {"Setting", "PrinterName", "KX47", "KX47  "},
                        {"Setting", "PrinterName", " lead", " lead"}, {"Setting", "PrinterName", "KX47", "\"KX47\""}}},
        {"[Other]\r\nX=1\r\n", {{"Setting", "PrinterName", "KX47", "'KX47'"}}},
        // Section and key ignore case; keys belong to their section.
        {"[Setting]\r\nPrinterName=KX47-A\r\n[A]\r\nK=1\r\n[B]\r\nJ=2\r\n",
         {{"SETTING", "printername", "KX47-A"}, {"setting", "PRINTERNAME", "KX47-A"}, {"A", "J", "<default>"},
          {"B", "K", "<default>"}, {"A", "K", "1"}, {"B", "J", "2"}, {"C", "K", "<default>"}}},
        // Values are trimmed and lose one pair of surrounding quotes of the same kind.
        {"[S]\r\n  Spaced  =   a spaced value \t \r\nQuoted=\"quoted\"\r\nInner=\" inner \"\r\nSingle='single'\r\n"
         "Open=\"unbalanced\r\nPair=\"\"\r\nMixed=\"a'\r\nTwice=\"\"x\"\"\r\nEmpty=\r\nBlank=   \r\n",
         {{"S", "Spaced", "a spaced value"}, {"S", "Quoted", "quoted"}, {"S", "Inner", " inner "},
          {"S", "Single", "single"}, {"S", "Open", "\"unbalanced"}, {"S", "Pair", ""}, {"S", "Mixed", "\"a'"},
          {"S", "Twice", "\"x\""}, {"S", "Empty", ""}, {"S", "Blank", ""}}},
        // One short of the quoted rest: the last character goes with the closing quote.
        {"[S]\r\nQ=\"abc\"\r\n",
         {{"S", "Q", "", "", 1}, {"S", "Q", "ab", "", 3}, {"S", "Q", "ab", "", 4}, {"S", "Q", "abc", "", 5}}},
        // A line is read as at most 999 characters however large the buffer.
        {"[S]\r\nLong=" + v1200 + "\r\nQuotedLong=\"" + v1200 + "\"\r\n",
         {{"S", "Long", v999, "", 1000}, {"S", "QuotedLong", v999, "", 1000}, {"S", "Long", v1200, "", 1201},
          {"S", "QuotedLong", v1200, "", 1202}}},
        // A line without an equals sign names no key; the value runs from the first one.
        {"[S]\r\nFlag\r\nOther=1\r\nK=a=b==c\r\nL = = x\r\n",
         {{"S", "Flag", "<default>"}, {"S", "Other", "1"}, {"S", "K", "a=b==c"}, {"S", "L", "= x"}}},
        // The first key of a name wins, and a later section of the same name is not searched.
        {"[S]\r\nK=first\r\nK=second\r\n[T]\r\nX=9\r\n[S]\r\nL=later\r\n",
         {{"S", "K", "first"}, {"T", "X", "9"}, {"S", "L", "<default>"}}},
        // Names are compared without surrounding blanks; a header runs to its last closing bracket, and a line
        // without one is no header.
        {"[ Spaced ]\r\n K =v\r\n[Br]x]\r\nN=n\r\n[Open\r\nM=m\r\n",
         {{"Spaced", "K", "v"}, {" Spaced ", " K ", "v"}, {"Br]x", "N", "n"}, {"Br", "N", "<default>"},
          {"Open", "M", "<default>"}}},
        {"  [S]  \nA=1\n\n\t B = 2\r\n[T]\rC=3\r\n", {{"S", "A", "1"}, {"S", "B", "2"}, {"T", "C", "3"}}},
    };
    for (const auto& [text, reads] : cases) {
        SCOPED_TRACE(text ? text->substr(0, 60) : "no file");
        os().files.RemoveFile(File());
        if (text) { ASSERT_TRUE(os().files.WriteWholeFile(File(), ToBytes(*text))); }
        ExpectReads(reads);
    }
}

TEST_P(ProfileContract, WrittenValuesReadBack) {
    ASSERT_TRUE(os().profile.WriteString("Setting", "PrinterName", "KX47", File()));
    ExpectReads({{"Setting", "PrinterName", "KX47"}});
    ASSERT_TRUE(os().files.WriteWholeFile(File(), ToBytes("[Setting]\r\nA=1\r\n[Other]\r\nB=2\r\n")));
    const char* writes[][3] = {{"setting", "a", "new"}, {"Setting", "C", "3"}, {"Third", "D", "4"},
                               {"Other", "Padded", "  padded  "}, {"Other", "Quoted", "\"q\""}};
    for (const auto& w : writes) ASSERT_TRUE(os().profile.WriteString(w[0], w[1], w[2], File())) << w[1];
    ExpectReads({{"Setting", "A", "new"}, {"Setting", "C", "3"}, {"Third", "D", "4"}, {"Other", "B", "2"},
                 {"Other", "Padded", "padded"}, {"Other", "Quoted", "q"}, {"Other", "A", "<default>"}});
    EXPECT_FALSE(os().profile.WriteString("S", "K", "v", InScratch("Missing\\profile.ini")));
}

SETUP_CONTRACT_SUITE(ProfileContract);

}  // namespace
