// The viewer's side of the match window and of copying records: opening the window on the
// search, filling it again when the Find dialog's search changes, and copying records' lines.
#include "viewer/DiagnoseDlg.h"

#include "viewer/matches/MatchWindow.h"
#include "resource.h"

std::vector<diagnose::RecordId> CDiagnoseDlg::RecordsToSave() const {
    if (const size_t selected = static_cast<size_t>(m_list.GetSelectedCount());
        selected == 0 || selected == m_rows.Count())
        return {m_rows.Ids().begin(), m_rows.Ids().end()}; // no search for the rows when all are
    std::vector<diagnose::RecordId> records;
    for (int row = m_list.GetNextItem(-1, LVNI_SELECTED); m_rows.At(row) != NeighbourQuery::kNoRecord;
         row = m_list.GetNextItem(row, LVNI_SELECTED))
        records.push_back(m_rows.At(row));
    return records;
}

void CDiagnoseDlg::CopySelectedRecords() {
    if (m_list.GetSelectedCount())
        CopyRecords(m_hwnd, RecordsToSave());
}

void CDiagnoseDlg::CopyRecords(HWND owner, const std::vector<diagnose::RecordId>& records) {
    if (records.empty() || m_life.Closing())
        return;
    TellCopyEnding(m_copy.Copy(Index(), owner, records));
    if (m_copy.Asked()) { // on the reading thread, once it is free
        StartAskedWork();
        ShowCaption(m_groups.Tree().GetSelectedItem());
    }
}

void CDiagnoseDlg::TellCopyEnding(const RecordsCopy::Ending& ending) {
    if (ending.logChanged)
        Request(viewer::Work::Reload);
    if (!ending.failure.empty())
        ShowMessage(ending.owner && ::IsWindow(ending.owner) ? ending.owner : m_hwnd, ending.failure,
                    MB_OK | MB_ICONWARNING);
}

void CDiagnoseDlg::ReadLogAgain() {
    Request(viewer::Work::Reload);
}
