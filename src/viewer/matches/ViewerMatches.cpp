// The viewer's side of the match window and of copying records: opening the window on the
// search, filling it again when the Find dialog's search changes, and Ctrl+C in the list.
#include "viewer/DiagnoseDlg.h"

#include "viewer/matches/MatchWindow.h"
#include "viewer/RecordsText.h"
#include "win/Clipboard.h"

void CDiagnoseDlg::ShowAllMatches(bool activate) {
    if (!m_find.HasText()) {
        // Nothing to look for yet: the Find dialog asks, and its Find Next fills the list.
        m_matchesOnFindNext = true;
        m_find.Open(m_hwnd);
        return;
    }
    if (!m_matches)
        m_matches = std::make_unique<CMatchWindow>(*this);
    m_matches->Show(activate);
}

// The Find dialog took a search: the match window shows it when it is open or was asked for.
// The Find dialog keeps the keys.
void CDiagnoseDlg::OnSearchTaken() {
    if (!m_matchesOnFindNext && !(m_matches && m_matches->Handle()))
        return;
    m_matchesOnFindNext = false;
    ShowAllMatches(false);
}

std::vector<diagnose::RecordId> CDiagnoseDlg::RecordsToSave() const {
    if (const size_t selected = static_cast<size_t>(m_list.GetSelectedCount());
        selected == 0 || selected == m_rows.Count())
        return m_rows.Ids(); // no search for the selected rows when all are
    std::vector<diagnose::RecordId> records;
    for (int row = m_list.GetNextItem(-1, LVNI_SELECTED); m_rows.At(row) != NeighbourQuery::kNoRecord;
         row = m_list.GetNextItem(row, LVNI_SELECTED))
        records.push_back(m_rows.At(row));
    return records;
}

void CDiagnoseDlg::CopySelectedRecords() {
    if (!m_list.GetSelectedCount())
        return;
    const std::vector<diagnose::RecordId> records = RecordsToSave();
    std::vector<std::wstring> lines;
    if (records.empty() ||
        viewer::ReadRecordLines(m_index, m_index.Source(), records, lines) != diagnose::Recheck::Same)
        return;
    win::PutClipboardText(m_hwnd, viewer::ComposeRecordsText(lines));
}

void CDiagnoseDlg::ReadLogAgain() {
    Request(viewer::Work::Reload);
}
