// Text-mode reading: ReadTextPieces against the C runtime's fopen(..., "rt") and fgets.
#include "platform/TextStream.h"
#include "tests/support/ContractPlatforms.h"

namespace {

class TextPiecesContract : public ContractTest {
protected:
    void SetUp() override {
        ContractTest::SetUp();
        const std::string probe = InScratch("probe.txt");
        std::vector<std::string> pieces;
        ASSERT_TRUE(os().files.WriteWholeFile(probe, ToBytes("x")));
        if (!host().CrtTextPieces(probe, kPathBuffer, pieces)) GTEST_SKIP() << "no C runtime on this platform";
    }
    void Check(const std::string& label, const Bytes& content, std::size_t bufferSize = kPathBuffer) {
        const std::string path = InScratch("text.txt");
        ASSERT_TRUE(os().files.WriteWholeFile(path, content));
        Bytes back;
        ASSERT_TRUE(os().files.ReadWholeFile(path, back));
        std::vector<std::string> crt;
        ASSERT_TRUE(host().CrtTextPieces(path, bufferSize, crt)) << label;
        EXPECT_EQ(ReadTextPieces(back, bufferSize), crt) << label << ", buffer " << bufferSize;
    }
    static Bytes Text(const std::string& s) { return ToBytes(s); }
};

TEST_P(TextPiecesContract, LineEndings) {
    Check("CR LF", Text("one\r\ntwo\r\n"));
    Check("LF", Text("one\ntwo\nthree"));
    Check("lone CR", Text("lone\rcr\r\nend\r"));
    Check("CR runs", Text("\r\r\n\n\r\r\r\nx"));
    Check("empty", Text(""));
    Check("only CR LF", Text("\r\n"));
}

TEST_P(TextPiecesContract, CtrlZEndsTheText) {
    Check("Ctrl-Z inside", Text("before\x1a after\r\nmore\r\n"));
    Check("Ctrl-Z after CR", Text("a\r\x1a\nb"));
    Check("Ctrl-Z first", Text("\x1a" "abc"));
}

TEST_P(TextPiecesContract, LongLinesArriveInPieces) {
    Check("259", Text(std::string(259, 'a') + "\r\nnext\r\n"));
    Check("258", Text(std::string(258, 'a') + "\r\nnext\r\n"));
    Check("260", Text(std::string(260, 'b') + "\r\nnext\r\n"));
    Check("600", Text(std::string(600, 'c') + "\r\ntail"));
    Check("259 at end", Text(std::string(259, 'd')));
    Check("CR LF across the piece end", Text(std::string(258, 'e') + "\r\n" + std::string(259, 'f') + "\r\n"));
    Check("small buffer", Text("abcdef\r\ng\r\n"), 3);
}

TEST_P(TextPiecesContract, CrLfAcrossTheStreamBuffer) {
    std::string text;
    while (text.size() < 4095) text += std::string(98, 'x') + "\r\n";
    text.resize(4095);
    text.back() = '\r';
    text += "\nafter\r\n";
    Check("CR at 4095", Text(text));
    text.insert(0, "y");
    Check("CR at 4096", Text(text));
}

TEST_P(TextPiecesContract, NulBytesEndTheCString) {
    std::string text = "nul";
    text.push_back('\0');
    text += "inside\r\nnext\r\n";
    text.push_back('\0');
    text += "\r\n";
    Check("NUL", Text(text));
}

SETUP_CONTRACT_SUITE(TextPiecesContract);

}  // namespace
