// The diagnostics viewer.
#include "viewer/DiagnoseDlg.h"
#include "viewer/reading/HostBudget.h"
#include "viewer/records/RecordsTitle.h"

#include "viewer/details/DiagnoseDetailsDlg.h"
#include "viewer/ListColumns.h"
#include "viewer/matches/MatchWindow.h"
#include "viewer/ViewerLayout.h"
#include "frame/ModuleState.h"
#include "resource.h"
#include "win/ResourceModule.h"

#include <algorithm>

namespace {

constexpr UINT kFollowMilliseconds = 1000;

UINT CloseMessage() {
    static const UINT message = ::RegisterWindowMessageW(kCloseMessageName);
    return message;
}

// The viewer's own copy, destroyed with it: a shared icon (LoadIconW) from a language library
// mapped as a resource file is not found again in the platform's cache, so every viewer would
// leave one more icon behind in the host.
HICON LoadViewerIcon() {
    LPCWSTR name = MAKEINTRESOURCEW(IDI_DIAGNOSE);
    HINSTANCE module = win::FindResourceHandle(name, MAKEINTRESOURCEW(14) /* RT_GROUP_ICON */);
    return module ? static_cast<HICON>(::LoadImageW(module, name, IMAGE_ICON, 0, 0, LR_DEFAULTSIZE))
                  : nullptr;
}

viewer::Size WindowSize(HWND window) {
    RECT rect{};
    if (!window || !::GetWindowRect(window, &rect))
        return {};
    return {rect.right - rect.left, rect.bottom - rect.top};
}

void MoveTo(HWND window, const viewer::Box& box) {
    ::SetWindowPos(window, nullptr, box.x, box.y, 0, 0, SWP_NOZORDER | SWP_NOSIZE | SWP_NOACTIVATE);
}

void MoveAndSize(HWND window, const viewer::Box& box) {
    ::SetWindowPos(window, nullptr, box.x, box.y, box.width, box.height, SWP_NOZORDER | SWP_NOACTIVATE);
}

} // namespace

CDiagnoseDlg::CDiagnoseDlg(win::DialogSlot* slot)
    : Dialog(IDD_DIAGNOSE), m_icon(LoadViewerIcon()), m_slot(slot) {
    HandleMessagesUnder(m_session.Gate());
}

// An abandoned viewer (its thread ended, no message of ours ran) is deleted with its workers
// still at work: the save's thread and the reading thread's job (a search writes its marks)
// end here, before any member they use goes.
CDiagnoseDlg::~CDiagnoseDlg() {
    if (m_slot)
        m_slot->Leave(this);
    m_save.End();
    m_session.End();
}

// The budget is measured as the viewer opens: what the host has then is what it relies on.
void CDiagnoseDlg::SetSource(const std::wstring& path) {
    Index().SetMemoryBudget(diagnose::IndexBudget(viewer::ViewerBudgetNow()));
    if (!Index().SetPath(path))
        m_session.SetOpenError(Index().ReadError());
}

// Created hidden and shown from a message posted to itself: the platform's first show of the
// window (its activation, frame and focus, and under Wine the mapping of its X window) costs as
// much again as making it, and the host's call returns without it.
bool CDiagnoseDlg::Create() {
    if (!Dialog::Create(nullptr, Shown::Hidden))
        return false;
    if (!::PostMessageW(m_hwnd, kShowViewer, 0, 0))
        ::ShowWindow(m_hwnd, SW_SHOWNORMAL);
    TranslateInHostLoop();
    if (m_slot)
        m_slot->Enter(this);
    return true;
}

void CDiagnoseDlg::BringToFront() {
    if (m_life.Closing())
        return;
    ::ShowWindow(m_hwnd, SW_SHOW);
    if (::IsIconic(m_hwnd))
        ::ShowWindow(m_hwnd, SW_RESTORE);
    ::BringWindowToTop(m_hwnd);
    ::SetForegroundWindow(m_hwnd);
}

bool CDiagnoseDlg::OnInitDialog() {
    m_caption.SubclassDlgItem(IDC_DIAGNOSE_CAPTION, m_hwnd);
    m_groups.Attach(Item(IDC_DIAGNOSE_TREE));
    ReplaceListWithVirtualList();
    m_listNote.Attach(m_list.Handle());
    m_caption.SetTip(Index().GetFile());
    ::SendMessageW(m_hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_icon.get()));

    m_kept.RestoreChoices();
    const RECT client = ClientRect();
    Layout(client.right, client.bottom);
    m_list.SetExtendedStyle(LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
    m_columns.SetupColumns();
    m_rows.SetMessageKeys(&m_columns.Keys());
    m_groups.Fill(Index(), m_kept.Choices().groupByComputer);
    ShowCaption(nullptr);
    ::SetTimer(m_hwnd, kFollowTimer, kFollowMilliseconds, nullptr);
    HWND viewer = m_hwnd;
    m_session.SetWake([viewer] { ::PostMessageW(viewer, kReadEnded, 0, 0); });
    if (!m_session.OpenError())
        m_reading.StartReading(viewer::JobPurpose::Load);
    FocusControl(Tree()); // not OK, which the first Enter would press
    return false;
}

// The template's list is an ordinary one; the viewer needs the same list with its rows held by
// the dialog. Replacing it here keeps every language library's template usable as it is.
void CDiagnoseDlg::ReplaceListWithVirtualList() {
    HWND original = Item(IDC_DIAGNOSE_LIST);
    if (!original)
        return;
    RECT rect = {};
    ::GetWindowRect(original, &rect);
    ::MapWindowPoints(nullptr, m_hwnd, reinterpret_cast<POINT*>(&rect), 2);
    // Several rows may be selected (Ctrl+A, Shift and Ctrl clicks), for a copy or a save.
    const DWORD style =
        (static_cast<DWORD>(::GetWindowLongW(original, GWL_STYLE)) | LVS_OWNERDATA) & ~LVS_SINGLESEL;
    const DWORD exStyle = static_cast<DWORD>(::GetWindowLongW(original, GWL_EXSTYLE));
    HWND list = ::CreateWindowExW(exStyle, WC_LISTVIEWW, L"", style, rect.left, rect.top,
                                  rect.right - rect.left, rect.bottom - rect.top, m_hwnd,
                                  reinterpret_cast<HMENU>(IDC_DIAGNOSE_LIST), win::ThisModule(), nullptr);
    if (!list) {
        m_list.Attach(original);
        return;
    }
    ::SendMessageW(list, WM_SETFONT, ::SendMessageW(original, WM_GETFONT, 0, 0), FALSE);
    ::SetWindowPos(list, original, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE); // same tab order
    ::DestroyWindow(original);
    m_list.Attach(list);
}

void CDiagnoseDlg::Layout(int cx, int cy) {
    HWND caption = m_caption.Handle();
    if (!caption || !Tree() || !m_list.Handle())
        return;
    HWND byComputer = Item(IDC_GROUP_BY_COMPUTER);
    HWND byType = Item(IDC_GROUP_BY_TYPE);
    HWND cancel = Item(IDCANCEL);
    HWND ok = Item(IDOK);
    const viewer::ViewerLayout layout =
        viewer::ComputeViewerLayout(cx, cy, {WindowSize(byComputer), WindowSize(cancel), WindowSize(ok)});

    MoveAndSize(caption, layout.caption);
    ::InvalidateRect(caption, nullptr, FALSE);
    if (byComputer)
        MoveTo(byComputer, layout.groupByComputer);
    if (byType)
        MoveTo(byType, layout.groupByType);
    MoveAndSize(Tree(), layout.tree);
    MoveAndSize(m_list.Handle(), layout.list);
    FillLastColumn(m_list);
    if (cancel) {
        MoveTo(cancel, layout.cancel);
        ::InvalidateRect(cancel, nullptr, TRUE);
    }
    if (ok) {
        MoveTo(ok, layout.ok);
        ::InvalidateRect(ok, nullptr, TRUE);
    }
}

bool CDiagnoseDlg::OnCommand(WORD notifyCode, WORD id, HWND control) {
    if (notifyCode == BN_CLICKED && (id == IDC_GROUP_BY_COMPUTER || id == IDC_GROUP_BY_TYPE)) {
        GroupBy(id == IDC_GROUP_BY_COMPUTER);
        return true;
    }
    if ((notifyCode == 0 || notifyCode == 1) && m_commands.OnViewerCommand(id))
        return true;
    return Dialog::OnCommand(notifyCode, id, control);
}

void CDiagnoseDlg::GroupBy(bool byComputer) {
    if (m_groups.ByComputer() == byComputer)
        return;
    ShowRows(nullptr);
    m_groups.Fill(Index(), byComputer);
    Notify([](ViewerObserver& observer) { observer.OnSelectionChanged(); });
}

void CDiagnoseDlg::ShowRows(const diagnose::RecordList* records) {
    m_sort.CancelSorting(); // of the rows that go
    ApplyPlaces(CurrentPlaces(), {});
    m_columns.Keys().Clear();
    m_rows.Show(records);
    m_list.SetItemCount(static_cast<int>(m_rows.Count()));
    FillLastColumn(m_list);       // a vertical scroll bar came or went
    m_columns.MarkSortedColumn(); // file order
    if (m_rows.Count())
        m_list.EnsureVisible(0);
    m_list.Invalidate(true);
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

void CDiagnoseDlg::OnTreeSelectionChanged(const NMTREEVIEWW& change) {
    ShowRows(reinterpret_cast<const diagnose::RecordList*>(change.itemNew.hItem ? change.itemNew.lParam : 0));
    ShowCaption(change.itemNew.hItem);
    Notify([](ViewerObserver& observer) { observer.OnSelectionChanged(); });
}

bool CDiagnoseDlg::ShowRecord(diagnose::RecordId record) {
    if (!Index().IsRecord(record))
        return false;
    HTREEITEM entry =
        m_groups.EntryItem({std::wstring(Index().GetHost(record)), Index().GetTraceClass(record)});
    if (!entry)
        return false;
    ShowMatch(entry, record);
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
    // Looked at before the row takes the focus: the platform's list may scroll a focused row in
    // (Wine's does), to the edge it comes in by.
    const bool shown = m_list.RowShown(static_cast<int>(row));
    ApplyPlaces(CurrentPlaces(), {row, row, -1});
    if (!shown) // in the middle, with the rows around it
        m_list.ScrollToMiddle(static_cast<int>(row));
    // Found from the keys, the match is where the keys go on; the Find dialog keeps them.
    if (!m_search.Find().Dialog() && ::GetActiveWindow() == m_hwnd)
        ::SetFocus(m_list.Handle());
}

std::wstring CDiagnoseDlg::SelectedLabel() const {
    HTREEITEM selected = m_groups.Tree().GetSelectedItem();
    return selected ? m_groups.Label(selected) : std::wstring();
}

// The title; what part of the log is shown when not all of it is; for a group entry " - " and
// its label; why the log could not be read in full when it was opened, and why reading on failed.
void CDiagnoseDlg::ShowCaption(HTREEITEM item) {
    std::wstring caption = win::LoadResString(IDS_DIAGNOSE_TITLE);
    if (const std::wstring part = PartShown(); !part.empty())
        caption += L" - " + part;
    if (item && m_groups.ListOf(item)) {
        const std::wstring label = m_groups.Label(item);
        if (!label.empty())
            caption += L" - " + label;
    }
    if (m_session.OpenError() && !m_session.ReadFailure())
        caption += L" - " + SystemErrorText(m_session.OpenError());
    if (m_session.ReadFailure())
        caption += L" - " + SystemErrorText(m_session.ReadFailure());
    // A log that could not be opened: said once.
    if (const DWORD unreachable = m_session.Unreachable();
        unreachable && unreachable != m_session.OpenError())
        caption += L" - " + ViewerText(IDS_LOG_UNREACHABLE, SystemErrorText(unreachable));
    if (const uint32_t clipped = Index().ClippedLines())
        caption += L" - " + ViewerText(IDS_LINES_CLIPPED, std::to_wstring(clipped));
    if (m_session.Loading()) {
        const uint64_t target = Index().LoadTarget();
        const uint64_t percent = target ? std::min<uint64_t>(100, Index().CompleteEnd() * 100 / target) : 0;
        caption += L" - " + ViewerText(IDS_READING_LOG, std::to_wstring(percent));
    } else if (Searching()) {
        caption += L" - " + ViewerText(IDS_SEARCHING, std::to_wstring(SearchedPercent()));
    } else if (Sorting()) {
        caption += L" - " + ViewerText(IDS_SORTING);
    } else if (m_copy.Asked() || m_copy.Running()) {
        caption += L" - " + ViewerText(IDS_COPYING);
    }
    m_caption.SetText(caption);
    m_listNote.SetText(NoteFor(item));
}

// A log that is not shown whole never looks whole: the records left out at its start (it did not
// fit the budget) and those after a read that stopped part-way are said.
std::wstring CDiagnoseDlg::PartShown() const {
    const CDiagnoseIndex& index = Index();
    const RecordId count = index.RecordCount();
    if (count == 0)
        return {};
    auto when = [&](RecordId id) { return std::wstring(index.GetDate(id)) + L" " + index.GetTime(id); };
    if (!m_session.Loading() && (m_session.OpenError() || m_session.ReadFailure()))
        return viewer::FillIn(ViewerText(IDS_RECORDS_UP_TO), {viewer::GroupedNumber(count), when(count - 1)});
    if (index.StartsLate())
        return viewer::FillIn(ViewerText(IDS_NEWEST_RECORDS), {viewer::GroupedNumber(count), when(0)});
    return {};
}

// A missing log and an empty one must not look alike, nor a log whose records wait for a choice.
std::wstring CDiagnoseDlg::NoteFor(HTREEITEM item) const {
    if (m_session.OpenError() || m_session.Loading())
        return {}; // the caption band says why, or how far the load has come
    if (!Index().HasFile())
        return ViewerText(IDS_LOG_NOT_FOUND, Index().GetFile());
    if (Index().RecordCount() == 0)
        return ViewerText(IDS_LOG_EMPTY);
    return item && m_groups.ListOf(item) ? std::wstring() : ViewerText(IDS_CHOOSE_ENTRY);
}

void CDiagnoseDlg::AnswerDisplayInfo(NMLVDISPINFOW& info) {
    LVITEMW& item = info.item;
    const diagnose::RecordId record = m_rows.At(item.iItem);
    if (record == NeighbourQuery::kNoRecord)
        return;
    if ((item.mask & LVIF_TEXT) && item.pszText && item.cchTextMax > 0) {
        const std::wstring text = item.iSubItem == viewer::kMessageColumn
                                      ? m_columns.MessageText(record)
                                      : Index().RowText(record, item.iSubItem);
        const size_t count = std::min(text.size(), static_cast<size_t>(item.cchTextMax - 1));
        text.copy(item.pszText, count);
        item.pszText[count] = L'\0';
    }
    if (item.mask & LVIF_PARAM)
        item.lParam = static_cast<LPARAM>(record);
}

void CDiagnoseDlg::OnListDoubleClick(int row) {
    const diagnose::RecordId record = m_rows.At(row);
    if (record != NeighbourQuery::kNoRecord)
        OpenDetails(record);
}

void CDiagnoseDlg::OnTreeDoubleClick() {
    if (!m_groups.ListOf(m_groups.Tree().GetSelectedItem()))
        return;
    OnListDoubleClick(0);
}

// Enter in the tree, as in the platform's explorer: a heading opens or closes, an entry leads to
// its records in the list, the first one selected when none was.
void CDiagnoseDlg::OpenTreeItem() {
    HWND tree = Tree();
    HTREEITEM item = TreeView_GetSelection(tree);
    if (!item)
        return;
    if (!m_groups.ListOf(item)) {
        TreeView_Expand(tree, item, TVE_TOGGLE);
        return;
    }
    if (m_list.GetItemCount() == 0)
        return;
    if (m_list.GetNextItem(-1, LVNI_FOCUSED) < 0) {
        m_list.SetItemState(0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        ListView_EnsureVisible(m_list.Handle(), 0, FALSE);
    }
    FocusControl(m_list.Handle());
}

// Through the dialog manager, which keeps the focus for the next activation and moves the
// default button's frame.
void CDiagnoseDlg::FocusControl(HWND control) {
    ::SendMessageW(m_hwnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), TRUE);
}

// The details step through the rows as they stand: nothing changes them while they run (the
// work waits in the queue, the Find dialog is out of reach), and what waited runs afterwards.
void CDiagnoseDlg::OpenDetails(diagnose::RecordId record) {
    if (m_life.Details() || m_life.Closing())
        return;
    BusyScope busy(*this);
    viewer::OpenGate reading(*m_session.Gate()); // the reading thread goes on while the details are open
    CDiagnoseDetailsDlg details(this, record);
    m_life.SetDetails(&details);
    m_search.Find().Enable(false);
    details.DoModal(m_hwnd);
    m_search.Find().Enable(true);
    m_life.SetDetails(nullptr);
    // A line read again that no longer matched: the log is read again, from the queue.
    if (Index().IsStale())
        Request(viewer::Work::Reload);
}

bool CDiagnoseDlg::OnNotify(NMHDR* header, LRESULT& result) {
    result = 0;
    if (header->code == NM_CUSTOMDRAW &&
        (header->hwndFrom == Tree() || header->hwndFrom == m_list.Handle())) {
        const auto& draw = *reinterpret_cast<NMCUSTOMDRAW*>(header);
        result = m_paintHold.OnCustomDraw(draw.dwDrawStage);
        if (header->hwndFrom == m_list.Handle())
            result |= m_listNote.OnCustomDraw(draw);
        return true;
    }
    BusyScope busy(*this);
    if (const int column = m_list.ClickedColumn(*header); column >= 0) {
        m_sort.OnColumnClick(column);
        return true;
    }
    if (m_columns.OnHeaderChange(*header))
        return true;
    std::wstring typed;
    long start = 0;
    bool wrap = false;
    if (m_list.TypedSearch(*header, typed, start, wrap)) {
        result = viewer::FindRowByDateText(Index(), m_rows.Ids(), start, typed, wrap);
        return true;
    }
    if (header->hwndFrom == m_list.Handle()) {
        switch (header->code) {
        case LVN_GETDISPINFOW:
            AnswerDisplayInfo(*reinterpret_cast<NMLVDISPINFOW*>(header));
            return true;
        case NM_DBLCLK:
            OnListDoubleClick(reinterpret_cast<NMITEMACTIVATE*>(header)->iItem);
            return true;
        default:
            return false;
        }
    }
    if (header->hwndFrom == Tree()) {
        switch (header->code) {
        case TVN_GETDISPINFOW:
            return m_groups.AnswerLabel(*reinterpret_cast<NMTVDISPINFOW*>(header));
        case TVN_SELCHANGEDW:
            OnTreeSelectionChanged(*reinterpret_cast<NMTREEVIEWW*>(header));
            return true;
        case TVN_ITEMEXPANDINGW:
            // Items go in beneath the heading being opened, before the tree lays it out: the
            // notification's intended use.
            if (reinterpret_cast<NMTREEVIEWW*>(header)->action & TVE_EXPAND)
                m_groups.OnExpanding(reinterpret_cast<NMTREEVIEWW*>(header)->itemNew.hItem);
            return true;
        case NM_DBLCLK:
            OnTreeDoubleClick();
            return true;
        default:
            return false;
        }
    }
    return false;
}

bool CDiagnoseDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (message == CloseMessage()) {
        Close();
        result = 1;
        return true;
    }
    if (message == ViewerFind::Message() && lParam) {
        m_search.OnFindMessage(*reinterpret_cast<const FINDREPLACEW*>(lParam));
        return true;
    }
    switch (message) {
    case kBringToFront:
        BringToFront();
        return true;
    case kShowViewer:
        if (!m_life.Closing() && !::IsWindowVisible(m_hwnd)) {
            ::ShowWindow(m_hwnd, SW_SHOWNORMAL);
            FocusControl(Tree());
        }
        return true;
    case kColumnClickDone:
        m_sort.ClickDone();
        return true;
    case kFillLastColumn:
        m_columns.FillDone();
        FillLastColumn(m_list);
        return true;
    case kRunDeferredWork:
        m_life.RunDeferredWork(true);
        return true;
    case kSaveProgress:
        m_save.OnSaveProgress();
        return true;
    case kSaveCancel:
        CancelSave();
        return true;
    case kReadEnded:
        Request(viewer::Work::TakeRead);
        return true;
    case kCancelWork:
        m_search.CancelMarking();
        m_sort.CancelSorting();
        m_copy.Cancel();
        ShowCaption(m_groups.Tree().GetSelectedItem());
        return true;
    case WM_TIMER:
        m_paintHold.Release();
        if (wParam == kReadTimer)
            Request(viewer::Work::TakeRead);
        else if (wParam == kFollowTimer)
            m_reading.OnFollowTimer();
        else if (wParam == kSaveEndTimer)
            m_save.OnSaveProgress();
        else
            return m_life.OnCloseTimer(wParam);
        return true;
    case WM_EXITSIZEMOVE:
    case WM_EXITMENULOOP:
    case WM_CAPTURECHANGED:
        PlatformLoopEnded();
        return false;
    case WM_DESTROY:
        if (m_slot) // before the window's handle is let go: another thread reads it from the slot
            m_slot->Leave(this);
        // Their threads have ended before the window goes, also when it goes without Close
        // (its host destroyed it): the save's progress and end are told to it.
        m_save.End();
        m_session.End();
        return false;
    case WM_CONTEXTMENU:
        m_commands.ShowContextMenu(reinterpret_cast<HWND>(wParam), lParam);
        return true;
    case WM_SIZE:
        if (wParam == SIZE_RESTORED || wParam == SIZE_MAXIMIZED)
            Layout(LOWORD(lParam), HIWORD(lParam));
        return false;
    case WM_GETMINMAXINFO: {
        auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
        info->ptMinTrackSize = {viewer::kViewerMinimumSize.width, viewer::kViewerMinimumSize.height};
        return true;
    }
    case WM_PAINT:
        return PaintMinimised();
    case WM_QUERYDRAGICON:
        result = reinterpret_cast<LRESULT>(m_icon.get());
        return true;
    case WM_CLOSE:
        Close();
        return true;
    default:
        return false;
    }
}

bool CDiagnoseDlg::PaintMinimised() {
    if (!::IsIconic(m_hwnd))
        return false;
    PAINTSTRUCT paint;
    HDC dc = ::BeginPaint(m_hwnd, &paint);
    ::SendMessageW(m_hwnd, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    const RECT client = ClientRect();
    const int x = (client.right - ::GetSystemMetrics(SM_CXICON) + 1) / 2;
    const int y = (client.bottom - ::GetSystemMetrics(SM_CYICON) + 1) / 2;
    ::DrawIcon(dc, x, y, m_icon.get());
    ::EndPaint(m_hwnd, &paint);
    return true;
}

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
        m_copy.CopyRecords(m_hwnd, RecordsToSave());
}

void CDiagnoseDlg::ReadLogAgain() {
    Request(viewer::Work::Reload);
}

// Keys of the viewer's own windows and of its Find dialog; the framework passes no others.
bool CDiagnoseDlg::PreTranslateMessage(MSG& message) {
    if (m_commands.TranslateKey(message))
        return true;
    HWND find = m_search.Find().Dialog();
    if (find && (message.hwnd == find || ::IsChild(find, message.hwnd)))
        return TranslateDialogKeys(find, message);
    return Dialog::PreTranslateMessage(message);
}

void CDiagnoseDlg::OnFinalMessage() {
    delete this;
}
