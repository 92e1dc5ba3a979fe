// CVistralLog: where Events.log goes, the exact bytes of its entries, and the event reports.
#include "logging/VistralLog.h"

#include "LoggingTestSupport.h"
#include "PinnedLocale.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <functional>

using namespace logging_test;
using testing_support::TempDirectory;

namespace {

const std::wstring kSetupKey = L"Software\\Morvane\\Vistral\\Setup";
constexpr wchar_t kSource[] = L"Ostrana Vistral Service";
const std::wstring kSourceKey =
    L"SYSTEM\\CurrentControlSet\\Services\\Eventlog\\Application\\Ostrana Vistral Service";

std::wstring DefaultLogPath() {
    wchar_t program[MAX_PATH] = {};
    const DWORD length = ::GetModuleFileNameW(nullptr, program, MAX_PATH);
    return std::wstring(program, length - 3) + L"Log";
}

class VistralLog : public ::testing::Test {
protected:
    VistralLog() : m_setup(HKEY_LOCAL_MACHINE, kSetupKey) { ::DeleteFileW(DefaultLogPath().c_str()); }
    ~VistralLog() override {
        ::DeleteFileW(DefaultLogPath().c_str());
        ::DeleteFileW(EventsLog().c_str());
        ::RemoveDirectoryW((m_install.Path() + L"Diagnose").c_str());
        RemoveKey(HKEY_LOCAL_MACHINE, kSourceKey);
    }
    std::wstring EventsLog() const { return m_install.Path() + L"Diagnose\\Events.log"; }
    // The part of each line after "<program> : <date> <time> : "; lines without that prefix
    // (dump lines) are marked "<short>".
    std::vector<std::wstring> Bodies(const std::wstring& path) const {
        std::vector<std::wstring> bodies;
        const std::wstring program = ProgramName() + L" : ";
        for (const std::wstring& line : Lines(ReadText(path))) {
            const std::size_t separator = line.find(L" : ", program.size());
            if (line.compare(0, program.size(), program) != 0 || separator == std::wstring::npos)
                bodies.push_back(L"<short>" + line);
            else
                bodies.push_back(line.substr(separator + 3));
        }
        return bodies;
    }

    TestRegistryKey m_setup;
    TempDirectory m_install;
    EventRecorder m_recorder;
};

} // namespace

TEST_F(VistralLog, AnErrorEntryIsOneExactLineAndOneErrorEvent) {
    PinnedDateTimeFormat pinned;
    m_setup.SetString(L"Inst_Path", m_install.Path());
    {
        CVistralLog log(kSource);
        EXPECT_EQ(std::wstring(log.GetPath()), EventsLog());
        EXPECT_TRUE(log.Error(L"abc"));
    }
    const std::vector<BYTE> bytes = ReadBytes(EventsLog());
    ASSERT_GE(bytes.size(), 2u);
    EXPECT_FALSE(bytes[0] == 0xFF && bytes[1] == 0xFE) << "no byte-order mark";
    const std::wstring text = ReadText(EventsLog());
    const std::wstring head = ProgramName() + L" : ";
    ASSERT_EQ(text.substr(0, head.size()), head);
    EXPECT_TRUE(PinnedDateTimeFormat::IsTimeStampOfToday(text.substr(head.size(), 19))) << text;
    EXPECT_EQ(text.substr(head.size() + 19), L" : Ostrana Vistral Service: Error  :\tabc\r\n");

    ASSERT_EQ(m_recorder.Events().size(), 1u);
    const RecordedEvent& event = m_recorder.Events()[0];
    EXPECT_EQ(event.source, kSource);
    EXPECT_EQ(event.type, EVENTLOG_ERROR_TYPE);
    EXPECT_EQ(event.eventId, 0xC0020000u);
    EXPECT_EQ(event.category, 0);
    EXPECT_TRUE(event.hasUser);
    EXPECT_EQ(event.strings, std::vector<std::wstring>{L"abc"});
    EXPECT_TRUE(event.data.empty());
}

TEST_F(VistralLog, LevelsDataAndHexDumps) {
    m_setup.SetString(L"Inst_Path", m_install.Path());
    std::vector<std::uint8_t> block(17);
    for (std::size_t i = 0; i < block.size(); ++i)
        block[i] = static_cast<std::uint8_t>(0x41 + i);
    block[16] = 0x01;
    {
        CVistralLog log(kSource);
        log.Info(L"i%d", 1);
        log.Warning(L"w");
        log.InfoData(block.data(), 0, L"none");
        log.WarningData(block.data(), 16, L"sixteen");
        log.ErrorData(block.data(), 17, L"seventeen");
        log.ErrorData(nullptr, 5, L"null");
    }
    const std::vector<std::wstring> expected = {
        L"Ostrana Vistral Service: Info   :\ti1",
        L"Ostrana Vistral Service: Warning:\tw",
        L"Ostrana Vistral Service: Info   :\tnone",
        L"<short>",
        L"Ostrana Vistral Service: Warning:\tsixteen",
        L"<short>41 42 43 44 45 46 47 48 49 4A 4B 4C 4D 4E 4F 50 \t\tABCDEFGHIJKLMNOP",
        L"Ostrana Vistral Service: Error  :\tseventeen",
        L"<short>41 42 43 44 45 46 47 48 49 4A 4B 4C 4D 4E 4F 50 \t\tABCDEFGHIJKLMNOP",
        L"<short>01 \t\t.",
        L"Ostrana Vistral Service: Error  :\tnull",
    };
    EXPECT_EQ(Bodies(EventsLog()), expected);

    ASSERT_EQ(m_recorder.Events().size(), 6u);
    const DWORD ids[] = {0x40020000, 0x80020000, 0x40020000, 0x40020000, 0x40020000, 0x40020000};
    const WORD types[] = {4, 2, 4, 2, 1, 1};
    const std::size_t sizes[] = {0, 0, 0, 16, 17, 0};
    for (std::size_t i = 0; i < 6; ++i) {
        EXPECT_EQ(m_recorder.Events()[i].eventId, ids[i]) << i;
        EXPECT_EQ(m_recorder.Events()[i].type, types[i]) << i;
        EXPECT_EQ(m_recorder.Events()[i].data.size(), sizes[i]) << i;
    }
}

TEST_F(VistralLog, UnusableInstallationPathsFallBackToTheDefaultLog) {
    struct Case {
        const wchar_t* what;
        std::function<void()> set;
    };
    // Short enough to exist, too long for the Diagnose directory and Events.log within the classic limit.
    const std::wstring longDir = m_install.Path() + std::wstring(245 - m_install.Path().size(), L'l');
    ASSERT_TRUE(::CreateDirectoryW(longDir.c_str(), nullptr));
    const Case cases[] = {
        {L"no value", [] {}},
        {L"a number", [this] { m_setup.SetNumber(L"Inst_Path", 1); }},
        {L"no such directory", [this] { m_setup.SetString(L"Inst_Path", m_install.Path() + L"missing"); }},
        {L"a file",
         [this] {
             WriteBytes(m_install.Path() + L"file", {1});
             m_setup.SetString(L"Inst_Path", m_install.Path() + L"file");
         }},
        {L"too long for Events.log", [&] { m_setup.SetString(L"Inst_Path", longDir); }},
    };
    for (const Case& c : cases) {
        c.set();
        {
            CVistralLog log(kSource);
            EXPECT_EQ(std::wstring(log.GetPath()), DefaultLogPath()) << c.what;
            log.Error(L"%ls", c.what);
        }
        EXPECT_EQ(Bodies(DefaultLogPath()).back(),
                  std::wstring(L"Ostrana Vistral Service: Error  :\t") + c.what);
        m_setup.SetString(L"Inst_Path", L"");
        ::RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, kSetupKey.c_str(), L"Inst_Path");
    }
    EXPECT_FALSE(FileExists(longDir + L"\\Diagnose")) << "nothing is made for a path that was refused";
    ::DeleteFileW((m_install.Path() + L"file").c_str());
    ::RemoveDirectoryW(longDir.c_str());

    RemoveKey(HKEY_LOCAL_MACHINE, kSetupKey);
    CVistralLog withoutKey(kSource);
    EXPECT_EQ(std::wstring(withoutKey.GetPath()), DefaultLogPath());
}

TEST_F(VistralLog, NonAnsiInstallationDirectoriesWork) {
    const std::wstring install = m_install.Path() + L"\u03a9\u4e2d";
    ASSERT_TRUE(::CreateDirectoryW(install.c_str(), nullptr));
    m_setup.SetString(L"Inst_Path", install);
    {
        CVistralLog log(kSource);
        log.Error(L"x");
    }
    const std::wstring events = install + L"\\Diagnose\\Events.log";
    EXPECT_EQ(Bodies(events), std::vector<std::wstring>{L"Ostrana Vistral Service: Error  :\tx"});
    ::DeleteFileW(events.c_str());
    ::RemoveDirectoryW((install + L"\\Diagnose").c_str());
    ::RemoveDirectoryW(install.c_str());
}

TEST_F(VistralLog, WithoutAnEventSourceTheFileIsStillWrittenAndSourceNamesAreText) {
    m_setup.SetString(L"Inst_Path", m_install.Path());
    m_recorder.refuseSources = true;
    {
        CVistralLog log(L"50% %s Source");
        EXPECT_FALSE(log.Error(L"file only"));
    }
    EXPECT_EQ(Bodies(EventsLog()), std::vector<std::wstring>{L"50% %s Source: Error  :\tfile only"});
    RemoveKey(HKEY_LOCAL_MACHINE,
              L"SYSTEM\\CurrentControlSet\\Services\\Eventlog\\Application\\50% %s Source");
}
