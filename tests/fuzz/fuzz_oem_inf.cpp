// The scan for the system's copies of an earlier driver package: OemInfMatches over arbitrary file bytes.
#include <cstdint>
#include <string>

#include "system/OemInfScan.h"
#include "tests/fuzz/FuzzCheck.h"

namespace {
bool Has(const Bytes& b, const std::string& text) { return ToString(b).find(text) != std::string::npos; }
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const Bytes file(data, data + size);
    const bool matches = OemInfMatches(file);

    // A match needs the three words somewhere in the file.
    if (matches) FUZZ_CHECK(Has(file, "W36") && Has(file, "Class=Printer") && (Has(file, "[Manufacturer]") || Has(file, ".GPD")));

    // An empty line in front moves no piece boundary of what follows.
    Bytes shifted = file;
    shifted.insert(shifted.begin(), '\n');
    FUZZ_CHECK(OemInfMatches(shifted) == matches);

    // More text after a match cannot undo it.
    if (matches) {
        Bytes longer = file;
        const std::string tail = "\r\n[Strings]\r\nDisk=\"x\"\r\n";
        longer.insert(longer.end(), tail.begin(), tail.end());
        FUZZ_CHECK(OemInfMatches(longer));
    }

    // The lines of a package of this series, after anything but a Ctrl-Z, make a match.
    if (!Has(file, "\x1A")) {
        Bytes withPackage = file;
        const std::string package = "\r\nClass=Printer\r\n[Manufacturer]\r\nW36=W36,NT.5.1\r\n";
        withPackage.insert(withPackage.end(), package.begin(), package.end());
        FUZZ_CHECK(OemInfMatches(withPackage));
    }

    // The same text in UTF-16: every piece ends at its first NUL, so nothing matches.
    Bytes wide;
    for (unsigned char c : file) {
        wide.push_back(c);
        wide.push_back(0);
    }
    FUZZ_CHECK(!OemInfMatches(wide));
    return 0;
}
