// The viewer's reading thread: it opens, loads, looks at and reads on in the log, filing into
// the index a step at a time through the index's gate, so that the viewer's thread never waits
// for a read. It never touches a window: it tells the viewer through `wake`, which posts.
#pragma once

#include "diagnose/LogIndex.h"
#include "viewer/reading/IndexGate.h"

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>

namespace viewer {

class LogReader {
public:
    // Load: the whole log, into an empty index. Refresh: a look at the file, and a read of what
    // was appended when it has Grown. Look: the look alone. Task: work of the viewer's (a
    // search) on the index, a step at a time under the gate.
    enum class Job { Load, Refresh, Look, Task };
    // How a job ended; a Refresh or Look tells what its look at the file found.
    struct Outcome {
        Job job = Job::Load;
        diagnose::ReadResult result;
        diagnose::LogIndex::FileState state = diagnose::LogIndex::FileState::Unchanged;
    };

    // `wake` is called on the reading thread when a job ends; the viewer's thread then takes its
    // outcome. Index and gate outlive the reader.
    LogReader(diagnose::LogIndex& index, IndexGate& gate, std::function<void()> wake);
    // Stops the job that runs and waits for the thread's end.
    ~LogReader();
    LogReader(const LogReader&) = delete;
    LogReader& operator=(const LogReader&) = delete;

    // The viewer's thread. Starts `job` on the reading thread; false while another runs.
    bool Start(Job job);
    // Starts `task` as a Task job. It touches what the viewer's thread reads only within a
    // diagnose::GatedStep on the gate, whose Enter throws to end the task when Stop is asked.
    bool StartTask(std::function<void()> task);
    // Whether a job runs (or has ended and its outcome was not taken yet).
    bool Busy() const;
    // Whether a job has ended and its outcome waits to be taken.
    bool Ended() const;
    // The ended job's outcome, taken once; none while it runs.
    std::optional<Outcome> TakeOutcome();
    // Stops the job that runs (within a few milliseconds; a batch being scanned is finished
    // first) and waits until it has ended: the index is the viewer's thread's alone afterwards,
    // until the next Start. Its outcome is dropped.
    void Stop();

private:
    bool Ask(Job job, std::function<void()> task);
    // Waits for `ended` (under the mutex), cancelling the thread's waiting reads meanwhile.
    void WaitUntil(const std::function<bool()>& ended);
    void Run();
    Outcome RunJob(Job job, const std::function<void()>& task);

    diagnose::LogIndex& m_index;
    IndexGate& m_gate;
    std::function<void()> m_wake;
    mutable std::mutex m_mutex;
    std::condition_variable m_asked;
    std::optional<Job> m_job;         // asked, not taken by the thread yet
    std::function<void()> m_task;     // of a Task job asked
    bool m_running = false;           // taken and running
    std::optional<Outcome> m_outcome; // ended, not taken by the viewer's thread yet
    bool m_quit = false;
    std::thread m_thread; // last: it starts when everything above is ready
};

} // namespace viewer
