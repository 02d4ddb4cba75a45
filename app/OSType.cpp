#include "app/OSType.h"

#include "platform/Platform.h"

// Host codes:
//   non-NT family (bit 31 of the packed version set): 0 major below 4, 1 Windows 95 and the family's
//   fallback, 2 Windows 98 (4.10), 3 Windows Me (4.90);
//   NT family: 4 NT 3.x, releases newer than 6.1 and the family's fallback, 5 NT 4.0, 6 Windows 2000 (5.0),
//   7 XP (5.1), 8 Server 2003 / XP x64 (5.2), 9 Vista / Server 2008 (6.0), 10 Windows 7 / 2008 R2 (6.1).
// Only the family and the major and minor numbers count; build, service pack and product type do not.
int ClassifyOS(ISystemInfo& system) {
    const std::uint32_t packed = system.PackedVersion();
    const bool nonNt = (packed & 0x80000000u) != 0;

    if (nonNt && (packed & 0xFFu) < 4) return 0;

    // A failed version query leaves the record zeroed, so no test below matches and the family's
    // starting value is the answer.
    OsVersion v;
    if (!system.VersionRecord(v)) v = OsVersion{};

    if (nonNt) {
        if (v.major == 4 && v.minor == 10) return 2;
        if (v.major == 4 && v.minor == 90) return 3;
        return 1;
    }

    if (v.major == 4) return 5;
    if (v.major == 5 && v.minor == 0) return 6;
    if (v.major == 5 && v.minor == 1) return 7;
    if (v.major == 5 && v.minor == 2) return 8;
    if (v.major == 6 && v.minor == 0) return 9;
    if (v.major == 6 && v.minor == 1) return 10;
    return 4;
}

int GetOSType() { return ClassifyOS(HostPlatform().system); }
