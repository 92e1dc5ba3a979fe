// NotifyMsgBoxTmp end to end: the service-mode entry with "Mode" 1, the message box otherwise.
#include "ZtServiceMsg.h"
#include "frame/ServiceMode.h"
#include "logging/ServiceNotification.h"
#include "resource.h"
#include "win/ResourceModule.h"

#include "LoggingTestSupport.h"
#include "PinnedLocale.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <functional>

using namespace logging_test;
using namespace testing_support;

namespace {

const std::wstring kSetupKey = L"Software\\Morvane\\Vistral\\Setup";

// Calls the export; a box that appears is read and closed from inside its loop.
SeenMessageBox Notify(UINT style) {
    SeenMessageBox seen;
    ReadAndCloseNextMessageBox(seen);
    EXPECT_EQ(NotifyMsgBoxTmp(0x0407, IDS_ERROR_OCCURRED, IDS_PROJECT_MANAGER, style, 0), 0);
    // Lets a timer that found nothing run out before the next call.
    PumpMessages(250);
    return seen;
}

class ServiceNotification : public ::testing::Test {
protected:
    ServiceNotification()
        : m_controller(HKEY_LOCAL_MACHINE, kServiceControllerKey), m_setup(HKEY_LOCAL_MACHINE, kSetupKey) {
        m_setup.SetString(L"Inst_Path", m_install.Path());
        win::SetResourceHandle(win::ThisModule());
    }
    ~ServiceNotification() override {
        ::DeleteFileW(EventsLog().c_str());
        ::RemoveDirectoryW((m_install.Path() + L"Diagnose").c_str());
        RemoveKey(HKEY_LOCAL_MACHINE,
                  L"SYSTEM\\CurrentControlSet\\Services\\Eventlog\\Application\\Ostrana Vistral Service");
    }
    std::wstring EventsLog() const { return m_install.Path() + L"Diagnose\\Events.log"; }

    TestRegistryKey m_controller;
    TestRegistryKey m_setup;
    TempDirectory m_install;
    EventRecorder m_recorder;
};

} // namespace

TEST_F(ServiceNotification, ModeOneWritesAnErrorEntryAndShowsNoWindow) {
    PinnedDateTimeFormat pinned;
    m_controller.SetNumber(L"Mode", 1);
    const SeenMessageBox box = Notify(MB_OK | MB_ICONERROR);
    EXPECT_FALSE(box.shown);

    ASSERT_EQ(m_recorder.Events().size(), 1u);
    const RecordedEvent& event = m_recorder.Events()[0];
    EXPECT_EQ(event.source, L"Ostrana Vistral Service");
    EXPECT_EQ(event.type, EVENTLOG_ERROR_TYPE);
    EXPECT_EQ(event.eventId, 0xC0020000u);
    EXPECT_EQ(event.category, 0);
    EXPECT_TRUE(event.hasUser);
    EXPECT_EQ(event.strings,
              std::vector<std::wstring>{L"Vistral Projektmanager - Ein Fehler ist aufgetreten."});

    const std::wstring text = ReadText(EventsLog());
    const std::wstring head = ProgramName() + L" : ";
    ASSERT_EQ(text.substr(0, head.size()), head) << text;
    EXPECT_TRUE(PinnedDateTimeFormat::IsTimeStampOfToday(text.substr(head.size(), 19))) << text;
    EXPECT_EQ(
        text.substr(head.size() + 19),
        L" : Ostrana Vistral Service: Error  :\tVistral Projektmanager - Ein Fehler ist aufgetreten.\r\n");
}

TEST_F(ServiceNotification, AnyOtherSettingShowsTheMessageBox) {
    struct Case {
        const wchar_t* what;
        std::function<void()> set;
    };
    const Case cases[] = {
        {L"Mode 0", [this] { m_controller.SetNumber(L"Mode", 0); }},
        {L"Mode 2", [this] { m_controller.SetNumber(L"Mode", 2); }},
        {L"Mode 1 in 8 bytes",
         [this] {
             m_controller.SetBinary(L"Mode", {1, 0, 0, 0, 0, 0, 0, 0});
         }},
        {L"Mode absent", [] { ::RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, kServiceControllerKey, L"Mode"); }},
        {L"key absent", [] { RemoveKey(HKEY_LOCAL_MACHINE, kServiceControllerKey); }},
    };
    for (const Case& c : cases) {
        c.set();
        const SeenMessageBox box = Notify(MB_YESNO | MB_ICONWARNING);
        EXPECT_TRUE(box.shown) << c.what;
        EXPECT_EQ(box.title, L"Vistral Projektmanager") << c.what;
        EXPECT_EQ(box.text, L"Ein Fehler ist aufgetreten.") << c.what;
        EXPECT_TRUE(box.hasYes && box.hasNo) << c.what << ": the caller's buttons";
    }
    EXPECT_TRUE(m_recorder.Events().empty());
    EXPECT_FALSE(FileExists(EventsLog()));
}

TEST_F(ServiceNotification, PercentSignsAndMissingRowsReachBothPlacesAsTheyAre) {
    m_controller.SetNumber(L"Mode", 1);
    ReportServiceError(L"Load 100% - %s %d %n");
    EXPECT_EQ(NotifyMsgBoxTmp(0x0407, 4711, 4712, MB_OK, 0), 0);
    ASSERT_EQ(m_recorder.Events().size(), 2u);
    EXPECT_EQ(m_recorder.Events()[0].strings[0], L"Load 100% - %s %d %n");
    EXPECT_EQ(m_recorder.Events()[1].strings[0], L" - ");
    const std::vector<std::wstring> lines = Lines(ReadText(EventsLog()));
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].substr(lines[0].find(L"Ostrana")),
              L"Ostrana Vistral Service: Error  :\tLoad 100% - %s %d %n");
    EXPECT_EQ(lines[1].substr(lines[1].find(L"Ostrana")), L"Ostrana Vistral Service: Error  :\t - ");
}
