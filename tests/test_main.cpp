#include "base/stowlark_app.h"

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    // A test program is its own module: this stands in for the library load.
    App().InitInstance();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
