// The entry point of every Windows test program: COM in an apartment, as a host's UI thread has.
#include <gtest/gtest.h>
#include <objbase.h>

int wmain(int argc, wchar_t** argv) {
    ::OleInitialize(nullptr);
    ::testing::InitGoogleTest(&argc, argv);
    int result = RUN_ALL_TESTS();
    ::OleUninitialize();
    return result;
}
