// The port the printer is created on: the forms a deployment may choose, and where the choice comes from.
#pragma once
#include <cstdint>
#include <string>

constexpr const char* kDefaultPort = "LPT1:";
constexpr std::uint32_t kDefaultRawPort = 9100;  // the raw printing port of a network printer

enum class PortKind { Parallel, Serial, Usb, File, Network };

struct PrinterPort {
    std::string name;              // as the spooler lists it: "LPT1:", "COM5:", "USB001", "FILE:", "IP_10.0.0.7"
    PortKind kind = PortKind::Parallel;
    std::string address;           // a network port's IPv4 address, "a.b.c.d"
    std::uint32_t portNumber = 0;  // a network port's raw port number (kDefaultRawPort when not given)
};

// Where the port of a run comes from: /port= on the command line, Port= under [Setting] in setting.dll, or
// neither (LPT1:).
enum class PortSource { Default, Setting, Option };

// Reads one of the accepted forms, letters in any case: LPTn: and COMn: (n 1 to 256), USBnnn (three
// digits), FILE:, IP_a.b.c.d and IP_a.b.c.d:port (each part 0 to 255, the port 1 to 65535; no leading
// zeros anywhere). The name comes out in the spooler's spelling (upper case, a network port without its
// number). False for anything else: blanks, quotes, control characters, other texts.
bool ParsePrinterPort(const std::string& text, PrinterPort& port);

// The text as a log line may show it: printable ASCII as it is, every other byte as \xNN.
std::string PortTextForLog(const std::string& text);

// "setup.exe's /port=", "Port= in setting.dll" or "the default".
const char* PortSourceText(PortSource source);
