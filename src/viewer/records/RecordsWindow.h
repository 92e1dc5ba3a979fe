// The records window: every record of the log that passes its filter, across all groups, in the
// log's time order, following the log; the filter above the list. Enter or a double-click
// selects a row's record in the viewer.
#pragma once

#include "viewer/ListNote.h"
#include "viewer/OwnedPlacement.h"
#include "viewer/ViewerObserver.h"
#include "viewer/find/MatchMarks.h"
#include "viewer/matches/MatchRows.h"
#include "viewer/reading/LogReader.h"
#include "viewer/records/FilteredRecords.h"
#include "viewer/records/GoToTimeDlg.h"
#include "win/Dialog.h"
#include "win/ListView.h"

#include <commctrl.h>

#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

class CDiagnoseDlg;

// Owned by the viewer and made once; its window goes with Escape or the close box, and the
// viewer's window takes it along. The rows are made in steps from the window's own queue, a
// step a few milliseconds: the filter's first rows show at once, its count grows in the title.
class RecordsWindow : public win::Dialog, private ViewerObserver {
public:
    explicit RecordsWindow(CDiagnoseDlg& viewer);
    ~RecordsWindow() override;

    // Shows the window, made when it is not open, with `filter` when given, else with the one
    // it has (the kept one at first), and gives it the keys.
    void Open(std::optional<viewer::RecordFilter> filter = std::nullopt);
    // A filter command of a context menu (ID_FILTER_...) for `record`: the window opens with
    // the condition added to its filter.
    void FilterBy(WORD command, diagnose::RecordId record);
    const viewer::RecordFilter& Filter() const { return m_filter; }
    std::optional<viewer::ScreenRect> Place() const { return m_place.Current(m_hwnd); }
    HWND List() const { return m_list.Handle(); }
    // Whether its rows are still being made.
    bool Filtering() const { return m_stepping || m_text != Text::None; }

    // The lines that hold the filter's text: a few looked at at once, more on the reading
    // thread, whose job starts when it is free (StartTextMarks: whether it runs now), goes on
    // after a job of the viewer's stopped it (TextInterrupted) and ends in EndTextMarks.
    bool StartTextMarks();
    void TextInterrupted() {
        if (m_text == Text::Running)
            m_text = Text::Asked;
    }
    void EndTextMarks(const viewer::LogReader::Outcome& outcome);

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
    void OnReloaded() override;
    void OnSelectionChanged() override {}
    void OnReadError(uint32_t error) override;

    // The controls show `filter`; Apply reads them back.
    void ShowFilter(const viewer::RecordFilter& filter);
    viewer::RecordFilter ReadFilter() const;
    bool Apply(const viewer::RecordFilter& filter);
    void Step();
    void PostStep();
    void BringTextUp();
    void CancelText();
    void AddNames();
    template <typename Change> void ChangeRows(Change&& change);
    void SortBy(int column);
    void Sort();
    void ShowTitle();
    void ShowNote();
    diagnose::RecordId RecordAt(long row) const;
    long RowOfRecord(diagnose::RecordId record);
    void SelectRow(long row);
    std::vector<diagnose::RecordId> SelectedRecords() const;
    std::vector<diagnose::RecordId> AllRecords() const;
    void AnswerDisplayInfo(NMLVDISPINFOW& info) const;
    void ShowContextMenu(LPARAM position);
    bool GoTo(const std::wstring& typed);
    void StepToClass(uint16_t traceClass, bool forward);
    int64_t NewestSeconds();

    CDiagnoseDlg& m_viewer;
    win::ListView m_list;
    viewer::SelectedRows m_selected; // as the list reports it
    long m_focused = -1;             // the same
    ListNote m_note;
    GoToTimeDlg m_goTo;
    viewer::RecordFilter m_filter; // the one the rows are of
    viewer::FilteredRecords m_rows;
    // The lines that hold the filter's text, looked at in steps like the rows.
    std::unique_ptr<viewer::CharacterTables> m_tables; // made once, for every text after
    std::unique_ptr<viewer::TextMatcher> m_matcher;
    viewer::MatchMarks m_textMarks;
    enum class Text { None, Asked, Running } m_text = Text::None; // the reading thread's look
    diagnose::Recheck m_textCheck = diagnose::Recheck::Same;    // the reading thread's, taken at its end
    uint32_t m_readError = 0; // why the text could not be looked for; 0 when it could
    bool m_stepping = false;  // a step is posted
    bool m_stopped = false;   // Escape stopped the steps
    bool m_ascending = true;  // the time order, or the other way round (a click on the date)
    // Sorted by another column's text: its rows in that order, and the row of each record.
    int m_sortColumn = -1;
    bool m_sortAscending = true;
    std::vector<diagnose::RecordId> m_sorted;
    std::unordered_map<diagnose::RecordId, long> m_sortedRows;
    std::vector<bool> m_processSeen; // by process number: in the process box already
    diagnose::RecordId m_namesUpTo = 0; // the records whose process is in the box
    size_t m_hostsListed = 0;
    OwnedPlacement m_place{
        {viewer::Side::Below, viewer::Side::Above, viewer::Side::Right, viewer::Side::Left}};
};
