// The viewer's reading thread.
#include "viewer/reading/LogReader.h"

#include <chrono>
#include <new>

namespace viewer {

LogReader::LogReader(diagnose::LogIndex& index, IndexGate& gate, std::function<void()> wake)
    : m_index(index), m_gate(gate), m_wake(std::move(wake)) {
    // The viewer's thread takes back a load overtaken by a cut: it must let go of the lists first.
    m_index.SetLoadStartsOver(false);
    m_index.SetWriteGate(&m_gate);
    m_gate.Go(); // an earlier reader through the same gate stopped it as it went
    m_thread = std::thread([this] { Run(); });
}

LogReader::~LogReader() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_quit = true;
        m_job.reset();
        m_task = nullptr;
    }
    m_gate.Stop();
    m_index.CancelReads();
    m_asked.notify_all();
    WaitUntil([this] { return !m_running; });
    m_thread.join();
    m_index.ResumeReads();
    m_index.SetWriteGate(nullptr);
}

// A cancel may come between a wait's start and the platform's call it waits in (an open that
// had not begun): it is asked again until the job has ended.
void LogReader::WaitUntil(const std::function<bool()>& ended) {
    std::unique_lock<std::mutex> lock(m_mutex);
    while (!m_asked.wait_for(lock, std::chrono::milliseconds(20), ended)) {
        lock.unlock();
        m_index.CancelReads();
        lock.lock();
    }
}

bool LogReader::Start(Job job) {
    return job != Job::Task && Ask(job, {});
}

bool LogReader::StartTask(std::function<void()> task) {
    return task && Ask(Job::Task, std::move(task));
}

bool LogReader::Ask(Job job, std::function<void()> task) {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_job || m_running || m_outcome || m_quit)
            return false;
        m_job = job;
        m_task = std::move(task);
    }
    m_asked.notify_all();
    return true;
}

bool LogReader::Busy() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_job || m_running || m_outcome;
}

bool LogReader::Ended() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_outcome.has_value();
}

std::optional<LogReader::Outcome> LogReader::TakeOutcome() {
    std::lock_guard<std::mutex> lock(m_mutex);
    std::optional<Outcome> outcome;
    outcome.swap(m_outcome);
    return outcome;
}

void LogReader::Stop() {
    m_gate.Stop();
    m_index.CancelReads(); // a read or an open that waits (a share that went away) ends now
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_job.reset();
        m_task = nullptr;
    }
    WaitUntil([this] { return !m_running; });
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_outcome.reset();
    }
    m_index.ResumeReads();
    m_gate.Go();
}

void LogReader::Run() {
    for (;;) {
        Job job;
        std::function<void()> task;
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            m_asked.wait(lock, [this] { return m_quit || m_job; });
            if (m_quit)
                return;
            job = *m_job;
            m_job.reset();
            task.swap(m_task);
            m_running = true;
        }
        Outcome outcome = RunJob(job, task);
        task = nullptr; // what it holds goes on this thread, before the viewer hears of the end
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_running = false;
            if (outcome.result.status != diagnose::ReadResult::Stopped)
                m_outcome = outcome;
        }
        m_asked.notify_all(); // Stop waits for the job's end
        if (outcome.result.status != diagnose::ReadResult::Stopped)
            m_wake();
    }
}

// No exception leaves the thread: one that comes (memory that ran out outside a read's own
// account) ends the job as a failed read.
LogReader::Outcome LogReader::RunJob(Job job, const std::function<void()>& task) {
    Outcome outcome;
    outcome.job = job;
    outcome.result.firstNew = m_index.RecordCount();
    try {
        if (job == Job::Load) {
            outcome.result = m_index.Load();
        } else if (job == Job::Task) {
            task();
        } else {
            outcome.state = m_index.Look();
            if (job == Job::Refresh && outcome.state == diagnose::LogIndex::FileState::Grown)
                outcome.result = m_index.ReadAppended();
        }
    } catch (const diagnose::WriteStopped&) {
        outcome.result.status = diagnose::ReadResult::Stopped;
    } catch (const std::bad_alloc&) {
        outcome.result.status = diagnose::ReadResult::OutOfMemory;
    } catch (...) {
        outcome.result.status = diagnose::ReadResult::ReadFailed;
    }
    return outcome;
}

} // namespace viewer
