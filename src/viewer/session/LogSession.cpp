// The log a viewer shows, without windows.
#include "viewer/session/LogSession.h"

#include <new>
#include <system_error>

namespace viewer {

LogSession::LogSession(std::unique_ptr<diagnose::LogIndex> index) : m_index(std::move(index)) {}

LogSession::~LogSession() {
    End();
}

bool LogSession::Free() const {
    return !m_purpose && !m_heldForSave && !m_ending && m_index;
}

namespace {
bool IsRead(JobPurpose purpose) {
    return purpose == JobPurpose::Load || purpose == JobPurpose::Refresh || purpose == JobPurpose::Look;
}
} // namespace

bool LogSession::Start(JobPurpose purpose) {
    return IsRead(purpose) && Ask(purpose, {});
}

bool LogSession::StartTask(JobPurpose purpose, std::function<void()> task) {
    return !IsRead(purpose) && task && Ask(purpose, std::move(task));
}

bool LogSession::Ask(JobPurpose purpose, std::function<void()> task) {
    if (!Free())
        return false;
    if (!m_reader) {
        try {
            m_reader = std::make_unique<LogReader>(*m_index, *m_gate, [this] {
                if (m_wake)
                    m_wake();
            });
        } catch (const std::bad_alloc&) { // no thread to be had: the log stays as far as it was read
            if (purpose == JobPurpose::Load)
                m_openError = diagnose::error_code::kNotEnoughMemory;
            return false;
        } catch (const std::system_error&) {
            if (purpose == JobPurpose::Load)
                m_openError = diagnose::error_code::kNotEnoughMemory;
            return false;
        }
    }
    using ReaderJob = LogReader::Job;
    const bool started = task ? m_reader->StartTask(std::move(task))
                              : m_reader->Start(purpose == JobPurpose::Load      ? ReaderJob::Load
                                                : purpose == JobPurpose::Refresh ? ReaderJob::Refresh
                                                                                 : ReaderJob::Look);
    if (started)
        m_purpose = purpose;
    return started;
}

void LogSession::Stop() {
    if (m_reader)
        m_reader->Stop();
    if (!m_ended)
        m_purpose.reset();
}

void LogSession::CollectEnd() {
    if (m_ended || !m_reader || !m_purpose)
        return;
    if (std::optional<LogReader::Outcome> outcome = m_reader->TakeOutcome())
        m_ended = JobEnd{*m_purpose, *outcome};
}

std::optional<JobEnd> LogSession::DeliverEnd(bool intakeComplete) {
    if (!intakeComplete || !m_ended)
        return std::nullopt;
    std::optional<JobEnd> end;
    end.swap(m_ended);
    m_purpose.reset();
    return end;
}

void LogSession::StartOver() {
    Stop();
    m_ended.reset(); // of the read that was stopped
    m_purpose.reset();
    m_index->Clear();
    m_intake.Reset(*m_index);
    m_takingIn = false;
    m_openError = m_readFailure = 0;
    m_reloading = true;
}

void LogSession::End() {
    m_ending = true;
    m_reader.reset();
    m_ended.reset();
    m_purpose.reset();
}

std::unique_ptr<diagnose::LogIndex> LogSession::TakeIndex() {
    End();
    return std::move(m_index);
}

bool LogSession::SetReadFailure(uint32_t failure) {
    if (failure == m_readFailure)
        return false;
    m_readFailure = failure;
    return true;
}

bool LogSession::SetUnreachable(uint32_t error) {
    if (error == m_unreachable)
        return false;
    m_unreachable = error;
    return true;
}

// Why a load stopped part-way: the index says it for what it read; an exception of the reading
// thread says it in the outcome alone.
bool LogSession::LoadEnded(const LogReader::Outcome& outcome) {
    m_openError = m_index->ReadError();
    if (!m_openError)
        m_openError = diagnose::ErrorOf(outcome.result);
    if (m_index->NeedsLaterStart())
        m_openError = 0; // no failure: it is read again from there
    return std::exchange(m_reloading, false);
}

} // namespace viewer
