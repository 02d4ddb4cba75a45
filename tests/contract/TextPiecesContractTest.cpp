// Text-mode reading: ReadTextPieces against the C runtime's fopen(..., "rt") and fgets.
#include "platform/TextStream.h"
#include "tests/support/ContractPlatforms.h"

namespace {

using namespace std::string_literals;

class TextPiecesContract : public ContractTest {};

// Each text, written and read back as bytes, gives the pieces that the C runtime gives.
TEST_P(TextPiecesContract, PiecesAreTheCRuntimes) {
    const std::string path = InScratch("text.txt"), next = "\r\nnext\r\n";
    std::string stream;  // a CR LF across the stream's 4096-byte buffer
    while (stream.size() < 4095) stream += std::string(98, 'x') + "\r\n";
    stream.resize(4095);
    stream.back() = '\r';
    stream += "\nafter\r\n";
    const std::pair<std::string, std::size_t> cases[] = {
        // Line endings; a Ctrl-Z ends the text and a NUL the C string.
        {"one\r\ntwo\r\n", 260}, {"one\ntwo\nthree", 260}, {"lone\rcr\r\nend\r", 260}, {"\r\r\n\n\r\r\r\nx", 260},
        {"", 260}, {"\r\n", 260}, {"before\x1a after\r\nmore\r\n", 260}, {"a\r\x1a\nb", 260}, {"\x1a" "abc", 260},
        {"nul\0inside\r\nnext\r\n\0\r\n"s, 260},
        // Long lines arrive in pieces.
        {std::string(259, 'a') + next, 260}, {std::string(258, 'a') + next, 260}, {std::string(260, 'b') + next, 260},
        {std::string(600, 'c') + "\r\ntail", 260}, {std::string(259, 'd'), 260},
        {std::string(258, 'e') + "\r\n" + std::string(259, 'f') + "\r\n", 260}, {"abcdef\r\ng\r\n", 3},
        {stream, 260}, {"y" + stream, 260}};
    for (const auto& [text, bufferSize] : cases) {
        Bytes back;
        std::vector<std::string> crt;
        ASSERT_TRUE(os().files.WriteWholeFile(path, ToBytes(text)));
        ASSERT_TRUE(os().files.ReadWholeFile(path, back));
        if (!host().CrtTextPieces(path, bufferSize, crt)) GTEST_SKIP() << "no C runtime on this platform";
        EXPECT_EQ(ReadTextPieces(back, bufferSize), crt) << text.substr(0, 40) << ", buffer " << bufferSize;
    }
}

SETUP_CONTRACT_SUITE(TextPiecesContract);

}  // namespace
