// Zt::ZtEventLog and Zt::ZtGenericEventLogger: registration in the real registry, reports seen
// through a recorder, and once through the system's event log.
#include "logging/ZtEventLog.h"

#include "LoggingTestSupport.h"
#include "TestSupport.h"
#include "win/UniqueHandle.h"

#include <gtest/gtest.h>

#include <shlwapi.h>

using namespace logging_test;
using Zt::ZtGenericEventLogger;

namespace {

constexpr wchar_t kSource[] = L"ZtLoggingTests Source";
const std::wstring kSourceKey =
    L"SYSTEM\\CurrentControlSet\\Services\\Eventlog\\Application\\ZtLoggingTests Source";

class EventLog : public ::testing::Test {
protected:
    ~EventLog() override { RemoveKey(HKEY_LOCAL_MACHINE, kSourceKey); }
};

bool SamePath(const std::wstring& a, const std::wstring& b) {
    return ::lstrcmpiW(a.c_str(), b.c_str()) == 0;
}

} // namespace

TEST_F(EventLog, GenericLoggerRegistersTheSourceWithTheMessageFile) {
    ZtGenericEventLogger logger(kSource);
    EXPECT_STREQ(logger.GetSourceName(), kSource);
    EXPECT_STREQ(logger.GetLogName(), L"Application");
    std::wstring eventFile;
    std::wstring categoryFile;
    DWORD types = 0;
    DWORD categories = 0;
    ASSERT_TRUE(ReadString(HKEY_LOCAL_MACHINE, kSourceKey, L"EventMessageFile", eventFile));
    ASSERT_TRUE(ReadString(HKEY_LOCAL_MACHINE, kSourceKey, L"CategoryMessageFile", categoryFile));
    ASSERT_TRUE(ReadNumber(HKEY_LOCAL_MACHINE, kSourceKey, L"TypesSupported", types));
    ASSERT_TRUE(ReadNumber(HKEY_LOCAL_MACHINE, kSourceKey, L"CategoryCount", categories));
    const std::wstring expected = testing_support::BinDirectory() + L"ZtGenericEventLogx.dll";
    EXPECT_TRUE(SamePath(eventFile, expected)) << eventFile;
    EXPECT_TRUE(SamePath(categoryFile, expected)) << categoryFile;
    EXPECT_EQ(types, 7u);
    EXPECT_EQ(categories, 1u);

    EXPECT_TRUE(logger.UnregisterSourceInLog(kSource));
    EXPECT_FALSE(ReadNumber(HKEY_LOCAL_MACHINE, kSourceKey, L"TypesSupported", types));
}

TEST_F(EventLog, MessageFileShowsTheInsertionStringForEveryLevel) {
    win::UniqueModule messages(
        ::LoadLibraryExW((testing_support::BinDirectory() + L"ZtGenericEventLogx.dll").c_str(), nullptr,
                         LOAD_LIBRARY_AS_DATAFILE));
    ASSERT_TRUE(messages);
    for (DWORD id : {0x40020000u, 0x80020000u, 0xC0020000u, 0u}) {
        DWORD_PTR inserts[] = {reinterpret_cast<DWORD_PTR>(L"caption - text")};
        wchar_t text[128] = {};
        ASSERT_NE(::FormatMessageW(FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_ARGUMENT_ARRAY,
                                   messages.get(), id, 0, text, 128, reinterpret_cast<va_list*>(inserts)),
                  0u)
            << std::hex << id;
        EXPECT_STREQ(text, L"caption - text\r\n");
    }
}

TEST_F(EventLog, EachLevelReportsItsTypeAndIdentifier) {
    EventRecorder recorder;
    ZtGenericEventLogger logger(kSource);
    const BYTE data[] = {1, 2, 3};
    EXPECT_TRUE(logger.Info(L"info %d", 1));
    EXPECT_TRUE(logger.Warning(L"warning %d", 2));
    EXPECT_TRUE(logger.Error(L"error %d", 3));
    EXPECT_TRUE(logger.InfoData(data, 3, L"info data"));
    EXPECT_TRUE(logger.WarningData(data, 2, L"warning data"));
    EXPECT_TRUE(logger.ErrorData(data, 1, L"error data"));

    struct Expected {
        WORD type;
        DWORD id;
        const wchar_t* text;
        std::size_t dataSize;
    };
    const Expected expected[] = {{4, 0x40020000, L"info 1", 0},       {2, 0x80020000, L"warning 2", 0},
                                 {1, 0xC0020000, L"error 3", 0},      {4, 0x40020000, L"info data", 3},
                                 {2, 0x40020000, L"warning data", 2}, {1, 0x40020000, L"error data", 1}};
    ASSERT_EQ(recorder.Events().size(), 6u);
    for (std::size_t i = 0; i < 6; ++i) {
        const RecordedEvent& event = recorder.Events()[i];
        EXPECT_EQ(event.source, kSource);
        EXPECT_EQ(event.type, expected[i].type) << i;
        EXPECT_EQ(event.eventId, expected[i].id) << i;
        EXPECT_EQ(event.category, 0);
        EXPECT_TRUE(event.hasUser);
        EXPECT_EQ(event.strings, std::vector<std::wstring>{expected[i].text});
        EXPECT_EQ(event.data, std::vector<BYTE>(data, data + expected[i].dataSize));
    }
}

TEST_F(EventLog, TextsArriveLiterallyAndCutAt1023) {
    EventRecorder recorder;
    ZtGenericEventLogger logger(kSource);
    logger.Error(L"%ls", L"50% %s %n %d");
    const std::wstring longText(2000, L'q');
    logger.Error(L"%ls", longText.c_str());
    logger.Error(nullptr);
    ASSERT_EQ(recorder.Events().size(), 3u);
    EXPECT_EQ(recorder.Events()[0].strings[0], L"50% %s %n %d");
    EXPECT_EQ(recorder.Events()[1].strings[0], std::wstring(1023, L'q'));
    EXPECT_EQ(recorder.Events()[2].strings[0], L"");
}

TEST_F(EventLog, WithoutASourceNothingIsReported) {
    EventRecorder recorder;
    recorder.refuseSources = true;
    ZtGenericEventLogger logger(kSource);
    EXPECT_FALSE(logger.Error(L"lost"));
    EXPECT_TRUE(recorder.Events().empty());
}

TEST_F(EventLog, TheSystemEventLogAcceptsTheReports) {
    ZtGenericEventLogger logger(kSource);
    const BYTE data[] = {0xAB};
    EXPECT_TRUE(logger.Error(L"real %ls", L"report"));
    EXPECT_TRUE(logger.InfoData(data, 1, L"real data"));
}

TEST_F(EventLog, AMessageFileFoundNowhereLeavesEmptyValuesAndStillReports) {
    testing_support::TempDirectory alone;
    const std::wstring copy = alone.Path() + L"reporter.exe";
    ASSERT_TRUE(::CopyFileW(HelperPath().c_str(), copy.c_str(), FALSE));
    EXPECT_EQ(RunHelper(L"report \"ZtLoggingTests Source\"", alone.Path(), copy), 0u);
    std::wstring eventFile = L"unset";
    std::wstring categoryFile = L"unset";
    ASSERT_TRUE(ReadString(HKEY_LOCAL_MACHINE, kSourceKey, L"EventMessageFile", eventFile));
    ASSERT_TRUE(ReadString(HKEY_LOCAL_MACHINE, kSourceKey, L"CategoryMessageFile", categoryFile));
    EXPECT_EQ(eventFile, L"");
    EXPECT_EQ(categoryFile, L"");
    // The helper found no Inst_Path and wrote beside itself.
    ::DeleteFileW((alone.Path() + L"reporter.Log").c_str());
}
