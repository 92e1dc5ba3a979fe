// Path rules of the log file and of Events.log.
#include "logging/LogPath.h"

#include <gtest/gtest.h>

using namespace Zt;

TEST(LogPath, FileNamePartAsTheShellFindsIt) {
    EXPECT_EQ(FileNameOffset(L"C:\\dir\\svc.Log"), 7u);
    EXPECT_EQ(FileNameOffset(L"svc.Log"), 0u);
    EXPECT_EQ(FileNameOffset(L"C:svc.Log"), 2u);
    EXPECT_EQ(FileNameOffset(L"C:\\dir\\"), 3u) << "a trailing backslash belongs to the last name";
    EXPECT_EQ(FileNameOffset(L""), 0u);
}

TEST(LogPath, DefaultPathReplacesTheExecutablesExtension) {
    EXPECT_EQ(DefaultLogPath(L"C:\\bin\\svc.exe"), L"C:\\bin\\svc.Log");
    EXPECT_EQ(DefaultLogPath(L"C:\\bin\\svc"), L"C:\\bin\\svcLog");
    EXPECT_EQ(DefaultLogPath(L"C:\\my.dir\\svc"), L"C:\\my.dir\\svcLog")
        << "a directory's dot is no extension";
    EXPECT_EQ(DefaultLogPath(L""), L"Default.log");
}

TEST(LogPath, EventsLogPathIsWholeOrNone) {
    EXPECT_EQ(ComposeEventsLogPath(L"C:\\Vistral", 259), L"C:\\Vistral\\Diagnose\\Events.log");
    EXPECT_EQ(ComposeEventsLogPath(L"C:\\Vistral\\", 259), L"C:\\Vistral\\Diagnose\\Events.log");
    const std::wstring fits(259 - 20, L'd');
    ASSERT_EQ(ComposeEventsLogPath(fits, 259)->size(), 259u);
    EXPECT_FALSE(ComposeEventsLogPath(fits + L"d", 259).has_value());
}
