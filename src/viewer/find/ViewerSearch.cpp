// Finding text in the viewer: in the order the operator sees the records, from the selected
// row through the list, then the following group entries in tree order, around to the start.
#include "viewer/find/ViewerSearch.h"

#include "viewer/DiagnoseDlg.h"

#include "viewer/matches/MatchWindow.h"
#include "resource.h"
#include "win/ResourceModule.h"

#include "viewer/find/SearchOrder.h"

#include <algorithm>
#include <unordered_set>

void ViewerSearch::OnFindMessage(const FINDREPLACEW& request) {
    if (!m_find.Take(request)) {
        m_matchesOnFindNext = false; // the Find dialog that was to fill it went without a search
        return;
    }
    if ((request.Flags & FR_FINDNEXT) && !m_viewer.m_life.Busy() && !m_viewer.m_life.Closing()) {
        OnSearchTaken();
        FindNext(m_find.Down());
    }
}

void ViewerSearch::FindNext(bool down) {
    if (!m_find.HasText()) {
        m_find.Open(m_viewer.m_hwnd);
        return;
    }
    DWORD readError = 0;
    if (FindFrom(down, readError))
        return;
    const std::wstring text = readError ? ViewerTextWith(IDS_READ_FAILED, SystemErrorText(readError))
                                        : ViewerTextWith(IDS_FIND_NOT_FOUND, m_find.Text());
    m_viewer.m_life.ShowMessage(m_find.Dialog() ? m_find.Dialog() : m_viewer.m_hwnd, text,
                                MB_OK | (readError ? MB_ICONWARNING : MB_ICONINFORMATION));
}

// Answers whether a match was shown (a log that changed under the search counts: it is read
// again and nothing more is said; so does a search that goes on on the reading thread, which
// finds the match when it has ended); false with `readError` when the log could not be read.
bool ViewerSearch::FindFrom(bool down, DWORD& readError) {
    switch (BringMarksUp()) {
    case diagnose::Recheck::Changed:
        m_viewer.Request(viewer::Work::Reload);
        return true;
    case diagnose::Recheck::Failed:
        readError = m_find.Marks().Error() ? m_find.Marks().Error() : ERROR_READ_FAULT;
        return false;
    case diagnose::Recheck::Same:
        break;
    }
    if (!m_find.MarksComplete(m_viewer.Index())) {
        m_findDown = down;
        return true;
    }
    std::vector<const diagnose::RecordList*> entries;
    viewer::SearchStart start;
    start.rows = &m_viewer.m_rows.Ids();
    start.selectedRow = m_viewer.m_list.GetNextItem(-1, LVNI_SELECTED);
    const viewer::MatchMarks& marks = m_find.Marks();
    if (const std::vector<diagnose::RecordId>* listed = marks.Listed())
        MarkedEntries(*listed, entries, start);
    else
        AllEntries(entries, start);
    const viewer::SearchHit hit =
        viewer::FindNextMatch(entries, start, down, [&](diagnose::RecordId id) { return marks.Marked(id); });
    if (!hit.Found())
        return false;
    m_viewer.ShowMatch(m_viewer.m_groups.EntryItem(entries[static_cast<size_t>(hit.entry)]), hit.record);
    return true;
}

// Every entry of the tree, in its order.
void ViewerSearch::AllEntries(std::vector<const diagnose::RecordList*>& entries,
                              viewer::SearchStart& start) const {
    const std::vector<GroupTree::Place> places = m_viewer.m_groups.EntriesInOrder();
    entries.reserve(places.size());
    HTREEITEM selected = m_viewer.m_groups.Tree().GetSelectedItem();
    for (const GroupTree::Place& place : places) {
        if (place.item == selected && m_viewer.m_rows.Group())
            start.shownEntry = static_cast<long>(entries.size());
        if (selected && (place.heading == selected || place.page == selected) && start.headingEntry < 0)
            start.headingEntry = static_cast<long>(entries.size());
        entries.push_back(place.list);
    }
}

// The entries that hold a marked record the tree knows of, and the shown one, in the tree's
// order: a rare text's next match without a walk through every entry of a tree of hundreds of
// thousands.
void ViewerSearch::MarkedEntries(const std::vector<diagnose::RecordId>& listed,
                                 std::vector<const diagnose::RecordList*>& entries,
                                 viewer::SearchStart& start) const {
    struct Entry {
        GroupKey key;
        const diagnose::RecordList* list;
    };
    std::vector<Entry> marked;
    std::unordered_set<const diagnose::RecordList*> seen;
    HTREEITEM selected = m_viewer.m_groups.Tree().GetSelectedItem();
    GroupKey from;
    bool entry = false;
    const bool placed = selected && m_viewer.m_groups.KeyOf(selected, from, entry);
    const diagnose::RecordList* shown = placed && entry ? m_viewer.m_rows.Group() : nullptr;
    if (shown) {
        seen.insert(shown);
        marked.push_back({from, shown});
    }
    for (const diagnose::RecordId id : listed) {
        if (id >= m_viewer.m_session.Intake().Shown())
            break;
        if (const diagnose::RecordList* list = m_viewer.Index().ListOf(id); list && seen.insert(list).second)
            marked.push_back(
                {{std::wstring(m_viewer.Index().GetHost(id)), m_viewer.Index().GetTraceClass(id)}, list});
    }
    const auto before = [&](const GroupKey& a, const GroupKey& b) {
        return m_viewer.m_groups.EntryBefore(a, b);
    };
    std::sort(marked.begin(), marked.end(),
              [&](const Entry& a, const Entry& b) { return before(a.key, b.key); });
    entries.reserve(marked.size());
    for (const Entry& each : marked) {
        if (each.list == shown)
            start.shownEntry = static_cast<long>(entries.size());
        entries.push_back(each.list);
    }
    if (!shown && selected && m_viewer.m_groups.StartOf(selected, from))
        start.headingEntry =
            static_cast<long>(std::partition_point(marked.begin(), marked.end(),
                                                   [&](const Entry& e) { return before(e.key, from); }) -
                              marked.begin());
}

void ViewerSearch::ShowAllMatches(bool activate) {
    if (!m_find.HasText()) {
        // Nothing to look for yet: the Find dialog asks, and its Find Next fills the list.
        m_matchesOnFindNext = true;
        m_find.Open(m_viewer.m_hwnd);
        return;
    }
    m_viewer.m_owned.Matches().Show(activate);
}

// The Find dialog took a search: the match window shows it when it is open or was asked for.
// The Find dialog keeps the keys.
void ViewerSearch::OnSearchTaken() {
    if (!m_matchesOnFindNext && !(m_viewer.m_owned.MatchesMade() && m_viewer.m_owned.MatchesMade()->Handle()))
        return;
    m_matchesOnFindNext = false;
    ShowAllMatches(false);
}
