#include <gtest/gtest.h>

// -municode: the test programs take their arguments as UTF-16.
int wmain(int argc, wchar_t** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
