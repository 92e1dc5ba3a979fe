// One save of records in the background.
#include "viewer/save/RecordsSaver.h"

RecordsSaver::RecordsSaver(HWND notify, UINT progress, UINT cancel)
    : m_notify(notify), m_progressMessage(progress), m_cancelMessage(cancel) {}

RecordsSaver::~RecordsSaver() {
    m_job.reset(); // the thread has ended before the file it writes is removed
    m_file.Abandon();
    if (m_progress && m_progress->Handle())
        ::DestroyWindow(m_progress->Handle());
}

DWORD RecordsSaver::Start(const CDiagnoseIndex& index, std::vector<diagnose::RecordId> records,
                          const std::wstring& path, viewer::SaveContent content, HWND asker) {
    if (const DWORD error = m_file.Create(path))
        return error;
    m_asker = asker;
    // Owned by the viewer, which outlives the save: a window the save was asked from may close.
    m_progress = std::make_unique<SaveProgressDlg>(m_notify, m_cancelMessage, path);
    if (!m_progress->Open(m_notify))
        m_progress.reset(); // the save goes on without a window to show it
    else
        m_progress->ShowProgress(0, records.size());
    const auto giveUp = [this](DWORD error) { // no save, and it is said
        m_file.Abandon();
        if (m_progress && m_progress->Handle())
            ::DestroyWindow(m_progress->Handle());
        m_progress.reset();
        return error;
    };
    // The thread only posts; the window answers from its own queue.
    try {
        diagnose::RecordStore::MayFail("save start");
        uint32_t error = 0;
        m_source = index.OpenSource(error); // its reads wait for no other thread's, nor they for its
        if (!m_source)
            return giveUp(error ? error : ERROR_READ_FAULT);
        m_job = std::make_unique<viewer::SaveJob>(index, *m_source, std::move(records), m_sink,
                                                  std::move(content), [this] {
                                                      if (!m_posted.exchange(true))
                                                          ::PostMessageW(m_notify, m_progressMessage, 0, 0);
                                                  });
    } catch (const std::exception&) { // no memory, no thread to be had
        return giveUp(ERROR_NOT_ENOUGH_MEMORY);
    }
    return 0;
}

bool RecordsSaver::Update() {
    if (!m_job)
        return true;
    m_posted = false; // before the state is read: a later end posts again
    if (m_progress)
        m_progress->ShowProgress(m_job->Written(), m_job->Total());
    return m_job->GetState() != viewer::SaveJob::State::Running;
}

RecordsSaver::Outcome RecordsSaver::Finish(DWORD& error) {
    error = 0;
    using State = viewer::SaveJob::State;
    const State state = m_job ? m_job->GetState() : State::Cancelled;
    const DWORD writeError = m_job ? m_job->WriteError() : 0;
    m_job.reset();
    m_source.reset();
    switch (state) {
    case State::Done:
        error = m_file.Commit();
        return error ? Outcome::Failed : Outcome::Saved;
    case State::LogChanged:
        m_file.Abandon();
        return Outcome::LogChanged;
    case State::ReadFailed:
        error = ERROR_READ_FAULT;
        break;
    case State::WriteFailed:
        error = writeError ? writeError : ERROR_WRITE_FAULT;
        break;
    case State::OutOfMemory:
        error = ERROR_NOT_ENOUGH_MEMORY;
        break;
    default:
        m_file.Abandon();
        return Outcome::Cancelled;
    }
    m_file.Abandon();
    return Outcome::Failed;
}

void RecordsSaver::BringToFront() {
    if (HWND window = ProgressWindow()) {
        ::ShowWindow(window, SW_SHOW);
        ::SetForegroundWindow(window);
    }
}
