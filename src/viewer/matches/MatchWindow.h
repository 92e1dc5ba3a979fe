// The match window: every record whose line holds the viewer's search text, in one list across
// every group, following the log; Enter or a double-click selects a row's record in the viewer.
#pragma once

#include "viewer/matches/MarkedCell.h"
#include "viewer/matches/MatchRows.h"
#include "viewer/OwnedPlacement.h"
#include "viewer/ViewerObserver.h"
#include "win/Dialog.h"
#include "win/ListView.h"

#include <commctrl.h>
#include <memory>
#include <string>
#include <vector>

class CDiagnoseDlg;

// Owned by the viewer and made once: its window goes with Escape or the close box and the next
// search opens it again; the viewer's window takes it with it when it goes (an owned window is
// destroyed before its owner). It observes the viewer only while its window exists.
class CMatchWindow : public win::Dialog, private ViewerObserver {
public:
    explicit CMatchWindow(CDiagnoseDlg& viewer);
    ~CMatchWindow() override;

    // Fills the list with the records of the viewer's search and shows the window, making it
    // when it is not open; `activate` gives it the keys (not when the Find dialog keeps them).
    void Show(bool activate);
    HWND List() const { return m_list.Handle(); }
    // Where the window stands, or stood when it was last open; for the viewer to keep.
    std::optional<viewer::ScreenRect> Place() const { return m_place.Current(m_hwnd); }
    // Takes in the matches the viewer's search found since, or its failure.
    void TakeMarks();

protected:
    bool OnInitDialog() override;
    bool OnCommand(WORD notifyCode, WORD id, HWND control) override;
    void OnOK() override;
    bool OnNotify(NMHDR* header, LRESULT& result) override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    bool PreTranslateMessage(MSG& message) override;
    void OnFinalMessage() override;

private:
    void OnRecordsAdded(diagnose::RecordId firstNew) override;
    void OnReloading() override;
    void OnReloaded() override;
    void OnSelectionChanged() override {}
    void OnReadError(uint32_t error) override;

    // `again`: the same search read anew, whose sort, selection and scroll stay.
    void Fill(bool again = false);
    std::wstring KeyOf(diagnose::RecordId record) const;
    // Runs `change` on the rows and shows them again, the selected records still selected: for
    // a new order, where every row may move.
    template <typename Change> void ChangeRows(Change&& change);
    // New matches join; selection, focus and top row stay with their records at a cost that
    // follows what arrived.
    void TakeNewRows(const std::vector<bool>& marks, diagnose::RecordId firstNew);
    void ReadSelection();
    void OnItemChanged(const NMLISTVIEW& change);
    void ShowTitle();
    void TextsOf(int column, const std::vector<diagnose::RecordId>& rows,
                 std::vector<std::wstring>& texts) const;
    std::wstring CellText(diagnose::RecordId record, int column) const;
    void AnswerDisplayInfo(NMLVDISPINFOW& info) const;
    LRESULT OnCustomDraw(const NMLVCUSTOMDRAW& draw);
    void OnColumnClick(int column);
    std::vector<diagnose::RecordId> SelectedRecords() const;
    void ShowInViewer(int row);
    void ShowContextMenu(LPARAM position);

    CDiagnoseDlg& m_viewer;
    win::ListView m_list;
    viewer::MatchRows m_rows;
    viewer::SelectedRows m_selected; // as the list reports it
    bool m_selectedKnown = true;     // false once the list reported a range it changed
    // The search the rows are of, and across a reload what the operator looked at, by the
    // records' date, time, computer and process (their ids change).
    std::wstring m_search;
    std::vector<std::wstring> m_keptSelection;
    std::wstring m_keptFocus;
    long m_keptTop = -1;
    std::wstring m_text;                            // the search text the rows are of
    std::unique_ptr<viewer::TextMatcher> m_matcher; // of that search: marks it in the messages
    viewer::MarkedCell m_markedCell;
    uint32_t m_searchError = 0; // why the search could not read the log; 0 when it could
    bool m_columnClickSeen = false;
    // Wide: under the viewer first.
    OwnedPlacement m_place{
        {viewer::Side::Below, viewer::Side::Above, viewer::Side::Right, viewer::Side::Left}};
};
