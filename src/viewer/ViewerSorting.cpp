// Sorting a large group on the reading thread, and the messages of a group sorted by them read
// there: the list keeps its order meanwhile, the caption says that it is sorting, and the new
// order comes in one step; Escape, another group or a new read of the log drop it. A sort asked
// for while the reading thread has another job (a load, a look at the log, a search) or a save
// reads the index starts when that has ended.
#include "viewer/ViewerSorting.h"

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

struct ViewerSorting::SortJob {
    viewer::RecordRows::Sorting sorting;
    // The message column's keys: the viewer's own, taken over and read on from where they end.
    viewer::MessageKeys keys;
    viewer::MessageKeys::Result keysRead = viewer::MessageKeys::Result::Done;
};

// Whether the message column's keys of the shown group would take the viewer's thread long.
bool ViewerSorting::MessagesTakeLong() const {
    const diagnose::RecordList* group = m_viewer.m_rows.Group();
    const size_t from = m_viewer.m_columns.Keys().Group() == group ? m_viewer.m_columns.Keys().Count() : 0;
    if (!group || from >= group->size())
        return false;
    if (group->size() - from > kMessagesReadAtOnce)
        return true;
    const std::vector<diagnose::RecordId> missing(group->begin() + static_cast<long>(from), group->end());
    return viewer::BytesToRead(m_viewer.Index(), missing) > kMessageBytesReadAtOnce;
}

// The sort reads the index without the gate: nothing changes it while the reading thread runs
// this job (it alone files, and the viewer's thread empties it only after stopping the job). The
// messages are read a step at a time, with a look at the stop between steps.
bool ViewerSorting::StartSorting(int column) {
    if (Sorting())
        return true; // one sort at a time: a click meanwhile is not taken
    const bool messages = column == viewer::kMessageColumn;
    if ((m_viewer.m_rows.Count() <= kSortedAtOnce && !(messages && MessagesTakeLong())))
        return false;
    if (!m_viewer.m_session.Free()) {
        m_sortAsked = column;
        m_viewer.ShowCaption(m_viewer.m_groups.Tree().GetSelectedItem());
        return true;
    }
    auto job = std::make_shared<SortJob>();
    job->sorting = m_viewer.m_rows.StartSort(column);
    if (messages) {
        job->keys = std::move(m_viewer.m_columns.Keys());
        job->keys.SetMaxBytes(UINT64_MAX);
        m_viewer.m_columns.Keys().Clear();
    }
    viewer::IndexGate* gate = m_viewer.m_session.Gate().get();
    CDiagnoseIndex* index = &m_viewer.Index();
    const viewer::MessageOfLine messageOf = MessageReader();
    if (!m_viewer.m_session.StartTask(viewer::JobPurpose::Sort, [job, gate, index, messageOf] {
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
            m_viewer.m_columns.Keys() = std::move(job->keys);
        }
        return false;
    }
    m_sorting = std::move(job);
    m_viewer.ShowCaption(m_viewer.m_groups.Tree().GetSelectedItem());
    return true;
}

// Whether a sort runs on the reading thread now. One that cannot go there (no thread to be had)
// is sorted here, as a click would be.
bool ViewerSorting::StartAskedSort() {
    if (!m_sortAsked || m_viewer.m_life.Closing() || !m_viewer.m_session.Free())
        return m_sorting != nullptr;
    const int column = *std::exchange(m_sortAsked, std::nullopt);
    SortRows(column);
    return m_sorting != nullptr;
}

void ViewerSorting::CancelSorting() {
    if (m_sortAsked) {
        m_sortAsked.reset();
        m_viewer.ShowCaption(m_viewer.m_groups.Tree().GetSelectedItem());
    }
    if (m_sorting)
        m_viewer.m_reading.StopReader(); // drops the sort
}

// The messages read become the viewer's again, those of a sort that could not end included: the
// next sort goes on from them. (A sort dropped meanwhile took its messages with it.)
void ViewerSorting::EndSorting(const viewer::LogReader::Outcome& outcome) {
    const std::shared_ptr<SortJob> job = std::move(m_sorting);
    m_viewer.ShowCaption(m_viewer.m_groups.Tree().GetSelectedItem());
    if (!job)
        return;
    viewer::RecordRows::Sorting& sorting = job->sorting;
    if (sorting.column == viewer::kMessageColumn) {
        job->keys.SetMaxBytes(viewer::MessageKeys::kDefaultMaxBytes);
        if (job->keys.Group() == m_viewer.m_rows.Group())
            m_viewer.m_columns.Keys() = std::move(job->keys);
        if (job->keysRead == viewer::MessageKeys::Result::Changed)
            m_viewer.Request(viewer::Work::Reload);
    }
    if (!outcome.result.ok() || job->keysRead != viewer::MessageKeys::Result::Done)
        return; // no room to sort in, or the messages could not be had: the list keeps its order
    const viewer::ListPlaces before = m_viewer.CurrentPlaces();
    bool taken = false;
    const viewer::ListPlaces after = m_viewer.m_rows.TakeSorted(sorting, before, taken);
    if (taken) {
        m_viewer.ApplyPlaces(before, after);
        m_viewer.m_columns.MarkSortedColumn();
    }
}

void ViewerSorting::OnColumnClick(int column) {
    if (m_columnClickSeen)
        return;
    // Nothing would clear the flag if the post failed, and sorting would stop for good.
    m_columnClickSeen = ::PostMessageW(m_viewer.m_hwnd, CDiagnoseDlg::kColumnClickDone, 0, 0) != FALSE;
    SortRows(column);
}

// On the reading thread when that takes long; else at once.
void ViewerSorting::SortRows(int column) {
    // A click that the close's wait still dispatches (its windows are hidden, the reading thread
    // stopped) starts nothing that would run on until the window goes.
    if (m_viewer.m_life.Closing() || StartSorting(column))
        return;
    // The message column's keys come from the log: without them its order stays as it is.
    if (column == viewer::kMessageColumn &&
        !m_viewer.m_columns.ReadMessageKeys(m_viewer.m_columns.Keys().Group() == m_viewer.m_rows.Group()
                                                ? m_viewer.m_columns.Keys().Count()
                                                : 0))
        return;
    const viewer::ListPlaces before = m_viewer.CurrentPlaces();
    // The selection follows its record, as it does in a list that holds its items itself.
    m_viewer.ApplyPlaces(before, m_viewer.m_rows.SortBy(m_viewer.Index(), column, before));
    m_viewer.m_columns.MarkSortedColumn();
}
