// Private profiles: what GetPrivateProfileStringA reads from a file's bytes and what a value written with
// WritePrivateProfileStringA reads back as.
#include "tests/support/ContractPlatforms.h"

namespace {

class ProfileContract : public ContractTest {
protected:
    void SetUp() override {
        ContractTest::SetUp();
        file_ = InScratch("profile.ini");
    }
    void Put(const std::string& text) { ASSERT_TRUE(os().files.WriteWholeFile(file_, ToBytes(text))); }
    // The value as read through a buffer of bufferSize characters; the count returned must match its length.
    std::string Get(const std::string& section, const std::string& key, const std::string& def = "<default>",
                    std::uint32_t bufferSize = 260) {
        std::string out = "stale";
        std::uint32_t n = os().profile.ReadString(section, key, def, out, bufferSize, file_);
        EXPECT_EQ(n, out.size()) << section << "/" << key;
        return out;
    }
    std::string file_;
};

TEST_P(ProfileContract, MissingFileGivesTheDefault) {
    EXPECT_EQ(Get("Setting", "PrinterName", "KX47"), "KX47");
    EXPECT_EQ(Get("Setting", "PrinterName", ""), "");
    EXPECT_EQ(Get("Setting", "PrinterName", "abcdefgh", 5), "abcd");
    // Trailing blanks of the default are not returned.
    EXPECT_EQ(Get("Setting", "PrinterName", "KX47  "), "KX47");
    EXPECT_EQ(Get("Setting", "PrinterName", " lead"), " lead");
    // The default loses surrounding quotes like a value read from the file.
    EXPECT_EQ(Get("Setting", "PrinterName", "\"KX47\""), "KX47");
    Put("[Other]\r\nX=1\r\n");
    EXPECT_EQ(Get("Setting", "PrinterName", "'KX47'"), "KX47");
}

TEST_P(ProfileContract, SectionAndKeyIgnoreCase) {
    Put("[Setting]\r\nPrinterName=KX47-A\r\n");
    EXPECT_EQ(Get("SETTING", "printername"), "KX47-A");
    EXPECT_EQ(Get("setting", "PRINTERNAME"), "KX47-A");
}

TEST_P(ProfileContract, ValuesAreTrimmedAndLoseSurroundingQuotes) {
    Put("[S]\r\n"
        "  Spaced  =   a spaced value \t \r\n"
        "Quoted=\"quoted\"\r\n"
        "Inner=\" inner \"\r\n"
        "Single='single'\r\n"
        "Open=\"unbalanced\r\n"
        "Pair=\"\"\r\n"
        "Mixed=\"a'\r\n"
        "Twice=\"\"x\"\"\r\n");
    EXPECT_EQ(Get("S", "Spaced"), "a spaced value");
    EXPECT_EQ(Get("S", "Quoted"), "quoted");
    EXPECT_EQ(Get("S", "Inner"), " inner ");
    EXPECT_EQ(Get("S", "Single"), "single");
    EXPECT_EQ(Get("S", "Open"), "\"unbalanced");
    EXPECT_EQ(Get("S", "Pair"), "");
    EXPECT_EQ(Get("S", "Mixed"), "\"a'");
    EXPECT_EQ(Get("S", "Twice"), "\"x\"");
}

TEST_P(ProfileContract, QuotedValueThroughSmallBuffers) {
    Put("[S]\r\nQ=\"abc\"\r\n");
    EXPECT_EQ(Get("S", "Q", "", 1), "");
    EXPECT_EQ(Get("S", "Q", "", 3), "ab");
    // One short of the quoted rest: the last character goes with the closing quote.
    EXPECT_EQ(Get("S", "Q", "", 4), "ab");
    EXPECT_EQ(Get("S", "Q", "", 5), "abc");
}

TEST_P(ProfileContract, LongValuesAreCutToTheBuffer) {
    const std::string longValue(1200, 'v');
    Put("[S]\r\nLong=" + longValue + "\r\nQuotedLong=\"" + longValue + "\"\r\n");
    EXPECT_EQ(Get("S", "Long", "", 1000), std::string(999, 'v'));
    EXPECT_EQ(Get("S", "QuotedLong", "", 1000), std::string(999, 'v'));
    EXPECT_EQ(Get("S", "Long", "", 1201), longValue);
    EXPECT_EQ(Get("S", "QuotedLong", "", 1202), longValue);
}

TEST_P(ProfileContract, LinesWithoutEqualsSignNameNoKey) {
    Put("[S]\r\nFlag\r\nOther=1\r\n");
    EXPECT_EQ(Get("S", "Flag"), "<default>");
    EXPECT_EQ(Get("S", "Other"), "1");
}

TEST_P(ProfileContract, EmptyValueIsReadAsEmpty) {
    Put("[S]\r\nEmpty=\r\nBlank=   \r\n");
    EXPECT_EQ(Get("S", "Empty"), "");
    EXPECT_EQ(Get("S", "Blank"), "");
}

TEST_P(ProfileContract, KeysBelongToTheirSection) {
    Put("[A]\r\nK=1\r\n[B]\r\nJ=2\r\n");
    EXPECT_EQ(Get("A", "J"), "<default>");
    EXPECT_EQ(Get("B", "K"), "<default>");
    EXPECT_EQ(Get("A", "K"), "1");
    EXPECT_EQ(Get("B", "J"), "2");
    EXPECT_EQ(Get("C", "K"), "<default>");
}

TEST_P(ProfileContract, ValueRunsFromTheFirstEqualsSign) {
    Put("[S]\r\nK=a=b==c\r\nL = = x\r\n");
    EXPECT_EQ(Get("S", "K"), "a=b==c");
    EXPECT_EQ(Get("S", "L"), "= x");
}

TEST_P(ProfileContract, FirstOccurrenceWins) {
    Put("[S]\r\nK=first\r\nK=second\r\n[T]\r\nX=9\r\n[S]\r\nL=later\r\n");
    EXPECT_EQ(Get("S", "K"), "first");
    EXPECT_EQ(Get("T", "X"), "9");
    // A later section of the same name is not searched.
    EXPECT_EQ(Get("S", "L"), "<default>");
}

TEST_P(ProfileContract, NamesAreComparedWithoutSurroundingBlanks) {
    Put("[ Spaced ]\r\n K =v\r\n[Br]x]\r\nN=n\r\n[Open\r\nM=m\r\n");
    EXPECT_EQ(Get("Spaced", "K"), "v");
    EXPECT_EQ(Get(" Spaced ", " K "), "v");
    // The header name runs to the last closing bracket; a line without one is no header.
    EXPECT_EQ(Get("Br]x", "N"), "n");
    EXPECT_EQ(Get("Br", "N"), "<default>");
    EXPECT_EQ(Get("Open", "M"), "<default>");
}

TEST_P(ProfileContract, LineEndingsAndSurroundingBlanks) {
    Put("  [S]  \nA=1\n\n\t B = 2\r\n[T]\rC=3\r\n");
    EXPECT_EQ(Get("S", "A"), "1");
    EXPECT_EQ(Get("S", "B"), "2");
    EXPECT_EQ(Get("T", "C"), "3");
}

TEST_P(ProfileContract, WrittenValuesReadBack) {
    ASSERT_TRUE(os().profile.WriteString("Setting", "PrinterName", "KX47", file_));
    EXPECT_EQ(Get("Setting", "PrinterName"), "KX47");

    Put("[Setting]\r\nA=1\r\n[Other]\r\nB=2\r\n");
    ASSERT_TRUE(os().profile.WriteString("setting", "a", "new", file_));
    ASSERT_TRUE(os().profile.WriteString("Setting", "C", "3", file_));
    ASSERT_TRUE(os().profile.WriteString("Third", "D", "4", file_));
    ASSERT_TRUE(os().profile.WriteString("Other", "Padded", "  padded  ", file_));
    ASSERT_TRUE(os().profile.WriteString("Other", "Quoted", "\"q\"", file_));
    EXPECT_EQ(Get("Setting", "A"), "new");
    EXPECT_EQ(Get("Setting", "C"), "3");
    EXPECT_EQ(Get("Third", "D"), "4");
    EXPECT_EQ(Get("Other", "B"), "2");
    EXPECT_EQ(Get("Other", "Padded"), "padded");
    EXPECT_EQ(Get("Other", "Quoted"), "q");
    EXPECT_EQ(Get("Other", "A"), "<default>");
}

TEST_P(ProfileContract, WritingIntoAMissingDirectoryFails) {
    EXPECT_FALSE(os().profile.WriteString("S", "K", "v", InScratch("Missing\\profile.ini")));
}

SETUP_CONTRACT_SUITE(ProfileContract);

}  // namespace
