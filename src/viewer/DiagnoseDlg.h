// The diagnostics viewer "Vistral Diagnose": a modeless, resizable window with the log's
// records in a tree by computer or by diagnose type and the selected group's records in a list.
#pragma once

#include "diagnose/DiagnoseFeed.h"
#include "viewer/GroupTree.h"
#include "viewer/NeighbourQuery.h"
#include "viewer/TimelineWindow.h"
#include "viewer/ViewerObserver.h"
#include "viewer/ViewerFind.h"
#include "info/StaticCaption.h"
#include "win/Dialog.h"
#include "win/ListView.h"
#include "win/TreeView.h"
#include "win/UniqueHandle.h"

#include <commctrl.h>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class CDiagnoseDetailsDlg;

// Owns itself: it deletes itself (and with it the index and every record) after its window is
// destroyed, and empties the open-dialog slot it was given. The record list is a virtual list
// over the selected group's record ids, so groups of any size show at once; what the operator
// sees (rows, texts, order after each header click, selection) is that of a filled list.
class CDiagnoseDlg : public win::Dialog {
public:
    explicit CDiagnoseDlg(win::Dialog** slot);
    ~CDiagnoseDlg() override;

    // Reads and indexes the whole log file, before the window exists.
    void SetSource(const std::wstring& path);
    // Creates the window; on success the dialog stands in its slot.
    bool Create();
    // Shows the window and brings it to the front, restoring it when it is minimised.
    void BringToFront();

    // The record above or below one, in the list as it is ordered now.
    void FindNeighbour(NeighbourQuery& query) const;

    // Reads what has arrived in the log since the last look: new lines are filed, a log that
    // was cut, replaced or made anew is read again (keeping the selected group where it still
    // exists). Runs every second while following is on, and on F5.
    void Refresh();
    bool IsFollowing() const { return m_follow; }

    const CDiagnoseIndex& Index() const { return m_index; }
    // Selects `record` as the operator would find it: its group entry in the tree's current
    // grouping, its row in the list, scrolled into view. False for an id that is no record.
    bool ShowRecord(diagnose::RecordId record);
    // The records of the selected tree entry; null when a heading or nothing is selected.
    const diagnose::RecordList* SelectedRecords() const { return m_shown; }
    // The selected tree item's label; empty when nothing is selected.
    std::wstring SelectedLabel() const;
    // The viewer's search: its text, options and which records hold it.
    ViewerFind& Find() { return m_find; }
    // Windows the viewer owns follow it through these; an observer removes itself before it goes.
    void AddObserver(ViewerObserver* observer);
    void RemoveObserver(ViewerObserver* observer);
    const std::wstring& CaptionText() const { return m_caption.Text(); }
    HWND RecordList() const { return m_list.Handle(); }
    HWND Tree() const { return m_groups.Tree().Handle(); }

protected:
    bool OnInitDialog() override;
    bool OnCommand(WORD notifyCode, WORD id, HWND control) override;
    void OnOK() override { Close(); }
    void OnCancel() override { Close(); }
    bool OnNotify(NMHDR* header, LRESULT& result) override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    bool PreTranslateMessage(MSG& message) override;
    bool TakesKeysOf(HWND window) const override { return window && window == m_find.Dialog(); }
    void OnFinalMessage() override;

private:
    void ReplaceListWithVirtualList();
    void Layout(int cx, int cy);
    void GroupBy(bool byComputer);
    void OnTreeSelectionChanged(const NMTREEVIEWW& change);
    void ShowRows(const diagnose::RecordList* records);
    void ShowCaption(HTREEITEM item);
    void OnColumnClick(int column);
    void OnListDoubleClick(int row);
    void OnTreeDoubleClick();
    void OpenDetails(diagnose::RecordId record);
    void AnswerDisplayInfo(NMLVDISPINFOW& info) const;
    bool PaintMinimised();
    void Close();
    void Notify(const std::function<void(ViewerObserver&)>& call);

    // Following the log (ViewerFollow.cpp)
    void ReadOn();
    void Reload();
    void TakeNewRows(const diagnose::RecordList& records, diagnose::RecordId firstNew, bool dropped);
    void SetRows(std::vector<diagnose::RecordId> rows);
    // The context menu and the keys (ViewerCommands.cpp)
    void ShowContextMenu(HWND control, LPARAM position);
    bool OnViewerCommand(WORD id);
    // Finding text (ViewerFind.cpp)
    void OnFindMessage(const FINDREPLACEW& request);
    void FindNext(bool down);
    bool FindFrom(bool down);
    void ShowMatch(HTREEITEM entry, diagnose::RecordId record);

    win::UniqueIcon m_icon;
    CStaticCaption m_caption;
    GroupTree m_groups;
    win::ListView m_list;
    CDiagnoseIndex m_index;
    bool m_groupByComputer = true;
    bool m_sortAscending = false;
    int m_sortColumn = -1; // -1: the rows stand in file order
    win::Dialog** m_slot;
    const diagnose::RecordList* m_shown = nullptr; // the group the list shows
    std::vector<diagnose::RecordId> m_rows;        // the list's rows, in the order shown
    bool m_columnClickSeen = false;                // one header click sorts once, however delivered
    CDiagnoseDetailsDlg* m_details = nullptr;
    bool m_closePending = false;
    bool m_follow = true;
    bool m_reloadPending = false;
    DWORD m_openError = 0; // why the log could not be read in full when it was opened
    std::vector<ViewerObserver*> m_observers;
    ViewerFind m_find;
    std::unique_ptr<TimelineWindow> m_timeline; // last: it leaves the observers while they exist
};
