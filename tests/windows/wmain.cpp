// The Windows test programs' entry point: with -municode they take their arguments as UTF-16.
#include <gtest/gtest.h>

#include <cstdio>

int wmain(int argc, wchar_t** argv) {
    // Unbuffered: a process ended from outside keeps what it said up to then.
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
