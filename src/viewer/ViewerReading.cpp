// The viewer's reading thread at work: it loads and reads on in the log while the host's thread
// goes on; what it filed joins tree and list from the viewer's queue, a few times a second while
// it loads and when a job ends.
#include "viewer/ViewerReading.h"

#include "viewer/DiagnoseDlg.h"
#include "viewer/records/RecordsWindow.h"

#include "viewer/matches/MatchWindow.h"

#include <algorithm>
#include <utility>

namespace {

// Groups whose new records join tree and list in one dispatch (some 50 ms under Wine with a
// heading for each).
constexpr size_t kGroupsTakenAtOnce = 10000;

} // namespace

void ViewerReading::StartReading(viewer::JobPurpose job) {
    if (!m_viewer.m_session.Start(job)) {
        if (m_viewer.m_session.OpenError())
            m_viewer.ShowCaption(
                m_viewer.m_groups.Tree().GetSelectedItem()); // no thread to be had: it stays empty
        return;
    }
    if (job == viewer::JobPurpose::Load) {
        ::SetTimer(m_viewer.m_hwnd, m_viewer.kReadTimer, m_viewer.kReadTakeMilliseconds, nullptr);
        m_viewer.ShowCaption(m_viewer.m_groups.Tree().GetSelectedItem());
    }
}

// A search it ran starts again once the reading thread is free; a sort is dropped.
void ViewerReading::StopReader() {
    m_viewer.m_session.Stop();
    m_viewer.m_search.Interrupted(); // its search starts again once the reading thread is free
    if (RecordsWindow* records = m_viewer.m_owned.RecordsMade())
        records->TextInterrupted(); // so does the records window's
    if (m_viewer.m_sort.Sorting() || m_viewer.m_copy.Running()) {
        m_viewer.m_sort.Drop();
        m_viewer.m_copy.Cancel(); // the operator copies again
        m_viewer.ShowCaption(m_viewer.m_groups.Tree().GetSelectedItem());
    }
}

// From the queue: the records filed since the last time join tree and list, and an ended job's
// end is taken in. The end is collected first: everything its job filed is in the index then.
// Records of more groups than a dispatch takes in join in the next, and the end waits for them.
void ViewerReading::TakeRead() {
    bool ended = false;
    while (!m_viewer.m_life.Closing()) {
        m_viewer.m_session.CollectEnd();
        const bool complete = ShowNewRecords();
        m_viewer.m_session.SetTakingIn(!complete);
        if (!complete) {
            ::PostMessageW(m_viewer.m_hwnd, m_viewer.kReadEnded, 0, 0);
            break;
        }
        const std::optional<viewer::JobEnd> end = m_viewer.m_session.DeliverEnd(complete);
        if (!end)
            break;
        ended = true; // and a job that started since may have ended too
        EndRead(*end);
        m_viewer.StartAskedWork(); // a search or a sort that waited for the job
    }
    if (!ended && !m_viewer.m_life.Closing() &&
        (m_viewer.m_session.Loading() || m_viewer.m_search.Running())) {
        m_viewer.ShowCaption(m_viewer.m_groups.Tree().GetSelectedItem()); // how far it has come
        if (m_viewer.m_search.Running() && m_viewer.m_owned.MatchesMade())
            m_viewer.m_owned.MatchesMade()->TakeMarks();
    }
}

// False when records of more groups than one dispatch takes in are left for the next.
bool ViewerReading::ShowNewRecords() {
    viewer::RecordIntake& intake = m_viewer.m_session.Intake();
    if (intake.UpToDate(m_viewer.Index()))
        return true;
    const viewer::RecordIntake::Step step = intake.Take(m_viewer.Index(), kGroupsTakenAtOnce);
    m_viewer.m_search.Find().ForgetFrom(step.firstNew);
    if (step.dropped)
        m_viewer.m_columns.ForgetTexts(); // the last line was filed again: its message may differ now
    UpdateTree(step.changed, step.firstNew);

    HTREEITEM selected = m_viewer.m_groups.Tree().GetSelectedItem();
    const diagnose::RecordList* list = m_viewer.m_groups.ListOf(selected);
    if (list != m_viewer.m_rows.Group())
        m_viewer.ShowRows(
            list); // the shown group was made anew (its only record was the last line, filed again)
    else if (list)
        m_viewer.TakeNewRows(step.firstNew, step.dropped);
    m_viewer.ShowCaption(selected);
    if (!step.complete)
        return false;
    // The windows the viewer owns take the records in once all have joined (and the log read
    // again in one).
    if (!m_viewer.m_session.Reloading())
        m_viewer.Notify([&](ViewerObserver& observer) { observer.OnRecordsAdded(step.addedFrom); });
    return true;
}

// A tree that grows past the entries an open tree may hold is made again with closed headings,
// in one go, instead of entry by entry, and one of closed headings past the headings it shows
// without pages in pages, or with a heading grown past the entries it shows without pages; the
// selected group stays selected.
void ViewerReading::UpdateTree(const std::vector<GroupKey>& changed, diagnose::RecordId firstNew) {
    if (m_viewer.m_groups.Closed() ? !m_viewer.m_groups.WantsPages(m_viewer.Index())
                                   : !GroupTree::MoreEntriesThan(m_viewer.Index(), GroupTree::kOpenEntries)) {
        m_viewer.m_groups.Update(m_viewer.Index(), changed, firstNew);
        if (!m_viewer.m_groups.Closed() || !m_viewer.m_groups.WantsPages(m_viewer.Index()))
            return;
    }
    GroupKey key;
    bool entry = false;
    const bool selected = m_viewer.m_groups.KeyOf(m_viewer.m_groups.Tree().GetSelectedItem(), key, entry);
    m_viewer.m_groups.Fill(m_viewer.Index(), m_viewer.m_groups.ByComputer());
    if (HTREEITEM item = !selected ? nullptr
                         : entry   ? m_viewer.m_groups.EntryItem(key)
                                   : m_viewer.m_groups.ItemOf(key, false))
        m_viewer.m_groups.Tree().SelectItem(item);
}

void ViewerReading::EndRead(const viewer::JobEnd& end) {
    switch (end.purpose) {
    case viewer::JobPurpose::Marks:
        m_viewer.m_search.EndMarking(end.outcome);
        break;
    case viewer::JobPurpose::Sort:
        m_viewer.m_sort.EndSorting(end.outcome);
        break;
    case viewer::JobPurpose::Copy:
        m_viewer.m_copy.End(end);
        break;
    case viewer::JobPurpose::Filter:
        if (RecordsWindow* records = m_viewer.m_owned.RecordsMade())
            records->EndTextMarks(end.outcome);
        break;
    case viewer::JobPurpose::Load:
        EndLoad(end.outcome);
        break;
    case viewer::JobPurpose::Refresh:
    case viewer::JobPurpose::Look:
        EndLook(end);
        break;
    }
}

void ViewerReading::EndLoad(const viewer::LogReader::Outcome& outcome) {
    ::KillTimer(m_viewer.m_hwnd, m_viewer.kReadTimer);
    if (m_viewer.m_session.LoadEnded(outcome)) {
        HTREEITEM item = nullptr;
        if (m_reloadSelection && !m_viewer.m_groups.Tree().GetSelectedItem())
            item = m_reloadSelection->entry ? m_viewer.m_groups.EntryItem(m_reloadSelection->key)
                                            : m_viewer.m_groups.ItemOf(m_reloadSelection->key, false);
        m_reloadSelection.reset();
        if (item)
            m_viewer.m_groups.Tree().SelectItem(item); // fills the list and the caption
        m_viewer.Notify([](ViewerObserver& observer) { observer.OnReloaded(); });
    }
    m_viewer.ShowCaption(m_viewer.m_groups.Tree().GetSelectedItem());
    // A writer cut the log under the load: it is read again, from the queue. So is a log that
    // did not fit, from where its newest lines do.
    if (m_viewer.Index().IsStale() || m_viewer.Index().NeedsLaterStart())
        m_viewer.Request(viewer::Work::Reload);
}

void ViewerReading::EndLook(const viewer::JobEnd& end) {
    using FileState = CDiagnoseIndex::FileState;
    const viewer::LogReader::Outcome& outcome = end.outcome;
    // A log that cannot be reached keeps its index and the caption says so until it can be.
    if (m_viewer.m_session.SetUnreachable(
            outcome.state == FileState::Unreachable ? m_viewer.Index().LookError() : 0))
        m_viewer.ShowCaption(m_viewer.m_groups.Tree().GetSelectedItem());
    // A log that grew past the budget is read again from a later start: its oldest lines go.
    if (outcome.state == FileState::Replaced || m_viewer.Index().NeedsLaterStart())
        m_viewer.Request(viewer::Work::Reload);
    // A look that threw (out of memory) fails as a read does; its state says nothing then.
    else if (!outcome.result.ok() ||
             (end.purpose == viewer::JobPurpose::Refresh && outcome.state == FileState::Grown))
        StopOnReadFailure(outcome.result);
}
