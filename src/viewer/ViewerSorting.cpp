// Sorting a large group on the reading thread, and the messages of a group sorted by them read
// there: the list keeps its order meanwhile, the caption says that it is sorting, and the new
// order comes in one step; Escape, another group or a new read of the log drop it. A sort asked
// for while the reading thread has another job (a load, a look at the log, a search) or a save
// reads the index starts when that has ended.
#include "viewer/DiagnoseDlg.h"

#include "resource.h"
#include "viewer/RecordsText.h"
#include "viewer/ViewerText.h"

#include <algorithm>

namespace {
// Rows sorted at once on the viewer's thread (a few milliseconds).
constexpr size_t kSortedAtOnce = 50000;
// Messages read at once on the viewer's thread, by records and by the bytes their lines span;
// on the reading thread, this many records a step under the gate.
constexpr size_t kMessagesReadAtOnce = 20000;
constexpr uint64_t kMessageBytesReadAtOnce = uint64_t(16) << 20;
constexpr size_t kMessagesReadPerStep = 16384;
} // namespace

struct CDiagnoseDlg::SortJob {
    viewer::RecordRows::Sorting sorting;
    // The message column's keys: the viewer's own, taken over and read on from where they end.
    viewer::MessageKeys keys;
    viewer::MessageKeys::Result keysRead = viewer::MessageKeys::Result::Done;
};

// Whether the message column's keys of the shown group would take the viewer's thread long.
bool CDiagnoseDlg::MessagesTakeLong() const {
    const diagnose::RecordList* group = m_rows.Group();
    const size_t from = m_messageKeys.Group() == group ? m_messageKeys.Count() : 0;
    if (!group || from >= group->size())
        return false;
    if (group->size() - from > kMessagesReadAtOnce)
        return true;
    const std::vector<diagnose::RecordId> missing(group->begin() + static_cast<long>(from), group->end());
    return viewer::BytesToRead(Index(), missing) > kMessageBytesReadAtOnce;
}

// The sort reads the index without the gate: nothing changes it while the reading thread runs
// this job (it alone files, and the viewer's thread empties it only after stopping the job). The
// messages are read a step at a time, with a look at the stop between steps.
bool CDiagnoseDlg::StartSorting(int column) {
    if (Sorting())
        return true; // one sort at a time: a click meanwhile is not taken
    const bool messages = column == viewer::kMessageColumn;
    if ((m_rows.Count() <= kSortedAtOnce && !(messages && MessagesTakeLong())))
        return false;
    if (!m_session.Free()) {
        m_sortAsked = column;
        ShowCaption(m_groups.Tree().GetSelectedItem());
        return true;
    }
    auto job = std::make_shared<SortJob>();
    job->sorting = m_rows.StartSort(column);
    if (messages) {
        job->keys = std::move(m_messageKeys);
        job->keys.SetMaxBytes(UINT64_MAX);
        m_messageKeys.Clear();
    }
    viewer::IndexGate* gate = m_session.Gate().get();
    CDiagnoseIndex* index = &Index();
    const viewer::MessageOfLine messageOf = MessageReader();
    if (!m_session.StartTask(viewer::JobPurpose::Sort, [job, gate, index, messageOf] {
            { const diagnose::GatedStep start(gate); } // a stop asked before it began ends it here
            viewer::RecordRows::Sorting& sorting = job->sorting;
            if (sorting.column != viewer::kMessageColumn) {
                if (!SortRecordRows(*index, sorting.rows, sorting.column, sorting.ascending,
                                    &gate->Stopping()))
                    throw diagnose::WriteStopped{};
                return;
            }
            const diagnose::RecordList& group = *sorting.group;
            size_t at = job->keys.Group() == &group ? job->keys.Count() : 0;
            while (at < group.size()) {
                // Read outside the gate, through the reading thread's own handle: the keys are
                // the job's, and the viewer's thread never waits for their reads.
                if (gate->Stopping())
                    throw diagnose::WriteStopped{};
                const size_t to = std::min(group.size(), at + kMessagesReadPerStep);
                job->keysRead = job->keys.Read(*index, index->ReadingSource(), group, at, messageOf, to);
                if (job->keysRead != viewer::MessageKeys::Result::Done)
                    return;
                at = to;
            }
            job->keys.Sort(sorting.rows, sorting.ascending);
        })) {
        if (messages) {
            job->keys.SetMaxBytes(viewer::MessageKeys::kDefaultMaxBytes);
            m_messageKeys = std::move(job->keys);
        }
        return false;
    }
    m_sorting = std::move(job);
    ShowCaption(m_groups.Tree().GetSelectedItem());
    return true;
}

// Whether a sort runs on the reading thread now. One that cannot go there (no thread to be had)
// is sorted here, as a click would be.
bool CDiagnoseDlg::StartAskedSort() {
    if (!m_sortAsked || m_closing || !m_session.Free())
        return m_sorting != nullptr;
    const int column = *std::exchange(m_sortAsked, std::nullopt);
    SortRows(column);
    return m_sorting != nullptr;
}

void CDiagnoseDlg::CancelSorting() {
    if (m_sortAsked) {
        m_sortAsked.reset();
        ShowCaption(m_groups.Tree().GetSelectedItem());
    }
    if (m_sorting)
        StopReader(); // drops the sort
}

// The messages read become the viewer's again, those of a sort that could not end included: the
// next sort goes on from them. (A sort dropped meanwhile took its messages with it.)
void CDiagnoseDlg::EndSorting(const viewer::LogReader::Outcome& outcome) {
    const std::shared_ptr<SortJob> job = std::move(m_sorting);
    ShowCaption(m_groups.Tree().GetSelectedItem());
    if (!job)
        return;
    viewer::RecordRows::Sorting& sorting = job->sorting;
    if (sorting.column == viewer::kMessageColumn) {
        job->keys.SetMaxBytes(viewer::MessageKeys::kDefaultMaxBytes);
        if (job->keys.Group() == m_rows.Group())
            m_messageKeys = std::move(job->keys);
        if (job->keysRead == viewer::MessageKeys::Result::Changed)
            Request(viewer::Work::Reload);
    }
    if (!outcome.result.ok() || job->keysRead != viewer::MessageKeys::Result::Done)
        return; // no room to sort in, or the messages could not be had: the list keeps its order
    const viewer::ListPlaces before = CurrentPlaces();
    bool taken = false;
    const viewer::ListPlaces after = m_rows.TakeSorted(sorting, before, taken);
    if (taken) {
        ApplyPlaces(before, after);
        MarkSortedColumn();
    }
}
