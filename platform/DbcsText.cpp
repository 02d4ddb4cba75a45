#include "platform/DbcsText.h"

bool IsDbcsLeadByte(unsigned char c, std::uint32_t codePage) {
    switch (codePage) {
        case 932: return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);  // Shift JIS
        case 936:                                                                // GBK
        case 949:                                                                // Unified Hangul
        case 950: return c >= 0x81 && c <= 0xFE;                                 // Big5
        case 1361: return (c >= 0x84 && c <= 0xD3) || (c >= 0xD8 && c <= 0xDE) || (c >= 0xE0 && c <= 0xF9);  // Johab
        default: return false;
    }
}

std::size_t LastPathSeparator(const std::string& path, std::uint32_t codePage) {
    std::size_t last = std::string::npos;
    for (std::size_t i = 0; i < path.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(path[i]);
        if (IsDbcsLeadByte(c, codePage)) {
            ++i;  // its trail byte, whatever it is; a lead byte at the very end stands alone
        } else if (c == '\\') {
            last = i;
        }
    }
    return last;
}

std::string FileNameOf(const std::string& path, std::uint32_t codePage) {
    const std::size_t at = LastPathSeparator(path, codePage);
    return at == std::string::npos ? path : path.substr(at + 1);
}
