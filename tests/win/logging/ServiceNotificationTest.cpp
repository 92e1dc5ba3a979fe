// NotifyMsgBoxTmp end to end: the service-mode entry with "Mode" 1, the message box otherwise; and
// service-mode entries of two processes at once.
#include "ZtServiceMsg.h"
#include "frame/ServiceMode.h"
#include "logging/ServiceNotification.h"
#include "resource.h"
#include "win/ResourceModule.h"

#include "HelperProtocol.h"
#include "LoggingTestSupport.h"

#include <algorithm>
#include <functional>
#include <process.h>
#include <regex>

using namespace logging_test;
using namespace testing_support;

// The user's short date and time formats are pinned while a test runs, so that an entry's prefix
// can be matched exactly, and put back afterwards.
class ServiceNotification : public InstalledSuite {
protected:
    ServiceNotification() {
        win::SetResourceHandle(win::ThisModule());
        ::GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SSHORTDATE, m_date, 80);
        ::GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_STIMEFORMAT, m_time, 80);
        ::SetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SSHORTDATE, L"dd.MM.yyyy");
        ::SetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_STIMEFORMAT, L"HH:mm:ss");
    }
    ~ServiceNotification() override {
        ::SetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SSHORTDATE, m_date);
        ::SetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_STIMEFORMAT, m_time);
    }
    // Calls the export; a box that appears is read and closed from inside its loop.
    static SeenMessageBox Notify(UINT textId, UINT captionId, UINT style) {
        SeenMessageBox seen;
        ReadAndCloseNextMessageBox(seen);
        EXPECT_EQ(NotifyMsgBoxTmp(0x0407, textId, captionId, style, 0), 0);
        PumpMessages(250); // lets a timer that found nothing run out before the next call
        return seen;
    }
    TestRegistryKey m_controller{HKEY_LOCAL_MACHINE, kServiceControllerKey};
    wchar_t m_date[80] = {}, m_time[80] = {};
};

TEST_F(ServiceNotification, ModeOneWritesAnErrorEntryAndShowsNoWindow) {
    m_controller.SetNumber(L"Mode", 1);
    // The installation directory stored as REG_EXPAND_SZ is read as the string it is.
    m_setup.Set(L"Inst_Path", REG_EXPAND_SZ, Install().c_str(), (Install().size() + 1) * sizeof(wchar_t));
    EXPECT_FALSE(Notify(IDS_ERROR_OCCURRED, IDS_PROJECT_MANAGER, MB_OK | MB_ICONERROR).shown);
    EXPECT_FALSE(Notify(4711, 4712, MB_OK).shown) << "rows that do not exist";
    ReportServiceError(L"100% %s %n");

    const std::wstring texts[] = {L"Vistral Projektmanager - Ein Fehler ist aufgetreten.", L" - ",
                                  L"100% %s %n"};
    const RecordedEvent& event = m_recorder.events.at(0);
    EXPECT_TRUE(event.source == L"Ostrana Vistral Service" && event.type == EVENTLOG_ERROR_TYPE &&
                event.eventId == 0xC0020000u && event.category == 0 && event.hasUser);
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(m_recorder.events.at(i).strings, std::vector<std::wstring>{texts[i]}) << "literally";
        EXPECT_EQ(Bodies(EventsLog()).at(i), kErrorHead + texts[i]);
    }
    const std::wregex firstLine(L"zt_logging_tests\\.exe : \\d\\d\\.\\d\\d\\.\\d{4} \\d\\d:\\d\\d:\\d\\d : " +
                                (kErrorHead + texts[0]));
    EXPECT_TRUE(std::regex_match(Lines(ReadText(EventsLog())).at(0), firstLine));
}

TEST_F(ServiceNotification, AnyOtherSettingShowsTheMessageBox) {
    const BYTE eightBytes[8] = {1};
    const std::pair<const wchar_t*, std::function<void()>> cases[] = {
        {L"Mode 0", [this] { m_controller.SetNumber(L"Mode", 0); }},
        {L"Mode 2", [this] { m_controller.SetNumber(L"Mode", 2); }},
        {L"Mode 1 in 8 bytes", [&] { m_controller.Set(L"Mode", REG_BINARY, eightBytes, 8); }},
        {L"Mode absent", [] { ::RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, kServiceControllerKey, L"Mode"); }},
        {L"key absent", [] { ::SHDeleteKeyW(HKEY_LOCAL_MACHINE, kServiceControllerKey); }},
    };
    for (const auto& [what, set] : cases) {
        set();
        const SeenMessageBox box = Notify(IDS_ERROR_OCCURRED, IDS_PROJECT_MANAGER, MB_YESNO | MB_ICONWARNING);
        EXPECT_TRUE(box.shown && box.hasYes && box.hasNo) << what << ": the caller's buttons";
        EXPECT_EQ(box.title + L"|" + box.text, L"Vistral Projektmanager|Ein Fehler ist aufgetreten.") << what;
    }
    EXPECT_TRUE(m_recorder.events.empty());
    EXPECT_FALSE(FileExists(EventsLog()));
}

// Two processes notify at the same moment, each time on a missing Events.log.
TEST_F(ServiceNotification, TwoProcessesStartingTogetherOnAMissingEventsLogLoseAndTearNoEntry) {
    const std::wstring go = kGoSemaphore;
    const win::UniqueKernelHandle goA(::CreateSemaphoreW(nullptr, 0, 1, (go + L"A").c_str()));
    const win::UniqueKernelHandle goB(::CreateSemaphoreW(nullptr, 0, 1, (go + L"B").c_str()));
    const win::UniqueKernelHandle done(::CreateSemaphoreW(nullptr, 0, 2, kDoneSemaphore));
    const auto start = [](const wchar_t* tag) { // the helper program, for 100 notifications
        const intptr_t process = ::_wspawnl(_P_NOWAIT, (BinDirectory() + L"zt_logging_helper.exe").c_str(),
                                            L"zt_logging_helper", L"100", tag, nullptr);
        return win::UniqueKernelHandle(process == -1 ? nullptr : reinterpret_cast<HANDLE>(process));
    };
    const win::UniqueKernelHandle helpers[] = {start(L"A"), start(L"B")};
    int failed = 0;
    for (int round = 0; round < 100; ++round) {
        ::DeleteFileW(EventsLog().c_str());
        ::ReleaseSemaphore(goA.get(), 1, nullptr);
        ::ReleaseSemaphore(goB.get(), 1, nullptr);
        for (int helper = 0; helper < 2; ++helper)
            ASSERT_EQ(::WaitForSingleObject(done.get(), 10000), WAIT_OBJECT_0) << "round " << round;
        std::vector<std::wstring> bodies = Bodies(EventsLog());
        std::sort(bodies.begin(), bodies.end());
        const std::wstring number = L" " + std::to_wstring(round) + L" " + kFiller;
        failed +=
            bodies != std::vector<std::wstring>{kErrorHead + (L"A" + number), kErrorHead + (L"B" + number)};
    }
    for (const win::UniqueKernelHandle& helper : helpers) {
        DWORD code = 1; // STILL_ACTIVE (259) when it hangs; 1 when it never started
        ::WaitForSingleObject(helper.get(), 60000);
        EXPECT_TRUE(::GetExitCodeProcess(helper.get(), &code) && code == 0) << code;
    }
    EXPECT_EQ(failed, 0) << "rounds that lost or tore an entry";
}
