// Finding text in the viewer: in the order the operator sees the records, from the selected
// row through the list, then the following group entries in tree order, around to the start.
#include "viewer/DiagnoseDlg.h"

#include "resource.h"
#include "win/ResourceModule.h"

#include "viewer/find/SearchOrder.h"

#include <algorithm>
#include <unordered_set>

void CDiagnoseDlg::OnFindMessage(const FINDREPLACEW& request) {
    if (!m_find.Take(request)) {
        m_matchesOnFindNext = false; // the Find dialog that was to fill it went without a search
        return;
    }
    if ((request.Flags & FR_FINDNEXT) && !m_work.Busy() && !m_closing) {
        OnSearchTaken();
        FindNext(m_find.Down());
    }
}

void CDiagnoseDlg::FindNext(bool down) {
    if (!m_find.HasText()) {
        m_find.Open(m_hwnd);
        return;
    }
    DWORD readError = 0;
    if (FindFrom(down, readError))
        return;
    const std::wstring text = readError ? ViewerTextWith(IDS_READ_FAILED, SystemErrorText(readError))
                                        : ViewerTextWith(IDS_FIND_NOT_FOUND, m_find.Text());
    ShowMessage(m_find.Dialog() ? m_find.Dialog() : m_hwnd, text,
                MB_OK | (readError ? MB_ICONWARNING : MB_ICONINFORMATION));
}

// Answers whether a match was shown (a log that changed under the search counts: it is read
// again and nothing more is said; so does a search that goes on on the reading thread, which
// finds the match when it has ended); false with `readError` when the log could not be read.
bool CDiagnoseDlg::FindFrom(bool down, DWORD& readError) {
    switch (BringMarksUp()) {
    case diagnose::Recheck::Changed:
        Request(viewer::Work::Reload);
        return true;
    case diagnose::Recheck::Failed:
        readError = m_find.Marks().Error() ? m_find.Marks().Error() : ERROR_READ_FAULT;
        return false;
    case diagnose::Recheck::Same:
        break;
    }
    if (!m_find.MarksComplete(Index())) {
        m_findDown = down;
        return true;
    }
    std::vector<const diagnose::RecordList*> entries;
    viewer::SearchStart start;
    start.rows = &m_rows.Ids();
    start.selectedRow = m_list.GetNextItem(-1, LVNI_SELECTED);
    const viewer::MatchMarks& marks = m_find.Marks();
    if (const std::vector<diagnose::RecordId>* listed = marks.Listed())
        MarkedEntries(*listed, entries, start);
    else
        AllEntries(entries, start);
    const viewer::SearchHit hit =
        viewer::FindNextMatch(entries, start, down, [&](diagnose::RecordId id) { return marks.Marked(id); });
    if (!hit.Found())
        return false;
    ShowMatch(m_groups.EntryItem(entries[static_cast<size_t>(hit.entry)]), hit.record);
    return true;
}

// Every entry of the tree, in its order.
void CDiagnoseDlg::AllEntries(std::vector<const diagnose::RecordList*>& entries,
                              viewer::SearchStart& start) const {
    const std::vector<GroupTree::Place> places = m_groups.EntriesInOrder();
    entries.reserve(places.size());
    HTREEITEM selected = m_groups.Tree().GetSelectedItem();
    for (const GroupTree::Place& place : places) {
        if (place.item == selected && m_rows.Group())
            start.shownEntry = static_cast<long>(entries.size());
        if (selected && (place.heading == selected || place.page == selected) && start.headingEntry < 0)
            start.headingEntry = static_cast<long>(entries.size());
        entries.push_back(place.list);
    }
}

// The entries that hold a marked record the tree knows of, and the shown one, in the tree's
// order: a rare text's next match without a walk through every entry of a tree of hundreds of
// thousands.
void CDiagnoseDlg::MarkedEntries(const std::vector<diagnose::RecordId>& listed,
                                 std::vector<const diagnose::RecordList*>& entries,
                                 viewer::SearchStart& start) const {
    struct Entry {
        GroupKey key;
        const diagnose::RecordList* list;
    };
    std::vector<Entry> marked;
    std::unordered_set<const diagnose::RecordList*> seen;
    HTREEITEM selected = m_groups.Tree().GetSelectedItem();
    GroupKey from;
    bool entry = false;
    const bool placed = selected && m_groups.KeyOf(selected, from, entry);
    const diagnose::RecordList* shown = placed && entry ? m_rows.Group() : nullptr;
    if (shown) {
        seen.insert(shown);
        marked.push_back({from, shown});
    }
    for (const diagnose::RecordId id : listed) {
        if (id >= m_session.Intake().Shown())
            break;
        if (const diagnose::RecordList* list = Index().ListOf(id); list && seen.insert(list).second)
            marked.push_back({{std::wstring(Index().GetHost(id)), Index().GetTraceClass(id)}, list});
    }
    const auto before = [&](const GroupKey& a, const GroupKey& b) { return m_groups.EntryBefore(a, b); };
    std::sort(marked.begin(), marked.end(),
              [&](const Entry& a, const Entry& b) { return before(a.key, b.key); });
    entries.reserve(marked.size());
    for (const Entry& each : marked) {
        if (each.list == shown)
            start.shownEntry = static_cast<long>(entries.size());
        entries.push_back(each.list);
    }
    if (!shown && selected && m_groups.StartOf(selected, from))
        start.headingEntry =
            static_cast<long>(std::partition_point(marked.begin(), marked.end(),
                                                   [&](const Entry& e) { return before(e.key, from); }) -
                              marked.begin());
}

void CDiagnoseDlg::ShowMatch(HTREEITEM entry, diagnose::RecordId record) {
    win::TreeView& tree = m_groups.Tree();
    if (tree.GetSelectedItem() != entry)
        tree.SelectItem(entry); // shows the group's rows in file order
    tree.Send(TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(entry));
    const long row = m_rows.RowOf(record);
    if (row < 0)
        return;
    // Looked at before the row takes the focus: the platform's list may scroll a focused row in
    // (Wine's does), to the edge it comes in by.
    const bool shown = m_list.RowShown(static_cast<int>(row));
    ApplyPlaces(CurrentPlaces(), {row, row, -1});
    if (!shown) // in the middle, with the rows around it
        m_list.ScrollToMiddle(static_cast<int>(row));
    // Found from the keys, the match is where the keys go on; the Find dialog keeps them.
    if (!m_find.Dialog() && ::GetActiveWindow() == m_hwnd)
        ::SetFocus(m_list.Handle());
}
