// The text rules of the platform layer, directly: what the profile contract cases leave out (they run
// natively against the same rules), the text-mode pieces, and bounded path formatting.
#include <gtest/gtest.h>

#include "platform/BoundedFormat.h"
#include "platform/ProfileText.h"
#include "platform/TextStream.h"

namespace {

TEST(ProfileText, ReadingEdgesTheContractCasesLeaveOut) {
    const struct {
        std::string text, section, key;
        std::uint32_t bufferSize;
        std::string expected;
    } cases[] = {
        {"[S]\r\nK=value\r\n", "S", "K", 0, ""},  // no buffer: nothing, not even the default
        {"[S]\r\nK=value\r\n", "S", "K", 2, "v"},
        {"[S]\r\nOne=\"\r\n", "S", "One", 260, "\""},
        {"[S]\r\nZ=z\x1a\r\n", "S", "Z", 260, "z"},
        {"K=outside\r\n[S]\r\n", "S", "K", 260, "<d>"},  // a key before any section belongs to none
        {"[S]\rA=cr\nB=lf", "S", "B", 260, "lf"},        // last line without a line end
    };
    for (const auto& c : cases) {
        const Bytes file = ToBytes(c.text);
        std::string out = "stale";
        EXPECT_EQ(ProfileReadString(&file, c.section, c.key, "<d>", out, c.bufferSize), c.expected.size()) << c.text;
        EXPECT_EQ(out, c.expected) << c.text;
    }
}

TEST(ProfileText, WritingKeepsEveryOtherLineInPlace) {
    const struct {
        std::string before, section, key, value, after;
    } cases[] = {
        {"", "Setting", "PrinterName", "KX47", "[Setting]\r\nPrinterName=KX47\r\n"},
        {"; note\r\n[Setting]\r\n  Name = old \r\nOther=1\r\n[Next]\r\nName=keep\r\n", "SETTING", "name", "new",
         "; note\r\n[Setting]\r\nName=new\r\nOther=1\r\n[Next]\r\nName=keep\r\n"},
        {"[A]\r\nX=1\r\n\r\n[B]\r\nY=2", "a", "Z", "3", "[A]\r\nX=1\r\nZ=3\r\n\r\n[B]\r\nY=2\r\n"},
        {"[A]\r\nX=1\r\n", "C", "W", "4", "[A]\r\nX=1\r\n[C]\r\nW=4\r\n"},
    };
    for (const auto& c : cases) {
        Bytes file = ToBytes(c.before);
        ProfileWriteString(file, c.section, c.key, c.value);
        EXPECT_EQ(ToString(file), c.after) << c.before;
    }
}

TEST(TextPieces, LineEndsCtrlZNulAndTheBufferCutTheText) {
    using Pieces = std::vector<std::string>;
    const std::string a258(258, 'a'), a259(259, 'a'), c259(259, 'c');
    const struct {
        std::string text;
        std::size_t bufferSize;
        Pieces pieces;
    } cases[] = {
        {"a\r\nb\r\n", kPathBuffer, {"a\n", "b\n"}},
        {"a\rb\r\nc", kPathBuffer, {"a\rb\n", "c"}},
        {"\r\r\n\n", kPathBuffer, {"\r\n", "\n"}},
        {"a\r", kPathBuffer, {"a\r"}},
        {"ab\x1a" "cd\r\n", kPathBuffer, {"ab"}},
        {"a\r\x1a\n", kPathBuffer, {"a\r"}},
        {"", kPathBuffer, {}},
        {"\x1a" "abc", kPathBuffer, {}},
        {a258 + "\r\nb", kPathBuffer, {a258 + "\n", "b"}},
        {a259 + "\r\nb", kPathBuffer, {a259, "\n", "b"}},
        {std::string(600, 'c') + "\n", kPathBuffer, {c259, c259, std::string(82, 'c') + "\n"}},
        {"abcde\n", 3, {"ab", "cd", "e\n"}},
        {"abc", 1, {}},
        {std::string("ab\0cd\r\nef\r\n", 11), kPathBuffer, {"ab", "ef\n"}},  // NUL ends the piece, not the line
        {std::string("\0x\n", 3), kPathBuffer, {""}},
    };
    for (const auto& c : cases) EXPECT_EQ(ReadTextPieces(ToBytes(c.text), c.bufferSize), c.pieces) << c.text.size();
}

TEST(BoundedFormat, ResultMustLeaveRoomForTheTerminator) {
    std::string out = "stale";
    EXPECT_TRUE(FormatBounded(out, 6, "%s-%d", "ab", 12));
    EXPECT_EQ(out, "ab-12");
    EXPECT_FALSE(FormatBounded(out, 5, "%s-%d", "ab", 12));
    EXPECT_EQ(out, "");
    EXPECT_TRUE(FormatBounded(out, 1, "%s", ""));
    EXPECT_FALSE(FormatBounded(out, 0, "%s", ""));

    const std::string dir = "C:\\" + std::string(197, 'd');  // 200 characters
    ASSERT_TRUE(JoinPath(out, dir, std::string(58, 'n')));
    EXPECT_EQ(out, dir + "\\" + std::string(58, 'n'));  // 259 characters
    EXPECT_FALSE(JoinPath(out, dir, std::string(59, 'n')));
    EXPECT_EQ(out, "");
}

}  // namespace
