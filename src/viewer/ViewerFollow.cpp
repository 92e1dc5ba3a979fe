// The viewer following its log: lines that arrive join tree and list where they belong, and a
// log that was cut, replaced or made anew is read again.
#include "viewer/DiagnoseDlg.h"

#include "viewer/ListColumns.h"

#include <algorithm>

void CDiagnoseDlg::OnFollowTimer() {
    // A job whose end was never told (its post failed: a full queue), or a take-in whose post of
    // its next part failed, goes on here; else the reader would stay busy, and no look start
    // again, for good.
    if (m_session.Ended() || m_session.TakingIn())
        Request(viewer::Work::TakeRead);
    if (m_session.ReadFailure() || m_session.Following())
        Request(viewer::Work::Refresh);
    m_life.RemindWork();
}

// While reading on has failed, only a log replaced since is read (again, from its start):
// reading the same bytes every second would fail the same way. A look waits for the job that
// runs, and a search or a sort asked for goes first; the next tick asks again.
void CDiagnoseDlg::Refresh() {
    if (!m_hwnd || m_life.Closing() || Reading() || StartAskedWork())
        return;
    StartReading(m_session.ReadFailure() ? viewer::JobPurpose::Look : viewer::JobPurpose::Refresh);
}

// A read that stopped part-way keeps what it filed; following stops and the caption says why,
// until F5 or a new file under the log's name.
void CDiagnoseDlg::StopOnReadFailure(const diagnose::ReadResult& result) {
    const DWORD failure = diagnose::ErrorOf(result);
    if (!m_session.SetReadFailure(failure))
        return;
    ShowCaption(m_groups.Tree().GetSelectedItem());
    Notify([&](ViewerObserver& observer) { observer.OnReadError(failure); });
}

// New records of the shown group join its rows; what the operator looks at stays where it is.
void CDiagnoseDlg::TakeNewRows(diagnose::RecordId firstNew, bool dropped) {
    const viewer::ListPlaces before = CurrentPlaces();
    if (m_rows.SortColumn() == viewer::kMessageColumn && m_rows.Group() && !m_sort.MessagesTakeLong()) {
        // Only the new records' lines are read, and only a few megabytes of them here; without
        // their keys they join at the end.
        const diagnose::RecordList& group = *m_rows.Group();
        m_columns.ReadMessageKeys(
            static_cast<size_t>(std::lower_bound(group.begin(), group.end(), firstNew) - group.begin()));
    } else if (dropped) {
        m_columns.Keys().Clear(); // the last line's key may no longer be its message's
    }
    bool changed = false;
    const viewer::ListPlaces after = m_rows.TakeNew(Index(), firstNew, dropped, before, changed);
    if (!changed)
        return;
    m_list.Send(LVM_SETITEMCOUNT, m_rows.Count(), LVSICF_NOSCROLL | LVSICF_NOINVALIDATEALL);
    FillLastColumn(m_list); // a vertical scroll bar may have come
    ApplyPlaces(before, after);
}

viewer::ListPlaces CDiagnoseDlg::CurrentPlaces() const {
    const int focused = m_list.GetNextItem(-1, LVNI_FOCUSED);
    // Searching for the selected row asks every row before it, one by one under Wine: in a
    // group of millions that took longer than sorting it. The count and the focused row mostly
    // answer without a search.
    viewer::ListPlaces places(-1, focused, static_cast<long>(m_list.Send(LVM_GETTOPINDEX)));
    const int count = m_list.GetSelectedCount();
    if (count == 1 && focused >= 0 && m_list.GetItemState(focused, LVIS_SELECTED)) {
        places.selected = focused;
    } else if (count > 0) {
        places.selected = m_list.GetNextItem(-1, LVNI_SELECTED);
        places.allSelected = count > 1 && count == m_list.GetItemCount();
        places.moreSelected = !places.allSelected && static_cast<size_t>(count) > viewer::kFollowedSelection;
        for (int row = places.selected; !places.moreSelected && !places.allSelected && row >= 0 &&
                                        places.alsoSelected.size() + 1 < static_cast<size_t>(count);)
            if ((row = m_list.GetNextItem(row, LVNI_SELECTED)) >= 0)
                places.alsoSelected.push_back(row);
    }
    return places;
}

void CDiagnoseDlg::ApplyPlaces(const viewer::ListPlaces& before, const viewer::ListPlaces& after) {
    // Only the rows that had the states: clearing every row's (item -1) visits each of a
    // million rows, one by one, under Wine. A selection too large to follow row by row is the
    // exception, and only when rows moved.
    if ((before.moreSelected || before.allSelected) && !after.moreSelected && !after.allSelected)
        m_list.SetItemState(-1, 0, LVIS_SELECTED);
    if (before.selected >= 0 && before.selected != after.selected)
        m_list.SetItemState(before.selected, 0, LVIS_SELECTED);
    for (long row : before.alsoSelected)
        m_list.SetItemState(row, 0, LVIS_SELECTED);
    for (long row : after.alsoSelected)
        m_list.SetItemState(row, LVIS_SELECTED, LVIS_SELECTED);
    if (before.focused >= 0 && before.focused != after.focused)
        m_list.SetItemState(before.focused, 0, LVIS_FOCUSED);
    if (after.focused >= 0)
        m_list.SetItemState(after.focused, LVIS_FOCUSED, LVIS_FOCUSED);
    if (after.selected >= 0)
        m_list.SetItemState(after.selected, LVIS_SELECTED, LVIS_SELECTED);
    if (after.allSelected && m_list.GetSelectedCount() != m_list.GetItemCount())
        m_list.SetItemState(-1, LVIS_SELECTED, LVIS_SELECTED); // new rows went in among them
    // Rows that went in above the top one would push what is shown down: scroll it back.
    if (before.top >= 0 && after.top > before.top) {
        RECT item{};
        item.left = LVIR_BOUNDS;
        if (m_list.Send(LVM_GETITEMRECT, static_cast<WPARAM>(after.top), reinterpret_cast<LPARAM>(&item)))
            m_list.Send(LVM_SCROLL, 0,
                        static_cast<LPARAM>(after.top - before.top) * (item.bottom - item.top));
    }
    m_list.Invalidate(false);
}

// The reading thread is stopped first: the index is the viewer's thread's alone while it is
// emptied. The new load fills tree and list as it goes; the group selected before is selected
// again when it has ended (EndLoad).
void CDiagnoseDlg::Reload() {
    if (m_life.Closing())
        return;
    GroupKey key;
    bool entry = false;
    if (m_groups.KeyOf(m_groups.Tree().GetSelectedItem(), key, entry))
        m_reloadSelection = ReloadSelection{key, entry};
    if (!m_session.Reloading())
        Notify([](ViewerObserver& observer) { observer.OnReloading(); });
    StopReader();
    // Nothing selected before the lists go: the tree would hand the freed list of its selected
    // item to the selection change that emptying it makes.
    m_groups.Tree().SelectItem(nullptr);
    ShowRows(nullptr);
    m_columns.ForgetMessages();
    m_session.StartOver();
    m_search.Find().ForgetFrom(0);
    // The tree is filled from the index below whatever the read does: its items must never be
    // left on the lists that Clear freed.
    m_groups.Fill(Index(), m_groupByComputer);
    StartReading(viewer::JobPurpose::Load);
}
