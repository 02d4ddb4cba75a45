#include "install/PrinterPort.h"

#include "platform/Types.h"

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// A decimal number from min to max, without a sign or a leading zero.
bool ReadNumber(const std::string& text, std::uint32_t min, std::uint32_t max, std::uint32_t& value) {
    if (text.empty() || text.size() > 5 || (text.size() > 1 && text[0] == '0')) return false;
    value = 0;
    for (char c : text) {
        if (!IsDigit(c)) return false;
        value = value * 10 + static_cast<std::uint32_t>(c - '0');
    }
    return value >= min && value <= max;
}

bool StartsWithNoCase(const std::string& text, const char* prefix) {
    const std::string p(prefix);
    return text.size() >= p.size() && EqualNoCase(text.substr(0, p.size()), p);
}

// a.b.c.d, each part 0 to 255.
bool ReadAddress(const std::string& text, std::string& address) {
    std::size_t start = 0;
    for (int part = 0; part < 4; ++part) {
        const std::size_t dot = part < 3 ? text.find('.', start) : text.size();
        std::uint32_t value = 0;
        if (dot == std::string::npos || !ReadNumber(text.substr(start, dot - start), 0, 255, value)) return false;
        start = dot + 1;
    }
    address = text;
    return true;
}

}  // namespace

bool ParsePrinterPort(const std::string& text, PrinterPort& port) {
    port = PrinterPort();
    std::uint32_t n = 0;
    if (EqualNoCase(text, "FILE:")) {
        port.name = "FILE:";
        port.kind = PortKind::File;
        return true;
    }
    for (const char* prefix : {"LPT", "COM"}) {
        if (!StartsWithNoCase(text, prefix) || text.size() < 5 || text.back() != ':') continue;
        if (!ReadNumber(text.substr(3, text.size() - 4), 1, 256, n)) return false;
        port.name = std::string(prefix) + std::to_string(n) + ":";
        port.kind = prefix[0] == 'L' ? PortKind::Parallel : PortKind::Serial;
        return true;
    }
    if (StartsWithNoCase(text, "USB")) {
        if (text.size() != 6 || !IsDigit(text[3]) || !IsDigit(text[4]) || !IsDigit(text[5])) return false;
        port.name = "USB" + text.substr(3);
        port.kind = PortKind::Usb;
        return true;
    }
    if (StartsWithNoCase(text, "IP_")) {
        const std::string rest = text.substr(3);
        const std::size_t colon = rest.find(':');
        std::uint32_t number = kDefaultRawPort;
        if (colon != std::string::npos && !ReadNumber(rest.substr(colon + 1), 1, 65535, number)) return false;
        if (!ReadAddress(rest.substr(0, colon), port.address)) return false;
        port.name = "IP_" + port.address;
        port.kind = PortKind::Network;
        port.portNumber = number;
        return true;
    }
    return false;
}

std::string PortTextForLog(const std::string& text) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (char c : text) {
        const unsigned char b = static_cast<unsigned char>(c);
        if (b >= 0x20 && b < 0x7F && b != '\\') {
            out += c;
        } else {
            out += "\\x";
            out += kHex[b >> 4];
            out += kHex[b & 15];
        }
    }
    return out;
}

const char* PortSourceText(PortSource source) {
    switch (source) {
        case PortSource::Option: return "setup.exe's /port=";
        case PortSource::Setting: return "Port= in setting.dll";
        case PortSource::Default: break;
    }
    return "the default";
}
