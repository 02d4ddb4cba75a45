// The dialog tests: the real templates and classes, driven with the messages their buttons send.
#include <gtest/gtest.h>

#include "framework/CommonControls.h"

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    EnableDialogControls();  // the progress page's control class
    return RUN_ALL_TESTS();
}
