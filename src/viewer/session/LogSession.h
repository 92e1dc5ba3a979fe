// The log a viewer shows, without windows: its index, the reading thread and the one job that
// runs there, what the windows have taken in of it, and how its reading stands. It decides in
// one place what may run together: one job on the reading thread at a time, none while a save
// reads the index, none once it is ending. Each job has one life: asked, running, ended or
// stopped; an ended job's end is delivered once, through one wake-up, to the viewer's thread,
// after every record it filed has joined the windows. No platform headers, no windows.
#pragma once

#include "diagnose/LogIndex.h"
#include "viewer/reading/IndexGate.h"
#include "viewer/reading/LogReader.h"
#include "viewer/session/RecordIntake.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

namespace viewer {

// What a job on the reading thread is for: its end goes to the part of the viewer that asked.
// Filter: the lines that hold the records window's text.
enum class JobPurpose : uint8_t { Load, Refresh, Look, Marks, Sort, Copy, Filter };

struct JobEnd {
    JobPurpose purpose = JobPurpose::Load;
    LogReader::Outcome outcome;
};

class LogSession {
public:
    explicit LogSession(std::unique_ptr<diagnose::LogIndex> index);
    // Stops the job that runs and waits for the reading thread's end.
    ~LogSession();
    LogSession(const LogSession&) = delete;
    LogSession& operator=(const LogSession&) = delete;

    diagnose::LogIndex& Index() const { return *m_index; }
    // The gate the windows handle their messages under while the reading thread files.
    const std::shared_ptr<IndexGate>& Gate() const { return m_gate; }
    // Called on the reading thread when a job has ended; it must not block (it posts).
    void SetWake(std::function<void()> wake) { m_wake = std::move(wake); }

    // Starts a read of the log (Load, Refresh, Look) or a task on the index (the rest: it
    // touches what the viewer's thread reads only in diagnose::GatedSteps). False when it cannot
    // start now: another job runs or waits to be delivered, a save holds the index, the session
    // ends, or no thread can be had (a load then fails: OpenError says so).
    bool Start(JobPurpose purpose);
    bool StartTask(JobPurpose purpose, std::function<void()> task);
    // Whether a job may start now.
    bool Free() const;
    // The job asked, running, or ended and not delivered yet.
    std::optional<JobPurpose> Job() const { return m_purpose; }
    // Whether the reading thread has ended a job whose end is not taken in yet.
    bool Ended() const { return m_ended || (m_reader && m_reader->Ended()); }
    // Stops the job that runs (within a step) and waits for it: the index is the viewer's
    // thread's alone until the next start. Its end is never delivered.
    void Stop();

    // Takes an ended job's end off the reading thread, to be delivered once its records have
    // joined the windows.
    void CollectEnd();
    // The end collected, once; none while records wait to join (`intakeComplete` false).
    std::optional<JobEnd> DeliverEnd(bool intakeComplete);
    RecordIntake& Intake() { return m_intake; }
    const RecordIntake& Intake() const { return m_intake; }
    // A take-in left records for the next dispatch, whose wake-up may not have come.
    bool TakingIn() const { return m_takingIn; }
    void SetTakingIn(bool takingIn) { m_takingIn = takingIn; }

    // A save reads the index on a thread of its own: no job starts until it lets go.
    void HoldForSave(bool held) { m_heldForSave = held; }
    bool HeldForSave() const { return m_heldForSave; }

    // Empties the index to read it again from the start: the job that runs is stopped first,
    // and what it filed but was not taken in yet is forgotten.
    void StartOver();
    bool Reloading() const { return m_reloading; }
    // Ends the reading thread for good; no job starts after it.
    void End();
    // Ends the reading thread and hands the index over (to be given back aside while the
    // windows go): nothing may read it afterwards.
    std::unique_ptr<diagnose::LogIndex> TakeIndex();

    // How the reading of the log stands, as the operator is told (the platform's codes).
    // Why the log could not be read in full when it was opened.
    uint32_t OpenError() const { return m_openError; }
    void SetOpenError(uint32_t error) { m_openError = error; }
    // Why reading on failed; following waits for F5 or a new file. True when it changed.
    uint32_t ReadFailure() const { return m_readFailure; }
    bool SetReadFailure(uint32_t failure);
    // Why the last look could not reach the log; it is looked at again. True when it changed.
    uint32_t Unreachable() const { return m_unreachable; }
    bool SetUnreachable(uint32_t error);
    // A load runs (or has ended and its end is not delivered).
    bool Loading() const { return m_purpose == JobPurpose::Load; }
    // Whether a look at the log every second is asked for.
    bool Following() const { return m_following; }
    void SetFollowing(bool following) { m_following = following; }

    // A load's end: why it stopped part-way, if it did. True when it read the log again.
    bool LoadEnded(const LogReader::Outcome& outcome);

private:
    bool Ask(JobPurpose purpose, std::function<void()> task);

    // First: it outlives the reading thread and every window, and a message being handled.
    std::shared_ptr<IndexGate> m_gate = std::make_shared<IndexGate>();
    std::unique_ptr<diagnose::LogIndex> m_index;
    std::function<void()> m_wake;
    std::optional<JobPurpose> m_purpose;
    std::optional<JobEnd> m_ended; // collected, not delivered yet
    RecordIntake m_intake;
    bool m_takingIn = false;
    bool m_heldForSave = false;
    bool m_ending = false;
    bool m_reloading = false;
    bool m_following = true;
    uint32_t m_openError = 0;
    uint32_t m_readFailure = 0;
    uint32_t m_unreachable = 0;
    std::unique_ptr<LogReader> m_reader; // last: it ends before the index goes
};

} // namespace viewer
