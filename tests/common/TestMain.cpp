// Test main: every test binary runs inside the platform application, offscreen by default.
#include "platform/CApplication.h"

#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    testing::InitGoogleTest(&argc, argv);
    CApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
