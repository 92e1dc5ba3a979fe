// Finding text in the viewer: in the order the operator sees the records, from the selected
// row through the list, then the following group entries in tree order, around to the start.
#include "viewer/DiagnoseDlg.h"

#include "resource.h"
#include "win/ResourceModule.h"

#include "viewer/find/SearchOrder.h"

#include <algorithm>

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
    if (!m_find.MarksComplete(m_index)) {
        m_findDown = down;
        return true;
    }
    const std::vector<GroupTree::Place> places = m_groups.EntriesInOrder();
    std::vector<const diagnose::RecordList*> entries;
    entries.reserve(places.size());
    viewer::SearchStart start;
    HTREEITEM selected = m_groups.Tree().GetSelectedItem();
    for (const GroupTree::Place& place : places) {
        if (place.item == selected && m_rows.Group())
            start.shownEntry = static_cast<long>(entries.size());
        if (selected && (place.heading == selected || place.page == selected) && start.headingEntry < 0)
            start.headingEntry = static_cast<long>(entries.size());
        entries.push_back(place.list);
    }
    start.rows = &m_rows.Ids();
    start.selectedRow = m_list.GetNextItem(-1, LVNI_SELECTED);
    const viewer::MatchMarks& marks = m_find.Marks();
    const viewer::SearchHit hit =
        viewer::FindNextMatch(entries, start, down, [&](diagnose::RecordId id) { return marks.Marked(id); });
    if (!hit.Found())
        return false;
    const GroupTree::Place& place = places[static_cast<size_t>(hit.entry)];
    ShowMatch(place.item ? place.item : m_groups.EntryItem(place.list), hit.record);
    return true;
}

void CDiagnoseDlg::ShowMatch(HTREEITEM entry, diagnose::RecordId record) {
    win::TreeView& tree = m_groups.Tree();
    if (tree.GetSelectedItem() != entry)
        tree.SelectItem(entry); // shows the group's rows in file order
    tree.Send(TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(entry));
    const long row = m_rows.RowOf(record);
    if (row < 0)
        return;
    ApplyPlaces(CurrentPlaces(), {row, row, -1});
    m_list.EnsureVisible(static_cast<int>(row));
    // Found from the keys, the match is where the keys go on; the Find dialog keeps them.
    if (!m_find.Dialog() && ::GetActiveWindow() == m_hwnd)
        ::SetFocus(m_list.Handle());
}
