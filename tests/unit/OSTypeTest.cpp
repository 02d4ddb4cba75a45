// Host operating-system classification from the packed version and the version record.
#include <gtest/gtest.h>

#include "app/OSType.h"
#include "app/globals.h"
#include "platform/memory/MemoryWindows.h"

namespace {

struct OsCase {
    const char* release;
    std::uint32_t major;
    std::uint32_t minor;
    bool nt;
    std::uint32_t build;
    int expected;
};

class OsClassification : public ::testing::TestWithParam<OsCase> {};

TEST_P(OsClassification, GivesTheReleaseCode) {
    const OsCase& c = GetParam();
    MemorySystemInfo system;
    system.SetVersion(c.major, c.minor, c.nt, c.build);
    EXPECT_EQ(ClassifyOS(system), c.expected) << c.release;
}

INSTANTIATE_TEST_SUITE_P(
    Releases, OsClassification,
    ::testing::Values(OsCase{"Win32s on Windows 3.1", 3, 10, false, 0, 0},
                      OsCase{"Windows 95", 4, 0, false, 950, 1},
                      OsCase{"Windows 95 OSR2", 4, 0, false, 1111, 1},
                      OsCase{"Windows 98 SE", 4, 10, false, 2222, 2},
                      OsCase{"Windows Me", 4, 90, false, 3000, 3},
                      OsCase{"non-NT 5.0", 5, 0, false, 0, 1},
                      OsCase{"NT 3.51", 3, 51, true, 1057, 4},
                      OsCase{"NT 4.0", 4, 0, true, 1381, 5},
                      OsCase{"NT 4.x", 4, 10, true, 0, 5},
                      OsCase{"Windows 2000", 5, 0, true, 2195, 6},
                      OsCase{"Windows XP", 5, 1, true, 2600, 7},
                      OsCase{"Server 2003", 5, 2, true, 3790, 8},
                      OsCase{"Vista", 6, 0, true, 6000, 9},
                      OsCase{"Server 2008", 6, 0, true, 6001, 9},
                      OsCase{"Windows 7", 6, 1, true, 7600, 10},
                      OsCase{"Server 2008 R2", 6, 1, true, 7601, 10},
                      OsCase{"Windows 8", 6, 2, true, 9200, 4},
                      OsCase{"Windows 10", 10, 0, true, 19045, 4},
                      OsCase{"NT 5.3", 5, 3, true, 0, 4}));

TEST(OsClassificationFallback, FailedVersionQueryGivesTheFamilyStart) {
    MemorySystemInfo system;
    system.SetVersion(4, 10, false);
    system.versionExFails = true;
    EXPECT_EQ(ClassifyOS(system), 1);

    system.SetVersion(6, 1, true);
    system.versionExFails = true;
    EXPECT_EQ(ClassifyOS(system), 4);
}

TEST(OsClassificationFallback, NonNtMajorComesFromThePackedNumber) {
    // The packed number says 3.x: the record is not consulted.
    MemorySystemInfo system;
    system.SetVersion(4, 10, false);
    system.packedVersion = (system.packedVersion & ~0xFFu) | 3u;
    EXPECT_EQ(ClassifyOS(system), 0);
}

TEST(OsClassificationFallback, FamilyComesFromBit31NotFromTheRecord) {
    MemorySystemInfo system;
    system.SetVersion(5, 1, true);
    system.record.platformId = 1;  // a record that disagrees with the packed number
    EXPECT_EQ(ClassifyOS(system), 7);
    system.SetVersion(4, 90, false);
    system.record.platformId = 2;
    EXPECT_EQ(ClassifyOS(system), 3);
}

TEST(OsClassificationFallback, HostCodeIsStable) {
    const int first = GetOSType();
    EXPECT_EQ(GetOSType(), first);
    EXPECT_EQ(g_nOSType, first);
    EXPECT_EQ(first, ClassifyOS(HostPlatform().system));
}

}  // namespace
