// Finding text in the viewer: in the order the operator sees the records, from the selected
// row through the list, then the following group entries in tree order, around to the start.
#include "viewer/DiagnoseDlg.h"

#include "resource.h"
#include "win/ResourceModule.h"

#include <algorithm>

namespace {
std::wstring NotFoundText(const std::wstring& what) {
    std::wstring format;
    if (!win::TryLoadResString(IDS_FIND_NOT_FOUND, format) || format.empty()) {
        win::ScopedResourceHandle own(win::ThisModule());
        format = win::LoadResString(IDS_FIND_NOT_FOUND);
    }
    const size_t at = format.find(L"%s");
    return at == std::wstring::npos ? format : format.replace(at, 2, what);
}
} // namespace

void CDiagnoseDlg::OnFindMessage(const FINDREPLACEW& request) {
    if (m_find.Take(request) && (request.Flags & FR_FINDNEXT)) {
        OnSearchTaken();
        FindNext(m_find.Down());
    }
}

void CDiagnoseDlg::FindNext(bool down) {
    if (!m_find.HasText()) {
        m_find.Open(m_hwnd);
        return;
    }
    if (FindFrom(down))
        return;
    HWND owner = m_find.Dialog() ? m_find.Dialog() : m_hwnd;
    ::MessageBoxW(owner, NotFoundText(m_find.Text()).c_str(), win::LoadResString(IDS_DIAGNOSE_TITLE).c_str(),
                  MB_OK | MB_ICONINFORMATION);
}

// Answers whether a match was shown (a log that changed under the search counts: it is read
// again and nothing more is said).
bool CDiagnoseDlg::FindFrom(bool down) {
    const std::vector<bool>* marks = nullptr;
    const diagnose::Recheck check = m_find.Marks(m_index, marks);
    if (check == diagnose::Recheck::Changed) {
        Reload();
        return true;
    }
    if (check != diagnose::Recheck::Same)
        return false;
    auto marked = [&](diagnose::RecordId id) { return id < marks->size() && (*marks)[id]; };
    const int step = down ? 1 : -1;
    // The shown rows in [from, to), walked in the search's direction.
    auto searchRows = [&](long from, long to) {
        for (long row = down ? from : to - 1; down ? row < to : row >= from; row += step)
            if (marked(m_rows[static_cast<size_t>(row)])) {
                ShowMatch(m_groups.Tree().GetSelectedItem(), m_rows[static_cast<size_t>(row)]);
                return true;
            }
        return false;
    };
    auto searchEntry = [&](const GroupTree::Place& place) {
        if (!place.list)
            return false;
        const auto& list = *place.list;
        auto found = down ? std::find_if(list.begin(), list.end(), marked)
                          : std::find_if(list.rbegin(), list.rend(), marked).base();
        if (down ? found == list.end() : found == list.begin())
            return false;
        ShowMatch(place.item, down ? *found : *(found - 1));
        return true;
    };

    const std::vector<GroupTree::Place> entries = m_groups.EntriesInOrder();
    const long n = static_cast<long>(entries.size());
    if (n == 0)
        return false;
    HTREEITEM selected = m_groups.Tree().GetSelectedItem();
    auto at = [&](long k) { return entries[static_cast<size_t>(((k % n) + n) % n)]; };
    const auto shown =
        std::find_if(entries.begin(), entries.end(), [&](const auto& e) { return e.item == selected; });
    if (shown != entries.end() && m_shown) {
        const long count = static_cast<long>(m_rows.size());
        const long row = m_list.GetNextItem(-1, LVNI_SELECTED);
        const long p = static_cast<long>(shown - entries.begin());
        if (row < 0 ? searchRows(0, count) : down ? searchRows(row + 1, count) : searchRows(0, row))
            return true;
        for (long k = 1; k < n; ++k)
            if (searchEntry(at(p + step * k)))
                return true;
        // Around to the shown group: the rows on the other side, the selected one last.
        return row >= 0 && (down ? searchRows(0, row + 1) : searchRows(row, count));
    }
    // A heading or nothing selected: from the heading's first entry (going up: the one before).
    const auto first =
        std::find_if(entries.begin(), entries.end(), [&](const auto& e) { return e.heading == selected; });
    long s = first != entries.end() ? static_cast<long>(first - entries.begin()) : 0;
    if (!down)
        s = first != entries.end() ? s - 1 : n - 1;
    for (long k = 0; k < n; ++k)
        if (searchEntry(at(s + step * k)))
            return true;
    return false;
}

void CDiagnoseDlg::ShowMatch(HTREEITEM entry, diagnose::RecordId record) {
    win::TreeView& tree = m_groups.Tree();
    if (tree.GetSelectedItem() != entry)
        tree.SelectItem(entry); // shows the group's rows in file order
    tree.Send(TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(entry));
    const auto found = std::find(m_rows.begin(), m_rows.end(), record);
    if (found == m_rows.end())
        return;
    const int row = static_cast<int>(found - m_rows.begin());
    m_list.SetItemState(-1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    m_list.SetItemState(row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    m_list.EnsureVisible(row);
    // Found from the keys, the match is where the keys go on; the Find dialog keeps them.
    if (!m_find.Dialog() && ::GetActiveWindow() == m_hwnd)
        ::SetFocus(m_list.Handle());
}
