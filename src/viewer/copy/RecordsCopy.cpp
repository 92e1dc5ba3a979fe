// Copying records' lines to the clipboard.
#include "viewer/copy/RecordsCopy.h"

#include "resource.h"
#include "viewer/DiagnoseDlg.h"
#include "viewer/RecordsText.h"
#include "viewer/ViewerText.h"
#include "win/Clipboard.h"

namespace {
// What a 32-bit host can spare for the clipboard's block.
constexpr size_t kLimitBytes = (sizeof(void*) == 4 ? size_t(256) : size_t(1024)) << 20;
// Lines read at once on the viewer's thread (some tens of milliseconds).
constexpr uint64_t kCopiedBytesAtOnce = uint64_t(8) << 20;
} // namespace

struct RecordsCopy::Job {
    HWND owner = nullptr;
    std::vector<diagnose::RecordId> records;
    win::ClipboardText text{kLimitBytes};
    diagnose::Recheck check = diagnose::Recheck::Same; // the reading thread's, taken at its end
};

void RecordsCopy::CopyRecords(HWND owner, const std::vector<diagnose::RecordId>& records) {
    if (records.empty() || m_viewer.m_life.Closing())
        return;
    const CDiagnoseIndex& index = m_viewer.Index();
    auto job = std::make_shared<Job>();
    job->owner = owner;
    job->records = records;
    if (viewer::BytesToRead(index, job->records) > kCopiedBytesAtOnce) {
        m_asked = std::move(job); // on the reading thread, once it is free
        m_viewer.StartAskedWork();
        m_viewer.ShowCaption(m_viewer.m_groups.Tree().GetSelectedItem());
        return;
    }
    const diagnose::Recheck check =
        viewer::ForEachRecordLine(index, index.Source(), job->records, [&](const std::wstring& line) {
            return job->text.Append(line) && job->text.Append(L"\r\n");
        });
    Tell(Finish(*job, check));
}

bool RecordsCopy::Start() {
    if (!m_asked || m_running)
        return m_running != nullptr;
    viewer::LogSession& session = m_viewer.m_session;
    const std::shared_ptr<Job> job = m_asked;
    viewer::IndexGate* gate = session.Gate().get();
    const CDiagnoseIndex* source = &m_viewer.Index();
    // The lines are read outside the gate: nothing files while the reading thread copies.
    if (!session.StartTask(viewer::JobPurpose::Copy, [job, gate, source] {
            { const diagnose::GatedStep start(gate); } // a stop asked before it began ends it here
            job->check = viewer::ForEachRecordLine(
                *source, source->ReadingSource(), job->records,
                [&](const std::wstring& line) { return job->text.Append(line) && job->text.Append(L"\r\n"); },
                4096, &gate->Stopping());
        }))
        return false;
    m_running = std::move(m_asked);
    return true;
}

void RecordsCopy::Cancel() {
    m_asked.reset();
    if (m_running && m_viewer.m_session.Job() == viewer::JobPurpose::Copy)
        m_viewer.m_session.Stop();
    m_running.reset();
}

void RecordsCopy::End(const viewer::JobEnd& end) {
    const std::shared_ptr<Job> job = std::move(m_running);
    m_viewer.ShowCaption(m_viewer.m_groups.Tree().GetSelectedItem());
    if (!job)
        return;
    if (!::IsWindow(job->owner)) // the window it was asked from went meanwhile
        job->owner = nullptr;
    if (!end.outcome.result.ok()) // memory ran out beside the block's own account
        return Tell({job->owner, ViewerTextWith(IDS_COPY_FAILED,
                                                SystemErrorText(diagnose::ErrorOf(end.outcome.result)))});
    Tell(Finish(*job, job->check));
}

void RecordsCopy::Tell(const Ending& ending) {
    if (ending.logChanged)
        m_viewer.Request(viewer::Work::Reload);
    if (!ending.failure.empty())
        m_viewer.ShowMessage(ending.owner ? ending.owner : m_viewer.m_hwnd, ending.failure,
                             MB_OK | MB_ICONWARNING);
}

RecordsCopy::Ending RecordsCopy::Finish(Job& job, diagnose::Recheck check) {
    Ending ending{job.owner, {}, check == diagnose::Recheck::Changed};
    if (check == diagnose::Recheck::Changed)
        ending.failure = ViewerText(IDS_LOG_CHANGED);
    else if (check == diagnose::Recheck::Failed)
        ending.failure = ViewerTextWith(IDS_READ_FAILED, SystemErrorText(ERROR_READ_FAULT));
    else if (job.text.TooLarge())
        ending.failure = ViewerTextWith(IDS_COPY_TOO_LARGE, std::to_wstring(kLimitBytes >> 20));
    else if (const DWORD error = job.text.Put(job.owner))
        ending.failure = ViewerTextWith(IDS_COPY_FAILED, SystemErrorText(error));
    return ending;
}
