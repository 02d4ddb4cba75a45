// The dialog tests: the real templates and classes, driven with the messages their buttons send.
// SETUP_EXPECT_LANGID=0xNNNN names the system language the run was started for (under Wine, through LC_ALL);
// when Wine reports another one the program stops at once and says so, since the language-dependent cases
// would otherwise pass or fail for the wrong reason.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "framework/CommonControls.h"

int main(int argc, char** argv) {
    if (const char* expected = std::getenv("SETUP_EXPECT_LANGID")) {
        const unsigned long want = std::strtoul(expected, nullptr, 0);
        const unsigned got = GetSystemDefaultLangID();
        if (got != want) {
            std::printf("FAILED: the system reports language 0x%04X, this run is for 0x%04lX "
                        "(the locale setting did not reach Wine)\n", got, want);
            return 1;
        }
    }
    testing::InitGoogleTest(&argc, argv);
    EnableDialogControls();  // the progress page's control class
    return RUN_ALL_TESTS();
}
