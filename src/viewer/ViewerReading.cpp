// The viewer's reading thread at work: it loads and reads on in the log while the host's thread
// goes on; what it filed joins tree and list from the viewer's queue, a few times a second while
// it loads and when a job ends.
#include "viewer/DiagnoseDlg.h"

#include "viewer/matches/MatchWindow.h"

#include <algorithm>
#include <utility>
#include <tuple>

namespace {

// Groups whose new records join tree and list in one dispatch (some 50 ms under Wine with a
// heading for each).
constexpr size_t kGroupsTakenAtOnce = 10000;

GroupKey KeyOf(const CDiagnoseIndex& index, diagnose::RecordId id) {
    return {std::wstring(index.GetHost(id)), index.GetTraceClass(id)};
}

} // namespace

void CDiagnoseDlg::StartReading(viewer::LogReader::Job job) {
    if (!m_reader) {
        HWND viewer = m_hwnd;
        try {
            m_reader = std::make_unique<viewer::LogReader>(
                m_index, *m_gate, [viewer] { ::PostMessageW(viewer, kReadEnded, 0, 0); });
        } catch (...) { // no thread to be had: the viewer stays empty and says why
            m_openError = ERROR_NOT_ENOUGH_MEMORY;
            ShowCaption(m_groups.Tree().GetSelectedItem());
            return;
        }
    }
    if (!m_reader->Start(job))
        return;
    if (job == viewer::LogReader::Job::Load) {
        m_loading = true;
        ::SetTimer(m_hwnd, kReadTimer, kReadTakeMilliseconds, nullptr);
        ShowCaption(m_groups.Tree().GetSelectedItem());
    }
}

// A search it ran starts again once the reading thread is free; a sort is dropped.
void CDiagnoseDlg::StopReader() {
    if (!m_reader)
        return;
    m_reader->Stop();
    if (m_marking == Marking::Running)
        m_marking = Marking::Asked; // started again once the reading thread is free
    if (m_sorting) {
        m_sorting.reset();
        ShowCaption(m_groups.Tree().GetSelectedItem());
    }
}

// From the queue: the records filed since the last time join tree and list, and an ended job's
// outcome is taken in. The outcome first: everything its job filed is in the index then. Records
// of more groups than a dispatch takes in join in the next, and the outcome waits for them.
void CDiagnoseDlg::TakeRead() {
    bool ended = false;
    while (m_reader && !m_closing) {
        if (!m_readOutcome)
            m_readOutcome = m_reader->TakeOutcome();
        if (!ShowNewRecords()) {
            m_takingIn = true;
            ::PostMessageW(m_hwnd, kReadEnded, 0, 0);
            break;
        }
        m_takingIn = false;
        const std::optional<viewer::LogReader::Outcome> outcome = std::exchange(m_readOutcome, std::nullopt);
        if (!outcome)
            break;
        ended = true; // and a job that started since may have ended too
        EndRead(*outcome);
        StartAskedWork(); // a search or a sort that waited for the job
    }
    if (!ended && m_reader && !m_closing && (m_loading || m_marking == Marking::Running)) {
        ShowCaption(m_groups.Tree().GetSelectedItem()); // how far it has come
        if (m_marking == Marking::Running && m_matches)
            m_matches->TakeMarks();
    }
}

// False when records of more groups than one dispatch takes in are left for the next.
bool CDiagnoseDlg::ShowNewRecords() {
    const diagnose::RecordId count = m_index.RecordCount();
    const uint32_t tails = m_index.TailsTakenBack();
    const bool dropped = tails != m_tailsSeen;
    if (!dropped && count == m_shown)
        return true;
    // The provisional last line taken back was the last record shown; it may have been filed
    // again under another group, or not at all.
    diagnose::RecordId firstNew = m_shown;
    std::vector<GroupKey> changed;
    if (dropped && m_tailGroup) {
        changed.push_back(*m_tailGroup);
        firstNew = m_shown - 1;
    }
    std::vector<diagnose::RecordId> firsts;
    m_shown = m_index.FirstOfEachList(firstNew, count, kGroupsTakenAtOnce, firsts);
    for (const diagnose::RecordId id : firsts)
        changed.push_back(KeyOf(m_index, id));
    m_tailsSeen = tails;
    m_tailGroup.reset();
    if (m_index.HasTail() && m_shown == count && count > 0)
        m_tailGroup = KeyOf(m_index, count - 1);
    m_addedFrom = std::min(m_addedFrom, firstNew);

    std::sort(changed.begin(), changed.end(), [](const GroupKey& a, const GroupKey& b) {
        return std::tie(a.host, a.traceClass) < std::tie(b.host, b.traceClass);
    });
    changed.erase(std::unique(changed.begin(), changed.end(),
                              [](const GroupKey& a, const GroupKey& b) {
                                  return a.host == b.host && a.traceClass == b.traceClass;
                              }),
                  changed.end());
    m_find.ForgetFrom(firstNew);
    if (dropped)
        m_messages.clear(); // the last line was filed again: its message may differ now
    UpdateTree(changed, firstNew);

    HTREEITEM selected = m_groups.Tree().GetSelectedItem();
    const diagnose::RecordList* list = m_groups.ListOf(selected);
    if (list != m_rows.Group())
        ShowRows(list); // the shown group was made anew (its only record was the last line, filed again)
    else if (list)
        TakeNewRows(firstNew, dropped);
    ShowCaption(selected);
    if (m_shown < count)
        return false;
    // The windows the viewer owns take the records in once all have joined (and the log read
    // again in one).
    const diagnose::RecordId addedFrom = std::exchange(m_addedFrom, kNothingAdded);
    if (!m_reloading)
        Notify([&](ViewerObserver& observer) { observer.OnRecordsAdded(addedFrom); });
    return true;
}

// A tree that grows past the entries an open tree may hold is made again with closed headings,
// in one go, instead of entry by entry, and one of closed headings past the headings it shows
// without pages in pages, or with a heading grown past the entries it shows without pages; the
// selected group stays selected.
void CDiagnoseDlg::UpdateTree(const std::vector<GroupKey>& changed, diagnose::RecordId firstNew) {
    if (m_groups.Closed() ? !m_groups.WantsPages(m_index)
                          : !GroupTree::MoreEntriesThan(m_index, GroupTree::kOpenEntries)) {
        m_groups.Update(m_index, changed, firstNew);
        if (!m_groups.Closed() || !m_groups.WantsPages(m_index))
            return;
    }
    GroupKey key;
    bool entry = false;
    const bool selected = m_groups.KeyOf(m_groups.Tree().GetSelectedItem(), key, entry);
    m_groups.Fill(m_index, m_groupByComputer);
    if (HTREEITEM item = !selected ? nullptr : entry ? m_groups.EntryItem(key) : m_groups.ItemOf(key, false))
        m_groups.Tree().SelectItem(item);
}

void CDiagnoseDlg::EndRead(const viewer::LogReader::Outcome& outcome) {
    if (outcome.job == viewer::LogReader::Job::Task && m_marking == Marking::Running)
        EndMarking(outcome);
    else if (outcome.job == viewer::LogReader::Job::Task)
        EndSorting(outcome);
    else if (outcome.job == viewer::LogReader::Job::Load)
        EndLoad(outcome);
    else
        EndLook(outcome);
}

// Why a load stopped part-way: the index says it for what it read; an exception of the reading
// thread says it in the outcome alone.
void CDiagnoseDlg::EndLoad(const viewer::LogReader::Outcome& outcome) {
    m_loading = false;
    ::KillTimer(m_hwnd, kReadTimer);
    m_openError = m_index.ReadError();
    if (!m_openError)
        m_openError = FailureCode(outcome.result);
    if (m_reloading) {
        m_reloading = false;
        HTREEITEM item = nullptr;
        if (m_reloadSelection && !m_groups.Tree().GetSelectedItem())
            item = m_reloadSelection->entry ? m_groups.EntryItem(m_reloadSelection->key)
                                            : m_groups.ItemOf(m_reloadSelection->key, false);
        m_reloadSelection.reset();
        if (item)
            m_groups.Tree().SelectItem(item); // fills the list and the caption
        Notify([](ViewerObserver& observer) { observer.OnReloaded(); });
    }
    ShowCaption(m_groups.Tree().GetSelectedItem());
    // A writer cut the log under the load: it is read again, from the queue.
    if (m_index.IsStale())
        Request(viewer::Work::Reload);
}

void CDiagnoseDlg::EndLook(const viewer::LogReader::Outcome& outcome) {
    using FileState = CDiagnoseIndex::FileState;
    // A log that cannot be reached keeps its index and the caption says so until it can be.
    if (const DWORD unreachable = outcome.state == FileState::Unreachable ? m_index.LookError() : 0;
        unreachable != m_unreachable) {
        m_unreachable = unreachable;
        ShowCaption(m_groups.Tree().GetSelectedItem());
    }
    if (outcome.state == FileState::Replaced)
        Request(viewer::Work::Reload);
    // A look that threw (out of memory) fails as a read does; its state says nothing then.
    else if (!outcome.result.ok() ||
             (outcome.job == viewer::LogReader::Job::Refresh && outcome.state == FileState::Grown))
        StopOnReadFailure(outcome.result);
}
