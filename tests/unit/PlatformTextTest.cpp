// The text rules of the platform layer, directly: private-profile reading and writing, text-mode pieces,
// and bounded path formatting.
#include <gtest/gtest.h>

#include "platform/BoundedFormat.h"
#include "platform/ProfileText.h"
#include "platform/TextStream.h"

namespace {

std::string Read(const std::string& text, const std::string& section, const std::string& key,
                 const std::string& def = "<d>", std::uint32_t bufferSize = 260) {
    Bytes file = ToBytes(text);
    std::string out = "stale";
    std::uint32_t n = ProfileReadString(&file, section, key, def, out, bufferSize);
    EXPECT_EQ(n, out.size());
    return out;
}

std::string ReadMissing(const std::string& def, std::uint32_t bufferSize = 260) {
    std::string out = "stale";
    std::uint32_t n = ProfileReadString(nullptr, "S", "K", def, out, bufferSize);
    EXPECT_EQ(n, out.size());
    return out;
}

TEST(ProfileRead, DefaultWhenFileOrKeyIsMissing) {
    EXPECT_EQ(ReadMissing("KX47"), "KX47");
    EXPECT_EQ(ReadMissing("KX47   "), "KX47");
    EXPECT_EQ(ReadMissing("   "), "");
    EXPECT_EQ(ReadMissing("\"KX47\""), "KX47");
    EXPECT_EQ(ReadMissing("abcdef", 4), "abc");
    EXPECT_EQ(Read("[S]\r\nA=1\r\n", "S", "B", "fallback"), "fallback");
    EXPECT_EQ(Read("", "S", "B", "fallback"), "fallback");
}

TEST(ProfileRead, NoBufferGivesNothing) {
    Bytes file = ToBytes("[S]\r\nK=value\r\n");
    std::string out = "stale";
    EXPECT_EQ(ProfileReadString(&file, "S", "K", "d", out, 0), 0u);
    EXPECT_EQ(out, "");
    EXPECT_EQ(Read("[S]\r\nK=value\r\n", "S", "K", "d", 1), "");
    EXPECT_EQ(Read("[S]\r\nK=value\r\n", "S", "K", "d", 2), "v");
}

TEST(ProfileRead, NamesIgnoreCaseAndSurroundingBlanks) {
    const std::string text = "[Setting]\r\nPrinterName = KX47-B\r\n[ Padded ]\r\n  Key\t= v \r\n";
    EXPECT_EQ(Read(text, "SETTING", "printername"), "KX47-B");
    EXPECT_EQ(Read(text, "padded", "KEY"), "v");
    EXPECT_EQ(Read(text, " Padded ", " Key "), "v");
    EXPECT_EQ(Read(text, "Setting", "Key"), "<d>");
}

TEST(ProfileRead, ValueShapes) {
    const std::string text =
        "[S]\r\nQuoted=\"q v\"\r\nSingle='s'\r\nOpen=\"open\r\nMixed=\"m'\r\nPair=\"\"\r\nOne=\"\r\n"
        "Eq=a=b=\r\nEmpty=\r\nFlag\r\nZ=z\x1a\r\n";
    EXPECT_EQ(Read(text, "S", "Quoted"), "q v");
    EXPECT_EQ(Read(text, "S", "Single"), "s");
    EXPECT_EQ(Read(text, "S", "Open"), "\"open");
    EXPECT_EQ(Read(text, "S", "Mixed"), "\"m'");
    EXPECT_EQ(Read(text, "S", "Pair"), "");
    EXPECT_EQ(Read(text, "S", "One"), "\"");
    EXPECT_EQ(Read(text, "S", "Eq"), "a=b=");
    EXPECT_EQ(Read(text, "S", "Empty"), "");
    EXPECT_EQ(Read(text, "S", "Flag"), "<d>");
    EXPECT_EQ(Read(text, "S", "Z"), "z");
}

TEST(ProfileRead, LongAndQuotedValuesThroughSmallBuffers) {
    const std::string value(1200, 'x');
    EXPECT_EQ(Read("[S]\r\nK=" + value + "\r\n", "S", "K", "", 1000), std::string(999, 'x'));
    EXPECT_EQ(Read("[S]\r\nK=\"" + value + "\"\r\n", "S", "K", "", 1000), std::string(999, 'x'));
    EXPECT_EQ(Read("[S]\r\nK=\"abcd\"\r\n", "S", "K", "", 6), "abcd");
    EXPECT_EQ(Read("[S]\r\nK=\"abcd\"\r\n", "S", "K", "", 5), "abc");
    EXPECT_EQ(Read("[S]\r\nK=\"abcd\"\r\n", "S", "K", "", 4), "abc");
    EXPECT_EQ(Read("[S]\r\nK=\"\"\r\n", "S", "K", "", 1), "");
}

TEST(ProfileRead, SectionsAndLines) {
    EXPECT_EQ(Read("[S]\r\nK=1\r\n[T]\r\nK=2\r\n", "T", "K"), "2");
    EXPECT_EQ(Read("[S]\r\nK=first\r\nK=second\r\n", "S", "K"), "first");
    EXPECT_EQ(Read("[S]\r\nA=1\r\n[T]\r\n[S]\r\nB=2\r\n", "S", "B"), "<d>");
    EXPECT_EQ(Read("K=outside\r\n[S]\r\n", "S", "K"), "<d>");
    EXPECT_EQ(Read("[S]\rA=cr\nB=lf\r\n", "S", "A"), "cr");
    EXPECT_EQ(Read("[S]\rA=cr\nB=lf", "S", "B"), "lf");
    EXPECT_EQ(Read("[a]b]\r\nK=v\r\n", "a]b", "K"), "v");
    EXPECT_EQ(Read("[open\r\nK=v\r\n", "open", "K"), "<d>");
}

TEST(ProfileWrite, NewFileGetsSectionAndKey) {
    Bytes file;
    ProfileWriteString(file, "Setting", "PrinterName", "KX47");
    EXPECT_EQ(ToString(file), "[Setting]\r\nPrinterName=KX47\r\n");
}

TEST(ProfileWrite, ExistingKeyIsReplacedInPlace) {
    Bytes file = ToBytes("; note\r\n[Setting]\r\n  Name = old \r\nOther=1\r\n[Next]\r\nName=keep\r\n");
    ProfileWriteString(file, "SETTING", "name", "new");
    EXPECT_EQ(ToString(file), "; note\r\n[Setting]\r\nName=new\r\nOther=1\r\n[Next]\r\nName=keep\r\n");
}

TEST(ProfileWrite, NewKeyFollowsTheSectionsLastLine) {
    Bytes file = ToBytes("[A]\r\nX=1\r\n\r\n[B]\r\nY=2");
    ProfileWriteString(file, "a", "Z", "3");
    EXPECT_EQ(ToString(file), "[A]\r\nX=1\r\nZ=3\r\n\r\n[B]\r\nY=2\r\n");
    ProfileWriteString(file, "C", "W", "4");
    EXPECT_EQ(ToString(file), "[A]\r\nX=1\r\nZ=3\r\n\r\n[B]\r\nY=2\r\n[C]\r\nW=4\r\n");
}

TEST(ProfileWrite, WrittenValuesReadBack) {
    Bytes file = ToBytes("[S]\r\nA=1\r\n");
    ProfileWriteString(file, "S", "B", "  padded  ");
    ProfileWriteString(file, "S", "C", "\"quoted\"");
    ProfileWriteString(file, "S", "A", "x=y");
    std::string out;
    ProfileReadString(&file, "S", "B", "", out, 260);
    EXPECT_EQ(out, "padded");
    ProfileReadString(&file, "S", "C", "", out, 260);
    EXPECT_EQ(out, "quoted");
    ProfileReadString(&file, "S", "A", "", out, 260);
    EXPECT_EQ(out, "x=y");
}

std::vector<std::string> Pieces(const std::string& text, std::size_t bufferSize = kPathBuffer) {
    return ReadTextPieces(ToBytes(text), bufferSize);
}

TEST(TextPieces, LineEndingsAndEndOfText) {
    EXPECT_EQ(Pieces("a\r\nb\r\n"), (std::vector<std::string>{"a\n", "b\n"}));
    EXPECT_EQ(Pieces("a\rb\r\nc"), (std::vector<std::string>{"a\rb\n", "c"}));
    EXPECT_EQ(Pieces("\r\r\n\n"), (std::vector<std::string>{"\r\n", "\n"}));
    EXPECT_EQ(Pieces("a\r"), (std::vector<std::string>{"a\r"}));
    EXPECT_EQ(Pieces("ab\x1a" "cd\r\n"), (std::vector<std::string>{"ab"}));
    EXPECT_EQ(Pieces("a\r\x1a\n"), (std::vector<std::string>{"a\r"}));
    EXPECT_TRUE(Pieces("").empty());
    EXPECT_TRUE(Pieces("\x1a" "abc").empty());
}

TEST(TextPieces, LongLinesSplitAtTheBuffer) {
    EXPECT_EQ(Pieces(std::string(258, 'a') + "\r\nb"), (std::vector<std::string>{std::string(258, 'a') + "\n", "b"}));
    EXPECT_EQ(Pieces(std::string(259, 'a') + "\r\nb"),
              (std::vector<std::string>{std::string(259, 'a'), "\n", "b"}));
    EXPECT_EQ(Pieces(std::string(600, 'c') + "\n"),
              (std::vector<std::string>{std::string(259, 'c'), std::string(259, 'c'), std::string(82, 'c') + "\n"}));
    EXPECT_EQ(Pieces("abcde\n", 3), (std::vector<std::string>{"ab", "cd", "e\n"}));
    EXPECT_TRUE(Pieces("abc", 1).empty());
}

TEST(TextPieces, NulEndsThePieceButNotTheLine) {
    std::string text = "ab";
    text.push_back('\0');
    text += "cd\r\nef\r\n";
    EXPECT_EQ(Pieces(text), (std::vector<std::string>{"ab", "ef\n"}));
    std::string lead(1, '\0');
    lead += "x\n";
    EXPECT_EQ(Pieces(lead), (std::vector<std::string>{""}));
}

TEST(BoundedFormat, ResultMustLeaveRoomForTheTerminator) {
    std::string out = "stale";
    EXPECT_TRUE(FormatBounded(out, 6, "%s-%d", "ab", 12));
    EXPECT_EQ(out, "ab-12");
    EXPECT_FALSE(FormatBounded(out, 5, "%s-%d", "ab", 12));
    EXPECT_EQ(out, "");
    EXPECT_TRUE(FormatBounded(out, 1, "%s", ""));
    EXPECT_FALSE(FormatBounded(out, 0, "%s", ""));
}

TEST(BoundedFormat, JoinPathTakes259CharactersAndRefuses260) {
    const std::string dir = "C:\\" + std::string(197, 'd');  // 200 characters
    std::string out;
    ASSERT_TRUE(JoinPath(out, dir, std::string(58, 'n')));
    EXPECT_EQ(out.size(), 259u);
    EXPECT_EQ(out, dir + "\\" + std::string(58, 'n'));
    EXPECT_FALSE(JoinPath(out, dir, std::string(59, 'n')));
    EXPECT_EQ(out, "");
    EXPECT_TRUE(JoinPath(out, "C:\\TEMP", "KX47.INF"));
    EXPECT_EQ(out, "C:\\TEMP\\KX47.INF");
}

}  // namespace
