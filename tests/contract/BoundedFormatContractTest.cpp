// FormatBounded with the formatter of each system: the C library's vsnprintf natively, msvcrt's _vsnprintf in
// the Windows programs. Both must refuse exactly the results that do not fit with their terminator.
#include <gtest/gtest.h>

#include <string>

#include "platform/BoundedFormat.h"

namespace {

TEST(BoundedFormatOnThisSystem, FitsExactlyWhenTheTerminatorFits) {
    std::string out = "stale";
    EXPECT_TRUE(FormatBounded(out, 12, "IDD%d_%d", 130, 1001));  // 11 characters and the terminator
    EXPECT_EQ(out, "IDD130_1001");
    EXPECT_FALSE(FormatBounded(out, 11, "IDD%d_%d", 130, 1001));  // only the terminator is missing
    EXPECT_EQ(out, "");
    EXPECT_FALSE(FormatBounded(out, 4, "IDD%d_%d", 130, 1001));  // far too long
    EXPECT_EQ(out, "");
    EXPECT_TRUE(FormatBounded(out, 32, "%s\\%s|%d", "C:\\TEMP", "a.dll", -7));
    EXPECT_EQ(out, "C:\\TEMP\\a.dll|-7");
    EXPECT_TRUE(FormatBounded(out, 1, "%s", ""));
    EXPECT_EQ(out, "");
}

}  // namespace
