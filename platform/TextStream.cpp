#include "platform/TextStream.h"

std::vector<std::string> ReadTextPieces(const Bytes& file, std::size_t bufferSize) {
    // First the text-mode translation of the whole stream.
    std::string text;
    text.reserve(file.size());
    for (std::size_t i = 0; i < file.size(); ++i) {
        unsigned char c = file[i];
        if (c == 0x1A) break;
        if (c == '\r' && i + 1 < file.size() && file[i + 1] == '\n') continue;
        text.push_back(static_cast<char>(c));
    }
    std::vector<std::string> pieces;
    if (bufferSize < 2) return pieces;
    const std::size_t maxChars = bufferSize - 1;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = pos;
        while (end < text.size() && end - pos < maxChars) {
            if (text[end++] == '\n') break;
        }
        std::string piece = text.substr(pos, end - pos);
        std::size_t nul = piece.find('\0');
        if (nul != std::string::npos) piece.resize(nul);
        pieces.push_back(piece);
        pos = end;
    }
    return pieces;
}
