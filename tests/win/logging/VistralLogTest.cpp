// CVistralLog and its event source: where Events.log goes, the words of its entries, the event
// reports, and the registration of the source.
#include "logging/VistralLog.h"

#include "LoggingTestSupport.h"

#include <functional>

using namespace logging_test;

using VistralLog = InstalledSuite;
constexpr wchar_t kSource[] = L"Ostrana Vistral Service";

TEST_F(VistralLog, EachLevelWritesItsWordsDumpAndEvent) {
    const std::uint8_t block[] = {0x00, 0x1F, 0x20, 0x7E, 0x7F, 0x80, 0xFF, 'A', 'B',
                                  'C',  'D',  'E',  'F',  'G',  'H',  'I',  'J'};
    {
        CVistralLog log(kSource);
        log.Info(L"i%d", 1);
        log.Warning(L"w");
        log.Error(L"e");
        log.InfoData(block, 0, L"none");
        log.WarningData(block, 16, L"sixteen");
        log.ErrorData(block, 17, L"seventeen");
        log.ErrorData(nullptr, 5, L"null");
    }
    const std::wstring row = L"<short>00 1F 20 7E 7F 80 FF 41 42 43 44 45 46 47 48 49 \t\t.. ~...ABCDEFGHI";
    const std::wstring head = L"Ostrana Vistral Service: ";
    EXPECT_EQ(Bodies(EventsLog()),
              (std::vector<std::wstring>{head + L"Info   :\ti1", head + L"Warning:\tw", head + L"Error  :\te",
                                         head + L"Info   :\tnone", L"<short>", head + L"Warning:\tsixteen",
                                         row, head + L"Error  :\tseventeen", row, L"<short>4A \t\tJ",
                                         head + L"Error  :\tnull"}));
    // Type, event ID and data bytes (a start of the block) of each report.
    std::vector<std::wstring> reported;
    for (const RecordedEvent& event : m_recorder.events) {
        const bool fromBlock = std::equal(event.data.begin(), event.data.end(), block);
        reported.push_back(std::to_wstring(event.type) + L" " + std::to_wstring(event.eventId >> 16) + L" " +
                           std::to_wstring(fromBlock ? event.data.size() : 999));
    }
    EXPECT_EQ(reported, (std::vector<std::wstring>{L"4 16386 0", L"2 32770 0", L"1 49154 0", L"4 16386 0",
                                                   L"2 16386 16", L"1 16386 17", L"1 16386 0"}))
        << "event IDs 0x40020000, 0x80020000, 0xC0020000 by their upper half";
    EXPECT_EQ(m_recorder.events.at(0).strings, std::vector<std::wstring>{L"i1"});
    std::wstring registered;
    for (const wchar_t* name :
         {L"EventMessageFile", L"CategoryMessageFile", L"TypesSupported", L"CategoryCount"})
        registered +=
            ReadValue(HKEY_LOCAL_MACHINE, kApplicationLog + (L"\\" + std::wstring(kSource)), name) + L"|";
    const std::wstring file = testing_support::BinDirectory() + L"ZtGenericEventLogx.dll";
    EXPECT_EQ(registered, file + L"|" + file + L"|7|1|");
}

TEST_F(VistralLog, TextsArriveLiterallyWholeInTheFileAndCutInTheEvent) {
    const std::wstring longText(2000, L'q');
    m_recorder.refuseSources = true;
    EXPECT_FALSE(CVistralLog(L"50% %s Source").Error(L"%ls", L"100% %s %n")) << "no event without a source";
    m_recorder.refuseSources = false;
    CVistralLog(kSource).Error(L"%ls", longText.c_str());
    EXPECT_EQ(Bodies(EventsLog()),
              (std::vector<std::wstring>{L"50% %s Source: Error  :\t100% %s %n", kErrorHead + longText}));
    // The only event, from the source that could be had.
    EXPECT_EQ(m_recorder.events.at(0).strings, std::vector<std::wstring>{longText.substr(0, 1023)});
    ::SHDeleteKeyW(HKEY_LOCAL_MACHINE, (kApplicationLog + std::wstring(L"\\50% %s Source")).c_str());
}

TEST_F(VistralLog, UnusableInstallationPathsFallBackToTheDefaultLog) {
    // Short enough to exist, too long for Diagnose\Events.log within the classic limit.
    const std::wstring longDir = m_temp.Path() + std::wstring(245 - m_temp.Path().size(), L'l');
    ::CreateDirectoryW(longDir.c_str(), nullptr);
    const std::pair<const wchar_t*, std::function<void()>> cases[] = {
        {L"no value", [] {}},
        {L"a number", [this] { m_setup.SetNumber(L"Inst_Path", 1); }},
        {L"no such directory", [this] { m_setup.SetString(L"Inst_Path", m_temp.Path() + L"missing"); }},
        {L"%TEMP%, not expanded", [this] { m_setup.Set(L"Inst_Path", REG_EXPAND_SZ, L"%TEMP%", 16); }},
        {L"too long for Events.log", [&] { m_setup.SetString(L"Inst_Path", longDir); }},
    };
    for (const auto& [what, set] : cases) {
        ::RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, kSetupKey, L"Inst_Path");
        set();
        CVistralLog log(kSource);
        // The name as written, "Log" included: the file system would find the file in any case.
        EXPECT_EQ(std::wstring(log.GetPath()), DefaultLog()) << what;
        log.Error(L"%ls", what);
        EXPECT_EQ(Bodies(DefaultLog()).back(), kErrorHead + std::wstring(what)) << "beside the host";
    }
    EXPECT_FALSE(FileExists(longDir + L"\\Diagnose")) << "nothing is made for a path that was refused";
    ::RemoveDirectoryW(longDir.c_str());
}

TEST_F(VistralLog, SourceNamesThatNameNoSingleSourceAreRefused) {
    TestRegistryKey other(HKEY_LOCAL_MACHINE, kApplicationLog + std::wstring(L"\\ZtLoggingTests Other"));
    other.SetNumber(L"TypesSupported", 7);
    Zt::ZtEventLog log;
    for (const wchar_t* source : {static_cast<const wchar_t*>(nullptr), L"", L"\\", L"a\\b"})
        EXPECT_FALSE(log.UnregisterSource(L"Application", source) ||
                     log.RegisterSource(nullptr, source, L"x.dll", nullptr, 7, 1));
    EXPECT_FALSE(log.UnregisterKey(L"\\\\"));
    CVistralLog(L"").Error(L"no source");
    EXPECT_EQ(ReadValue(HKEY_LOCAL_MACHINE, other.Path(), L"TypesSupported"), L"7")
        << "the other source stays";
    EXPECT_EQ(ReadValue(HKEY_LOCAL_MACHINE, kApplicationLog, L"TypesSupported"), L"<none>")
        << "nothing is written onto the log's own key";
}
