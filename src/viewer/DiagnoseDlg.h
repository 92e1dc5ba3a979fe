// The diagnostics viewer "Vistral Diagnose": a modeless, resizable window with the log's
// records in a tree by computer or by diagnose type and the selected group's records in a list.
#pragma once

#include "diagnose/DiagnoseFeed.h"
#include "viewer/GroupTree.h"
#include "viewer/ListNote.h"
#include "viewer/OwnedWindows.h"
#include "viewer/DeferredWork.h"
#include "viewer/details/NeighbourQuery.h"
#include "viewer/MessageKeys.h"
#include "viewer/RecordRows.h"
#include "viewer/copy/RecordsCopy.h"
#include "viewer/save/RecordsFile.h"
#include "viewer/save/ViewerSave.h"
#include "viewer/timeline/TimelineWindow.h"
#include "viewer/ViewerChoices.h"
#include "viewer/ViewerColumns.h"
#include "viewer/ViewerCommands.h"
#include "viewer/ViewerKept.h"
#include "viewer/ViewerLifetime.h"
#include "viewer/ViewerReading.h"
#include "viewer/ViewerObserver.h"
#include "viewer/ViewerSorting.h"
#include "viewer/ViewerText.h"
#include "viewer/find/ViewerSearch.h"
#include "viewer/records/RecordsWindow.h"
#include "viewer/records/ViewerNavigation.h"
#include "viewer/reading/IndexGate.h"
#include "viewer/reading/PaintHold.h"
#include "viewer/session/LogSession.h"
#include "info/StaticCaption.h"
#include "win/Dialog.h"
#include "win/DialogSlot.h"
#include "win/ListView.h"
#include "win/PopupMenu.h"
#include "win/TreeView.h"
#include "win/UniqueHandle.h"

#include <commctrl.h>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

class CDiagnoseDetailsDlg;
class CMatchWindow;

// Owns itself: it deletes itself (and with it the index and every record) after its window is
// destroyed, and empties the open-dialog slot it was given. The record list is a virtual list
// over the selected group's record ids, so groups of any size show at once; what the operator
// sees (rows, texts, order after each header click, selection) is that of a filled list.
//
// What runs where: the log is read on the viewer's reading thread (LogReader), which files into
// the index a step at a time through the index's gate; every message of the viewer's windows is
// handled with the gate held, so the index never changes under one. What the reading thread
// filed joins tree and list from the queue (TakeRead). While a modal loop of the viewer (the
// details, a message box), its context menu or one of its controls' notifications is on the
// stack, nothing replaces the rows, takes in what was read, reads the log again, or destroys
// the window. Such work is asked for (DeferredWork) and runs from the viewer's message queue
// once the last of them has ended.
class CDiagnoseDlg : public win::Dialog {
public:
    explicit CDiagnoseDlg(win::DialogSlot* slot);
    ~CDiagnoseDlg() override;

    // Names the log; the reading thread reads it once the window exists.
    void SetSource(const std::wstring& path);
    // Creates the window; on success the dialog stands in its slot.
    bool Create();
    // Shows the viewer of `window` and brings it to the front, restoring it when it is
    // minimised, from any thread: the viewer does it on its own, unless it is closing. At once
    // on the viewer's thread; another thread's call does not wait for it (that thread may run
    // no loop just now).
    static void BringToFront(HWND window) { ::SendNotifyMessageW(window, kBringToFront, 0, 0); }
    // Leaves the slot and the screen at once, ends the loops of its windows that can be ended
    // (the details, a message box, a menu, a held mouse), and destroys its windows as soon as
    // no loop on one of them holds the thread (ViewerClose.cpp).
    void Close() { m_life.Close(); }
    // A message box over `owner` (the viewer or a window it owns), which a close ends.
    int ShowMessage(HWND owner, const std::wstring& text, UINT style) {
        return m_life.ShowMessage(owner, text, style);
    }
    // The viewer, its controls and the windows it owns, directly or through another of them.
    bool IsOurs(HWND window) const { return m_life.IsOurs(window); }
    // A loop of the platform's on a window of ours (a move or size, a menu, a held mouse) has
    // ended: what waited for it, a close above all, runs from the next message, which comes
    // before a WM_QUIT that the host posts now, and before any timer.
    void PlatformLoopEnded() { m_life.PlatformLoopEnded(); }

    // The record above or below one, in the list as it is ordered now.
    void FindNeighbour(NeighbourQuery& query) const { m_rows.FindNeighbour(query); }

    // Looks at the log on the reading thread: new lines are filed, a log that was cut, replaced
    // or made anew is read again (keeping the selected group where it still exists). Asked for
    // every second while following is on, and by F5; runs from the queue.
    void Refresh() { m_reading.Refresh(); }
    // Whether a read of the log is asked for or runs, or what it read has not joined tree and
    // list yet.
    bool Reading() const {
        return m_session.Job() || m_session.TakingIn() || m_life.Pending(viewer::Work::TakeRead) ||
               m_life.Pending(viewer::Work::Refresh) || m_life.Pending(viewer::Work::Reload);
    }
    // The gate every window of the viewer handles its messages under.
    const std::shared_ptr<viewer::IndexGate>& Gate() const { return m_session.Gate(); }
    bool IsFollowing() const { return m_session.Following() && !m_session.ReadFailure(); }
    // Why the log could not be read on, or else in full when it was opened; 0 when it could.
    DWORD ReadFailure() const {
        return m_session.ReadFailure() ? m_session.ReadFailure() : m_session.OpenError();
    }

    // The session made it: the index is the platform's.
    CDiagnoseIndex& Index() const { return static_cast<CDiagnoseIndex&>(m_session.Index()); }
    const std::wstring& CaptionText() const { return m_caption.Text(); }
    // What the empty record list says; empty when it shows rows or has nothing to say.
    const std::wstring& ListNoteText() const { return m_listNote.Text(); }
    HWND RecordList() const { return m_list.Handle(); }
    HWND Tree() const { return m_groups.Tree().Handle(); }
    // Selects `record` as the operator would find it: its group entry in the tree's current
    // grouping, its row in the list, scrolled into view. False for an id that is no record.
    bool ShowRecord(diagnose::RecordId record);
    // The records of the selected tree entry; null when a heading or nothing is selected.
    const diagnose::RecordList* SelectedRecords() const { return m_rows.Group(); }
    // The selected tree item's label; empty when nothing is selected.
    std::wstring SelectedLabel() const;
    // The viewer's search: its text, options and which records hold it.
    ViewerFind& Find() { return m_search.Find(); }
    // Brings the search's marks up to the last record: a few records at once, more on the
    // reading thread (Searching() meanwhile; the match window is told as they come). Changed or
    // Failed only from a look at once.
    diagnose::Recheck BringMarksUp() { return m_search.BringMarksUp(); }
    bool Searching() const { return m_search.Searching(); }
    // Whether the shown group is being sorted on the reading thread, or waits for it.
    bool Sorting() const { return m_sort.Sorting(); }
    // How far the marks have come, in percent of the records.
    unsigned SearchedPercent() const { return m_search.SearchedPercent(); }
    // Why the last search on the reading thread could not read the log; 0 when it could.
    DWORD MarkFailure() const { return m_search.MarkFailure(); }
    // Windows the viewer owns follow it through these; an observer removes itself before it goes.
    void AddObserver(ViewerObserver* observer) { m_owned.AddObserver(observer); }
    void RemoveObserver(ViewerObserver* observer) { m_owned.RemoveObserver(observer); }
    // Reads the log again from the start: a window the viewer owns found a line changed.
    void ReadLogAgain();
    // Puts the lines of `records` on the clipboard, in the order given, each ended by CR LF;
    // says so over `owner` when they cannot go there.
    // The records window's look for its text on the reading thread: false when it cannot start
    // now (it is asked again when the thread is free); its end comes to EndTextMarks.
    bool StartFilterJob(std::function<void()> task) {
        return !m_life.Closing() && m_session.Free() && m_session.StartTask(viewer::JobPurpose::Filter, std::move(task));
    }
    void StopFilterJob() {
        if (m_session.Job() == viewer::JobPurpose::Filter)
            m_reading.StopReader();
    }
    // Runs a context menu of the viewer's or of a window it owns; the menu's loop dispatches the
    // viewer's messages, and the work they ask for waits until it ends. The chosen command, or 0.
    UINT RunMenu(const win::PopupMenu& menu, HWND owner, POINT at) {
        BusyScope busy(*this);
        return menu.Run(owner, at);
    }
    // A filter item of the match window's menu: the records window with it.
    void FilterRecordsBy(WORD command, diagnose::RecordId record) { m_navigation.FilterBy(command, record); }
    void CopyRecords(HWND owner, const std::vector<diagnose::RecordId>& records) {
        m_copy.CopyRecords(owner, records);
    }

    // The operator's choices kept from earlier viewers (where the owned windows stood).
    const viewer::ViewerChoices& Choices() const { return m_kept.Choices(); }
    // The message column's text of `record`: its line read again (for the rows on screen only).
    std::wstring MessageText(diagnose::RecordId record) { return m_columns.MessageText(record); }
    // Asks for a file in the platform's save dialog, owned by `owner` (the viewer or a window
    // it owns), and writes `records` there in the order given, in the background. One save at a
    // time: while one runs, its progress comes to the front instead.
    void SaveRecordsAs(HWND owner, std::vector<diagnose::RecordId> records) {
        m_save.SaveRecordsAs(owner, std::move(records));
    }
    // The second half of SaveRecordsAs, once a name is chosen; false, having said why, when the
    // file cannot be made.
    bool StartSave(HWND owner, const std::wstring& path, viewer::SaveFormat format,
                   std::vector<diagnose::RecordId> records) {
        return m_save.StartSave(owner, path, format, std::move(records));
    }
    bool Saving() const { return m_save.Saving(); }
    // Stops a save that runs; no file is left under its name, and none was replaced.
    void CancelSave() { m_save.CancelSave(); }

protected:
    bool OnInitDialog() override;
    bool OnCommand(WORD notifyCode, WORD id, HWND control) override;
    void OnOK() override { Close(); }
    void OnCancel() override { Close(); }
    bool OnNotify(NMHDR* header, LRESULT& result) override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    bool PreTranslateMessage(MSG& message) override;
    bool TakesKeysOf(HWND window) const override { return window && window == m_search.Find().Dialog(); }
    void OnFinalMessage() override;
    void OnThreadQuitting() override { m_life.OnThreadQuitting(); }

public:
    // Marks a stretch in which deferred work must wait: a modal loop, a menu, a notification.
    // The windows the viewer owns open one around their menus, whose loops dispatch the
    // viewer's messages: its commands that open loops of their own are ignored meanwhile.
    class BusyScope {
    public:
        explicit BusyScope(CDiagnoseDlg& viewer) : m_viewer(viewer) { m_viewer.m_life.Enter(); }
        ~BusyScope() { m_viewer.m_life.Leave(); }
        BusyScope(const BusyScope&) = delete;
        BusyScope& operator=(const BusyScope&) = delete;

    private:
        CDiagnoseDlg& m_viewer;
    };

private:
    // Each feature keeps its own state in a class of its own and works on the window's controls
    // and the session through the window.
    friend class RecordsCopy;
    friend class ViewerColumns;
    friend class ViewerCommands;
    friend class ViewerKept;
    friend class ViewerLifetime;
    friend class ViewerNavigation;
    friend class ViewerReading;
    friend class ViewerSave;
    friend class ViewerSearch;
    friend class ViewerSorting;

    void ReplaceListWithVirtualList();
    void Layout(int cx, int cy);
    void GroupBy(bool byComputer);
    void OnTreeSelectionChanged(const NMTREEVIEWW& change);
    void ShowRows(const diagnose::RecordList* records);
    void ShowCaption(HTREEITEM item);
    std::wstring NoteFor(HTREEITEM item) const;
    std::wstring PartShown() const;
    void OnListDoubleClick(int row);
    void OnTreeDoubleClick();
    void OpenTreeItem();
    void FocusControl(HWND control);
    void OpenDetails(diagnose::RecordId record);
    void AnswerDisplayInfo(NMLVDISPINFOW& info);
    bool PaintMinimised();
    void Notify(const std::function<void(ViewerObserver&)>& call) { m_owned.Notify(call); }

    // Posted to itself to run the deferred work; by a save's thread and its progress window.
    static constexpr UINT kRunDeferredWork = WM_APP + 2;
    // Posted to itself when a header click has been sorted: both ways the platform may report the
    // click arrive before it.
    static constexpr UINT kColumnClickDone = WM_APP + 1;
    static constexpr UINT kSaveProgress = WM_APP + 3;
    static constexpr UINT kSaveCancel = WM_APP + 4;
    // Posted by the reading thread when a job has ended.
    static constexpr UINT kReadEnded = WM_APP + 5;
    // Looks at the log for new lines while following is on.
    static constexpr UINT_PTR kFollowTimer = 1;
    // The end of a save, told once nothing of ours runs (2 is the close's).
    static constexpr UINT_PTR kSaveEndTimer = 3;
    // Takes in what the reading thread filed, a few times a second while it loads.
    static constexpr UINT_PTR kReadTimer = 4;
    static constexpr UINT kReadTakeMilliseconds = 250;
    // Posted by Escape while a search or a sort runs.
    static constexpr UINT kCancelWork = WM_APP + 6;
    // Posted to itself by Create: the window shows in the next dispatch, not in the host's call.
    static constexpr UINT kShowViewer = WM_APP + 7;
    // Posted to itself when the operator changed a column's width: the last column fills the
    // list again once the list has taken the change.
    static constexpr UINT kFillLastColumn = WM_APP + 8;
    static constexpr UINT kBringToFront = WM_APP + 9;
    void BringToFront();
    void Request(viewer::Work work) { m_life.Request(work); }
    // The list's rows and its selection (DiagnoseDlg.cpp)
    void TakeNewRows(diagnose::RecordId firstNew, bool dropped);
    void ApplyPlaces(const viewer::ListPlaces& before, const viewer::ListPlaces& after);
    viewer::ListPlaces CurrentPlaces() const;
    // A search asked for starts on the reading thread when it is free, else a sort asked for;
    // whether one of them runs there now.
    bool StartAskedWork() {
        return m_search.StartMarking() || m_sort.StartAskedSort() || m_copy.Start() ||
               (m_owned.RecordsMade() && m_owned.RecordsMade()->StartTextMarks());
    }
    // Selects `record` of the group entry `entry` and brings its row into view.
    void ShowMatch(HTREEITEM entry, diagnose::RecordId record);
    // Copying records (ViewerMatches.cpp)
    void CopySelectedRecords();
    // The list's selected records in its order, or all its rows when none is selected.
    std::vector<diagnose::RecordId> RecordsToSave() const;
    // The list's columns and the message column (ViewerColumns.cpp)

    // First: it outlives every window and a message being handled. A close gives the index's
    // memory back on a thread of its own while the windows go (ViewerClose.cpp).
    viewer::LogSession m_session{std::make_unique<CDiagnoseIndex>()};
    win::UniqueIcon m_icon;
    CStaticCaption m_caption;
    viewer::PaintHold m_paintHold{*m_session.Gate()}; // before the controls that paint
    GroupTree m_groups;
    win::ListView m_list;
    ListNote m_listNote;
    win::DialogSlot* m_slot;
    viewer::RecordRows m_rows; // the list's rows
    ViewerLifetime m_life{*this};
    ViewerReading m_reading{*this};
    ViewerCommands m_commands{*this};
    ViewerSearch m_search{*this};
    ViewerSorting m_sort{*this};
    ViewerKept m_kept{*this};
    RecordsCopy m_copy{*this};
    ViewerColumns m_columns{*this};
    ViewerSave m_save{*this};    // after the session, whose index its thread reads
    ViewerNavigation m_navigation{*this};
    OwnedWindows m_owned{*this}; // last: the windows leave the features' state as they go
};
