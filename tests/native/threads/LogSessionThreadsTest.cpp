// The viewer's log session: one job at a time, whose end reaches the viewer's thread once, with
// what it was for, and only after every record it filed has joined the windows; a save's hold
// and a start over decide what may run.
#include "viewer/session/LogSession.h"
#include "FakeFiles.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>

using namespace record_store_test;
using viewer::JobPurpose;
using viewer::LogSession;

namespace {

std::string HostLines(int count) {
    std::string text;
    for (int i = 0; i < count; ++i)
        text += "01.01.2026 08:00:00   Host=\"PC" + std::to_string(i % 7) + "\" Traceclass=\"1\" Text=\"" +
                std::to_string(i) + "\"\r\n";
    return text;
}

struct Session : ::testing::Test {
    FakeFiles files;
    FakeFile& file = files.Make(L"Events.log", HostLines(30000));
    std::atomic<int> woken{0};
    LogSession session{std::make_unique<diagnose::LogIndex>(files, diagnose::TextDecoder{})};
    int incompleteSteps = 0;
    Session() {
        session.Index().SetPath(L"Events.log");
        session.SetWake([this] { ++woken; });
    }
    // The viewer's thread: takes in two groups' records a dispatch until the end is delivered.
    viewer::JobEnd Deliver() {
        for (;;) {
            session.Gate()->Lock();
            session.CollectEnd();
            const viewer::RecordIntake::Step step = session.Intake().Take(session.Index(), 2);
            incompleteSteps += !step.complete;
            EXPECT_FALSE(session.DeliverEnd(false)) << "not while records wait to join";
            std::optional<viewer::JobEnd> end = session.DeliverEnd(step.complete);
            session.Gate()->Unlock();
            if (end)
                return *end;
        }
    }
};

TEST_F(Session, AJobsEndComesOnceWithItsPurposeAfterItsRecordsHaveJoined) {
    ASSERT_TRUE(session.Start(JobPurpose::Load));
    EXPECT_FALSE(session.Start(JobPurpose::Refresh)) << "one job at a time";
    EXPECT_FALSE(session.StartTask(JobPurpose::Sort, [] {}));
    const viewer::JobEnd loaded = Deliver();
    EXPECT_EQ(loaded.purpose, JobPurpose::Load);
    EXPECT_EQ(session.Intake().Shown(), 30000u);
    EXPECT_GT(incompleteSteps, 0) << "seven computers join two a dispatch";
    EXPECT_FALSE(session.DeliverEnd(true)) << "delivered once";
    EXPECT_FALSE(session.LoadEnded(loaded.outcome)) << "a first load reads nothing again";

    session.HoldForSave(true); // a save's thread reads the index
    EXPECT_FALSE(session.Start(JobPurpose::Refresh));
    session.HoldForSave(false);
    file.bytes += HostLines(5);
    ASSERT_TRUE(session.StartTask(JobPurpose::Marks, [] {}));
    EXPECT_EQ(Deliver().purpose, JobPurpose::Marks);
    ASSERT_TRUE(session.Start(JobPurpose::Refresh));
    EXPECT_EQ(Deliver().outcome.state, diagnose::LogIndex::FileState::Grown);
    EXPECT_EQ(session.Intake().Shown(), 30005u);
    EXPECT_EQ(woken, 3);
}

TEST_F(Session, AStartOverStopsTheLoadAndTheWindowsBeginAgainFromAnEmptyIndex) {
    ASSERT_TRUE(session.Start(JobPurpose::Load));
    while (session.Gate()->Lock(), session.Index().RecordCount() == 0)
        session.Gate()->Unlock();
    session.StartOver(); // from a message, under the gate
    session.Gate()->Unlock();
    EXPECT_EQ(session.Index().RecordCount(), 0u);
    EXPECT_TRUE(session.Intake().UpToDate(session.Index()));
    EXPECT_FALSE(session.Job()) << "the stopped load's end is never delivered";
    ASSERT_TRUE(session.Start(JobPurpose::Load));
    const viewer::JobEnd reloaded = Deliver();
    EXPECT_TRUE(session.LoadEnded(reloaded.outcome)) << "the windows select what they showed before";
    EXPECT_EQ(session.Intake().Shown(), 30000u);
    session.End();
    EXPECT_FALSE(session.Start(JobPurpose::Look)) << "nothing starts once it ends";
}

} // namespace
