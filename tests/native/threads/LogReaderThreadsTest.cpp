// The viewer's reading thread files into the index a step at a time while the viewer's thread
// reads it between steps: whatever the viewer's thread sees under the gate is whole. A stop ends
// a job within a step even while the viewer's thread holds the gate, and a failure on the
// thread comes back as the job's outcome. The gate lets a viewer's thread that waits in first,
// and a loop of ours that opens it, with a paint's hold before, in or after it, gives it back as
// it found it.
#include "viewer/reading/LogReader.h"
#include "viewer/RecordsText.h"
#include "viewer/find/MarkingSteps.h"
#include "viewer/save/SaveJob.h"
#include "FakeFiles.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cctype>
#include <chrono>
#include <future>
#include <memory>
#include <new>
#include <stdexcept>

using namespace record_store_test;
using diagnose::LogIndex;
using diagnose::ReadResult;
using viewer::IndexGate;
using viewer::LogReader;

namespace {

constexpr int kLines = 40000;

std::string Lines(int from, int count) {
    std::string text;
    for (int i = from; i < from + count; ++i)
        text += "01.01.2026 08:00:00   Host=\"PC" + std::to_string(i % 7) + "\" Traceclass=\"" +
                std::to_string(i % 3) + "\" Text=\"line " + std::to_string(i) + "\"\r\n";
    return text;
}

// Under the gate: every record is whole and stands in its group's list.
void ExpectWhole(const LogIndex& index, diagnose::RecordId from) {
    size_t listed = 0;
    for (const auto& [host, classes] : index.GetByHost())
        for (const auto& [traceClass, list] : classes)
            listed += list->size();
    ASSERT_EQ(listed, index.RecordCount());
    for (diagnose::RecordId id = from; id < index.RecordCount(); ++id)
        ASSERT_EQ(index.GetHost(id), L"PC" + std::to_wstring(id % 7)) << id;
}

// Takes the ended job's outcome as the viewer's thread does, reading what was filed meanwhile.
LogReader::Outcome Watch(LogReader& reader, IndexGate& gate, const LogIndex& index) {
    for (diagnose::RecordId seen = 0;;) {
        gate.Lock();
        ExpectWhole(index, seen);
        seen = index.RecordCount();
        std::optional<LogReader::Outcome> outcome = reader.TakeOutcome();
        gate.Unlock();
        if (outcome)
            return *outcome;
        std::this_thread::yield();
    }
}

struct Reading : ::testing::Test {
    FakeFiles files;
    FakeFile& file = files.Make(L"Events.log", Lines(0, kLines));
    LogIndex index{files, {}};
    IndexGate gate;
    std::atomic<int> woken{0};
    Reading() { index.SetPath(L"Events.log"); }
};

TEST_F(Reading, TheViewersThreadSeesWholeStepsAndALoadThatWasStoppedStartsAgain) {
    LogReader reader(index, gate, [&] { ++woken; });
    ASSERT_TRUE(reader.Start(LogReader::Job::Load));
    EXPECT_FALSE(reader.Start(LogReader::Job::Refresh)) << "one job at a time";
    // Stopped while the viewer's thread holds the gate, as a close from a message does.
    while (gate.Lock(), index.RecordCount() == 0)
        gate.Unlock();
    reader.Stop();
    gate.Unlock();
    EXPECT_FALSE(reader.Busy());
    EXPECT_FALSE(reader.TakeOutcome()) << "a stopped job's outcome is dropped";
    EXPECT_LT(index.RecordCount(), static_cast<size_t>(kLines));

    index.Clear();
    ASSERT_TRUE(reader.Start(LogReader::Job::Load));
    const LogReader::Outcome loaded = Watch(reader, gate, index);
    EXPECT_EQ(loaded.result.status, ReadResult::Complete);
    EXPECT_EQ(index.RecordCount(), static_cast<size_t>(kLines));

    file.bytes += Lines(kLines, 10);
    ASSERT_TRUE(reader.Start(LogReader::Job::Refresh));
    const LogReader::Outcome refreshed = Watch(reader, gate, index);
    EXPECT_EQ(refreshed.state, LogIndex::FileState::Grown);
    EXPECT_EQ(refreshed.result.firstNew, static_cast<diagnose::RecordId>(kLines));
    EXPECT_EQ(index.RecordCount(), static_cast<size_t>(kLines + 10));
    EXPECT_EQ(woken, 2) << "one wake-up for each job that ended, none for the stopped one";
}

TEST_F(Reading, AFailureOnTheThreadIsTheJobsOutcomeAndWhatWasFiledStays) {
    for (bool outOfMemory : {false, true}) {
        index.Clear();
        file.beforeRead = [outOfMemory](uint64_t offset) {
            if (offset > 0 && outOfMemory)
                throw std::bad_alloc();
            if (offset > 0)
                throw std::runtime_error("a driver's failure");
        };
        LogReader reader(index, gate, [] {});
        ASSERT_TRUE(reader.Start(LogReader::Job::Load));
        const LogReader::Outcome outcome = Watch(reader, gate, index);
        EXPECT_EQ(outcome.result.status, outOfMemory ? ReadResult::OutOfMemory : ReadResult::ReadFailed);
        EXPECT_LT(index.RecordCount(), static_cast<size_t>(kLines));
    }
}

// A search on the reading thread marks a step at a time under the gate: the viewer's thread sees
// whole steps, a stop leaves the marks made so far, the next search goes on from there.
TEST_F(Reading, ASearchOnTheThreadStepsUnderTheGateAndAStopKeepsWhatItMarked) {
    LogReader reader(index, gate, [] {});
    ASSERT_TRUE(reader.Start(LogReader::Job::Load));
    ASSERT_EQ(Watch(reader, gate, index).result.status, ReadResult::Complete);
    const viewer::CharacterTables tables = viewer::CharacterTables::Ascii();
    const viewer::TextMatcher matcher(L"line 7", false, true, tables);
    viewer::MatchMarks marks;
    int steps = 0, stopAt = 3; // the reading thread's alone while it searches
    const auto search = [&] {
        for (;; ++steps) {
            if (steps == stopAt)
                gate.Stop(); // as the viewer's thread does between two steps
            const diagnose::GatedStep step(&gate);
            if (marks.Size() == index.RecordCount() ||
                marks.Update(index, index.Source(), matcher, 1000) != diagnose::Recheck::Same)
                return;
        }
    };
    auto expectMarked = [&] {
        for (diagnose::RecordId id = 0; id < marks.Size(); ++id)
            ASSERT_EQ(marks.Marked(id), id == 7) << id;
    };
    ASSERT_TRUE(reader.StartTask(search));
    while (reader.Busy())
        std::this_thread::yield();
    EXPECT_FALSE(reader.TakeOutcome()) << "a stopped search's outcome is dropped";
    reader.Stop(); // lets the gate go again
    EXPECT_EQ(marks.Size(), 3000u) << "the steps made before the stop";
    expectMarked();

    stopAt = -1;
    ASSERT_TRUE(reader.StartTask(search));
    std::optional<LogReader::Outcome> searched;
    while (!searched) { // the viewer's thread, under the gate, sees whole steps
        gate.Lock();
        ASSERT_EQ(marks.Size() % 1000, 0u);
        searched = reader.TakeOutcome();
        gate.Unlock();
    }
    EXPECT_EQ(searched->result.status, ReadResult::Complete);
    EXPECT_EQ(marks.Size(), static_cast<size_t>(kLines));
    expectMarked();

    ASSERT_TRUE(reader.StartTask([] { throw std::bad_alloc(); }));
    EXPECT_EQ(Watch(reader, gate, index).result.status, ReadResult::OutOfMemory);
}

// The viewer's thread never waits for a search's read: it paints while the lines are read, and a
// search it changes meanwhile starts over instead of taking in a look of the old one.
TEST_F(Reading, ASearchReadsOutsideTheGateAndOneChangedMeanwhileIsNotMixedIn) {
    LogReader reader(index, gate, [] {});
    ASSERT_TRUE(reader.Start(LogReader::Job::Load));
    ASSERT_EQ(Watch(reader, gate, index).result.status, ReadResult::Complete);
    const viewer::CharacterTables tables = viewer::CharacterTables::Ascii();
    std::wstring text = L"line 7";
    viewer::MatchMarks marks;
    int reads = 0, letIn = 0;
    std::vector<std::future<void>> viewer; // ended when the search has
    file.beforeRead = [&](uint64_t) {
        viewer.push_back(std::async(std::launch::async, [&, read = ++reads] {
            gate.Lock();
            if (read == 2)
                text = L"line 9", marks.Clear();
            gate.Unlock();
        }));
        if (letIn == reads - 1) // a viewer's thread kept out once fails the test
            letIn += viewer.back().wait_for(std::chrono::seconds(2)) == std::future_status::ready;
    };
    ASSERT_TRUE(reader.StartTask([&] {
        viewer::MarkInSteps(
            &gate, index, index.ReadingSource(), marks,
            [&] { return std::make_unique<viewer::TextMatcher>(text, false, true, tables); }, 10000);
    }));
    Watch(reader, gate, index);
    viewer.clear();
    EXPECT_EQ(letIn, reads);
    ASSERT_EQ(marks.Size(), static_cast<size_t>(kLines));
    for (diagnose::RecordId id = 0; id < marks.Size(); ++id)
        ASSERT_EQ(marks.Marked(id), id == 9) << id;
}

// However much a load or a save reads at once, a stop is seen before its next step, and a read
// that does not return (a share that went away) ends with the stop. Each thread reads through a
// handle of its own: none waits for another's read.
TEST_F(Reading, AStopIsSeenWithinOneStepOfAReadOrEndsTheReadThatWaitsAndNoThreadWaitsForAnother) {
    uint64_t atStop = 0; // 0: the next read after the first asks for the stop
    file.beforeRead = [&](uint64_t offset) {
        if (offset > 0 && atStop == 0)
            gate.Stop(), atStop = file.bytesRead;
    };
    LogReader reader(index, gate, [] {});
    ASSERT_TRUE(reader.Start(LogReader::Job::Load));
    while (reader.Busy())
        std::this_thread::yield();
    EXPECT_LE(file.bytesRead - atStop, diagnose::kReadStepBytes);
    reader.Stop();
    ASSERT_TRUE(reader.Start(LogReader::Job::Load));
    ASSERT_EQ(Watch(reader, gate, index).result.status, ReadResult::Complete);

    file.holdNext = true;
    ASSERT_TRUE(reader.Start(LogReader::Job::Refresh));
    while (file.holdNext) // until its read waits
        std::this_thread::yield();
    atStop = 0; // meanwhile another thread reads every 40th record: runs of a MiB each
    std::vector<diagnose::RecordId> records;
    for (diagnose::RecordId id = 0; id < kLines; id += 40)
        records.push_back(id);
    viewer::ForEachRecordLine(
        index, index.Source(), records, [](auto&) { return true; }, 4096, &gate.Stopping());
    EXPECT_LE(file.bytesRead - atStop, diagnose::kReadStepBytes);
    reader.Stop();

    uint32_t error = 0;
    const std::unique_ptr<diagnose::ByteSource> own = index.OpenSource(error);
    struct : viewer::ByteSink {
        bool Write(const char*, size_t, uint32_t&) override { return true; }
    } sink;
    file.holdNext = true;
    viewer::SaveJob save(index, *own, {0, 1}, sink, {}, nullptr);
    while (file.holdNext)
        std::this_thread::yield();
    save.Stop();
    EXPECT_FALSE(file.guardEnded) << "a read that waited was not cancelled";
}

// An open that does not return (the log's share went away) ends with the stop, as a read does.
TEST_F(Reading, AStopEndsAnOpenThatWaits) {
    files.holdOpen = true;
    LogReader reader(index, gate, [] {});
    ASSERT_TRUE(reader.Start(LogReader::Job::Load));
    while (!files.opening)
        std::this_thread::yield();
    reader.Stop();
    EXPECT_FALSE(files.guardEnded) << "the open that waited was not cancelled";
    ASSERT_TRUE(reader.Start(LogReader::Job::Load)) << "the next load opens again";
    EXPECT_EQ(Watch(reader, gate, index).result.status, ReadResult::Complete);
}

TEST_F(Reading, AReaderThatGoesWhileItReadsEndsItsThreadAndLetsGoOfTheIndex) {
    auto reader = std::make_unique<LogReader>(index, gate, [] {});
    ASSERT_TRUE(reader->Start(LogReader::Job::Load));
    gate.Lock(); // the viewer's window goes from one of its messages
    reader.reset();
    gate.Unlock();
    EXPECT_EQ(index.Gate(), nullptr);
}

bool Held(IndexGate& gate) { // as the reading thread finds it
    return std::async(std::launch::async, [&] { return gate.Busy(); }).get();
}

// A loop of ours that closes says it waits, as a message does: a search's next step lets it in.
TEST(IndexGate, ALoopThatClosesIsLetInBeforeTheReadingThreadsNextStep) {
    IndexGate gate;
    std::atomic<bool> letIn{false};
    gate.Lock(); // the message that runs the loop
    auto loop = std::make_optional<viewer::OpenGate>(gate);
    std::thread reading([&] {
        const diagnose::GatedStep step(&gate);
        for (auto end = std::chrono::steady_clock::now() + std::chrono::seconds(3);
             !letIn && std::chrono::steady_clock::now() < end;)
            letIn = gate.Busy(); // what the reading thread asks between steps
    });
    while (!Held(gate))
        std::this_thread::yield();
    loop.reset();
    reading.join();
    gate.Unlock();
    EXPECT_TRUE(letIn);
}

// A paint's hold (h; let go at a timer: t) and a loop of ours (o, c), in any order. After each
// step the gate is held (capital) or open: the loop waits with it open but for a paint meanwhile,
// and the gate is free when all have ended.
TEST(IndexGate, APaintsHoldAndALoopOfOursLeaveTheGateAsTheyFoundIt) {
    for (const std::string order : {"HotC", "HoCT", "oHtC", "oHCT"}) {
        IndexGate gate;
        std::optional<viewer::OpenGate> loop;
        gate.Lock(); // the message that runs the loop
        for (const char step : order) {
            if (const char what = std::tolower(step); what == 't')
                gate.Lock(), gate.LetGoKept(), gate.Unlock(); // a timer's message
            else
                what == 'h' ? gate.Keep() : what == 'o' ? void(loop.emplace(gate)) : loop.reset();
            EXPECT_EQ(Held(gate), std::isupper(step) != 0) << order << " at " << step;
        }
        gate.Unlock();
        EXPECT_FALSE(Held(gate)) << order;
    }
}

} // namespace
