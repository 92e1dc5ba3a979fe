// The viewer following its log: lines that arrive join tree and list where they belong, and a
// log that was cut, replaced or made anew is read again.
#include "viewer/DiagnoseDlg.h"

#include <algorithm>
#include <tuple>

void CDiagnoseDlg::Refresh() {
    if (!m_hwnd)
        return;
    switch (m_index.Look()) {
    case CDiagnoseIndex::FileState::Unchanged:
        return;
    case CDiagnoseIndex::FileState::Grown:
        ReadOn();
        return;
    case CDiagnoseIndex::FileState::Replaced:
        Reload();
        return;
    }
}

void CDiagnoseDlg::ReadOn() {
    const diagnose::RecordId count = m_index.RecordCount();
    std::vector<GroupKey> changed;
    if (m_index.HasTail() && count > 0)
        changed.push_back({m_index.GetHost(count - 1), m_index.GetTraceClass(count - 1)});
    const diagnose::ReadResult result = m_index.ReadAppended();
    if (!result.replacedTail)
        changed.clear();
    for (diagnose::RecordId id = result.firstNew; id < m_index.RecordCount(); ++id)
        changed.push_back({m_index.GetHost(id), m_index.GetTraceClass(id)});
    if (changed.empty())
        return;
    std::sort(changed.begin(), changed.end(), [](const GroupKey& a, const GroupKey& b) {
        return std::tie(a.host, a.traceClass) < std::tie(b.host, b.traceClass);
    });
    changed.erase(std::unique(changed.begin(), changed.end(),
                              [](const GroupKey& a, const GroupKey& b) {
                                  return a.host == b.host && a.traceClass == b.traceClass;
                              }),
                  changed.end());
    m_find.ForgetFrom(result.firstNew);
    m_groups.Update(m_index, changed);

    HTREEITEM selected = m_groups.Tree().GetSelectedItem();
    const diagnose::RecordList* list = m_groups.ListOf(selected);
    if (list != m_shown) {
        // The shown group was made anew (its only record was the last line, filed again).
        ShowRows(list);
    } else if (list) {
        TakeNewRows(*list, result.firstNew, result.replacedTail);
    }
    ShowCaption(selected);
    Notify([&](ViewerObserver& observer) { observer.OnRecordsAdded(result.firstNew); });
}

// New records of the shown group join its rows: at the end in file order, in their place when
// the rows were sorted. What the operator looks at stays where it is.
void CDiagnoseDlg::TakeNewRows(const diagnose::RecordList& records, diagnose::RecordId firstNew,
                               bool dropped) {
    std::vector<diagnose::RecordId> rows = m_rows;
    if (dropped)
        rows.erase(
            std::remove_if(rows.begin(), rows.end(), [&](diagnose::RecordId id) { return id >= firstNew; }),
            rows.end());
    auto fresh = std::lower_bound(records.begin(), records.end(), firstNew);
    if (fresh == records.end() && rows.size() == m_rows.size())
        return;
    for (; fresh != records.end(); ++fresh) {
        if (m_sortColumn < 0)
            rows.push_back(*fresh);
        else
            InsertSortedRow(m_index, rows, *fresh, m_sortColumn, m_sortAscending);
    }
    SetRows(std::move(rows));
}

void CDiagnoseDlg::SetRows(std::vector<diagnose::RecordId> rows) {
    auto recordAt = [&](int row) {
        return row >= 0 && static_cast<size_t>(row) < m_rows.size() ? m_rows[static_cast<size_t>(row)]
                                                                    : NeighbourQuery::kNoRecord;
    };
    const diagnose::RecordId selected = recordAt(m_list.GetNextItem(-1, LVNI_SELECTED));
    const diagnose::RecordId focused = recordAt(m_list.GetNextItem(-1, LVNI_FOCUSED));
    const int top = static_cast<int>(m_list.Send(LVM_GETTOPINDEX));
    const diagnose::RecordId topRecord = recordAt(top);
    m_rows = std::move(rows);
    auto rowOf = [&](diagnose::RecordId record) {
        if (record == NeighbourQuery::kNoRecord)
            return -1;
        auto found = std::find(m_rows.begin(), m_rows.end(), record);
        return found == m_rows.end() ? -1 : static_cast<int>(found - m_rows.begin());
    };
    m_list.Send(LVM_SETITEMCOUNT, m_rows.size(), LVSICF_NOSCROLL | LVSICF_NOINVALIDATEALL);
    m_list.SetItemState(-1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    if (const int row = rowOf(focused); row >= 0)
        m_list.SetItemState(row, LVIS_FOCUSED, LVIS_FOCUSED);
    if (const int row = rowOf(selected); row >= 0)
        m_list.SetItemState(row, LVIS_SELECTED, LVIS_SELECTED);
    // Rows that went in above the top one would push what is shown down: scroll it back.
    const int newTop = rowOf(topRecord);
    if (top >= 0 && newTop > top) {
        RECT item{};
        item.left = LVIR_BOUNDS;
        if (m_list.Send(LVM_GETITEMRECT, static_cast<WPARAM>(newTop), reinterpret_cast<LPARAM>(&item)))
            m_list.Send(LVM_SCROLL, 0, static_cast<LPARAM>(newTop - top) * (item.bottom - item.top));
    }
    m_list.Invalidate(false);
}

void CDiagnoseDlg::Reload() {
    if (m_details) {
        m_reloadPending = true; // the details step through the rows as they are
        return;
    }
    m_reloadPending = false;
    GroupKey key;
    bool entry = false;
    const bool hadSelection = m_groups.KeyOf(m_groups.Tree().GetSelectedItem(), key, entry);
    ShowRows(nullptr);
    const std::wstring path = m_index.GetFile();
    m_index.Clear();
    m_index.SetFile(path);
    m_openError = m_index.ReadError();
    m_find.ForgetFrom(0);
    m_groups.Fill(m_index, m_groupByComputer);
    HTREEITEM item = hadSelection ? m_groups.ItemOf(key, entry) : nullptr;
    if (item)
        m_groups.Tree().SelectItem(item); // fills the list and the caption
    else
        ShowCaption(nullptr);
    Notify([](ViewerObserver& observer) { observer.OnReloaded(); });
}
