#include <gtest/gtest.h>

#include "system/OemInfScan.h"

namespace {

bool Matches(const std::string& text) { return OemInfMatches(ToBytes(text)); }

TEST(OemInfScanTest, PrinterPackageOfTheSeriesMatches) {
    EXPECT_TRUE(Matches("[Version]\nClass=Printer\n[Manufacturer]\n\"Vendor\"=Models\n[Models]\n\"W36\"=W36.GPD\n"));
    // .GPD instead of [Manufacturer], Windows line ends.
    EXPECT_TRUE(Matches("Class=Printer\r\nCopyFiles=W36.GPD\r\nW36\r\n"));
    // One line holding every text qualifies by itself, comments included.
    EXPECT_TRUE(Matches("; Class=Printer [Manufacturer] W36\n"));
    EXPECT_TRUE(Matches("Class=Printer,x.GPD,W36"));  // last line without a line feed
}

TEST(OemInfScanTest, MarkersMustComeAtOrBeforeTheModelLine) {
    EXPECT_FALSE(Matches("W36\nClass=Printer\n[Manufacturer]\n"));
    EXPECT_FALSE(Matches("Class=Printer\nW36\n[Manufacturer]\n"));
    EXPECT_FALSE(Matches("[Manufacturer]\nW36\nClass=Printer\n"));
    EXPECT_FALSE(Matches("Class=Printer\nW36\n"));  // neither [Manufacturer] nor .GPD
    EXPECT_FALSE(Matches("[Manufacturer]\nx.GPD\nW36\n"));
    EXPECT_FALSE(Matches(""));
}

TEST(OemInfScanTest, TestsAreCaseSensitive) {
    EXPECT_FALSE(Matches("class=printer\n[Manufacturer]\nW36\n"));
    EXPECT_FALSE(Matches("Class=Printer\n[manufacturer]\nx.gpd\nW36\n"));
    EXPECT_FALSE(Matches("Class=Printer\n[Manufacturer]\nw36\n"));
}

TEST(OemInfScanTest, LongLinesAreTestedInPiecesOf259) {
    const std::string head = "Class=Printer\n[Manufacturer]\n";
    // "W36" straddling the end of the first 259-character piece is not seen...
    EXPECT_FALSE(Matches(head + std::string(257, 'x') + "W36\n"));
    // ...while it is seen wholly inside the first piece or at the start of the second.
    EXPECT_TRUE(Matches(head + std::string(256, 'x') + "W36\n"));
    EXPECT_TRUE(Matches(head + std::string(259, 'x') + "W36\n"));
    // The pieces of one long line count as separate lines for the markers too: a marker in a later piece
    // does not qualify a "W36" in an earlier one.
    EXPECT_FALSE(Matches("Class=Printer W36" + std::string(250, ' ') + "[Manufacturer]\n"));
    EXPECT_TRUE(Matches("Class=Printer" + std::string(250, ' ') + "[Manufacturer]" + std::string(300, ' ') + "W36\n"));
}

TEST(OemInfScanTest, TextAfterNulOrEndOfFileMarkIsNotSeen) {
    const std::string text = "Class=Printer\n[Manufacturer]\nW36\n";
    Bytes utf16 = {0xFF, 0xFE};
    for (char c : text) {
        utf16.push_back(static_cast<unsigned char>(c));
        utf16.push_back(0);
    }
    EXPECT_FALSE(OemInfMatches(utf16));
    EXPECT_FALSE(Matches(std::string("Class=Printer [Manufacturer]\0W36\n", 34)));
    EXPECT_FALSE(Matches("Class=Printer\n[Manufacturer]\n\x1AW36\n"));
}

TEST(OemInfScanTest, PathsInTheInfDirectory) {
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

}  // namespace
