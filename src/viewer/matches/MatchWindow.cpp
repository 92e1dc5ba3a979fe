// The match window.
#include "viewer/matches/MatchWindow.h"

#include "diagnose/DiagnoseFeed.h"
#include "viewer/DiagnoseDlg.h"
#include "viewer/ListColumns.h"
#include "viewer/RecordColumns.h"
#include "viewer/RecordRows.h"
#include "viewer/RecordsText.h"
#include "viewer/ViewerText.h"
#include "resource.h"
#include "viewer/records/FilterMenu.h"
#include "win/PopupMenu.h"

#include <algorithm>
#include <map>
#include <unordered_set>

namespace {

// Posted to itself: a row's record is selected in the viewer once the list's notification has
// returned; a header click has been sorted (both ways the platform may report it came first);
// the viewer reads its log again, from the queue rather than from inside the viewer's handler
// that told of new records.
constexpr UINT kShowRecord = WM_APP + 1;
constexpr UINT kColumnClickDone = WM_APP + 2;
constexpr UINT kReloadViewer = WM_APP + 3;

constexpr int kText = kMessageColumn;
constexpr int kColumnCount = kRecordColumns;

constexpr POINT kMinimumSize{320, 160};

} // namespace

CMatchWindow::CMatchWindow(CDiagnoseDlg& viewer) : Dialog(IDD_MATCHES), m_viewer(viewer) {
    HandleMessagesUnder(viewer.Gate());
    // A close that comes inside one of its handlers waits for it to return.
    CountDispatchWith(viewer);
    if (const auto& kept = viewer.Choices().matches) // where an earlier viewer's stood
        m_place.Keep(*kept);
}

CMatchWindow::~CMatchWindow() {
    // The window is gone by now (the viewer's went, and took it along); should it not be, the
    // viewer must not tell an object that is going.
    if (m_hwnd)
        m_viewer.RemoveObserver(this);
}

void CMatchWindow::Show(bool activate) {
    if (!m_hwnd) {
        if (!Create(m_viewer.Handle()))
            return;
        TranslateInHostLoop();
        m_viewer.AddObserver(this);
    }
    // Find Next with the search it shows already leaves it as the operator arranged it.
    const ViewerFind& find = m_viewer.Find();
    const std::wstring search =
        std::wstring(find.MatchCase() ? L"C" : L"c") + (find.WholeWord() ? L"W" : L"w") + find.Text();
    if (search != m_search || m_searchError || !::IsWindowVisible(m_hwnd))
        Fill();
    m_search = search;
    ::ShowWindow(m_hwnd, ::IsIconic(m_hwnd) ? SW_RESTORE : activate ? SW_SHOW : SW_SHOWNOACTIVATE);
    if (activate) {
        ::SetActiveWindow(m_hwnd);
        ::SetFocus(m_list.Handle());
    }
}

bool CMatchWindow::OnInitDialog() {
    m_list.Attach(Item(IDC_MATCHES_LIST));
    m_list.SetExtendedStyle(LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
    InsertRecordColumns(m_list);
    const RECT client = ClientRect();
    ::MoveWindow(m_list.Handle(), 0, 0, client.right, client.bottom, FALSE);
    FillLastColumn(m_list);
    m_place.Place(m_hwnd, m_viewer.Handle(), m_viewer.RecordList());
    return true;
}

void CMatchWindow::Fill(bool again) {
    m_text = m_viewer.Find().Text();
    m_matcher = m_viewer.Find().MakeMatcher();
    m_searchError = 0;
    const diagnose::Recheck check = m_viewer.BringMarksUp();
    const std::vector<bool>* marks = &m_viewer.Find().Marks().Bits();
    // Emptied first: the platform's list clears a selection row by row over all its rows, and
    // an empty list has none.
    m_list.SetItemCount(0);
    m_list.SetItemState(-1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    m_selected.Clear();
    m_selectedKnown = true;
    if (check == diagnose::Recheck::Same) {
        const viewer::ColumnTexts texts = [this](int column, const auto& rows, auto& out) {
            TextsOf(column, rows, out);
        };
        m_rows.Fill(*marks, again ? &texts : nullptr);
    } else {
        m_rows.Clear();
        if (check == diagnose::Recheck::Changed)
            ::PostMessageW(m_hwnd, kReloadViewer, 0, 0); // the rows come with the reload
        else
            m_searchError =
                m_viewer.Find().Marks().Error() ? m_viewer.Find().Marks().Error() : ERROR_READ_FAULT;
    }
    m_list.SetItemCount(static_cast<int>(m_rows.Rows().size()));
    FillLastColumn(m_list); // the rows may have brought a scroll bar
    MarkSortedColumn(m_list, m_rows.SortColumn(), m_rows.Ascending()); // a new search is in file order
    if (!m_rows.Rows().empty())
        m_list.EnsureVisible(0);
    m_list.Invalidate(true);
    ShowTitle();
}

template <typename Change> void CMatchWindow::ChangeRows(Change&& change) {
    const auto& rows = m_rows.Rows();
    auto recordAt = [&](int row) {
        return row >= 0 && static_cast<size_t>(row) < rows.size() ? rows[row] : ~0u;
    };
    std::vector<int> selectedRows;
    for (int row = m_list.GetNextItem(-1, LVNI_SELECTED); row >= 0;
         row = m_list.GetNextItem(row, LVNI_SELECTED))
        selectedRows.push_back(row);
    std::unordered_set<diagnose::RecordId> selected;
    for (int row : selectedRows)
        selected.insert(recordAt(row));
    const int focusedRow = m_list.GetNextItem(-1, LVNI_FOCUSED);
    const diagnose::RecordId focused = recordAt(focusedRow);
    change();
    m_list.Send(LVM_SETITEMCOUNT, rows.size(), LVSICF_NOSCROLL | LVSICF_NOINVALIDATEALL);
    FillLastColumn(m_list);
    // Row by row, not all at once: the platform's list clears a selection over every row.
    for (int row : selectedRows)
        m_list.SetItemState(row, 0, LVIS_SELECTED);
    if (focusedRow >= 0)
        m_list.SetItemState(focusedRow, 0, LVIS_FOCUSED);
    for (size_t row = 0; row < rows.size() && (!selected.empty() || focused != ~0u); ++row) {
        if (rows[row] == focused)
            m_list.SetItemState(static_cast<int>(row), LVIS_FOCUSED, LVIS_FOCUSED);
        if (selected.count(rows[row]))
            m_list.SetItemState(static_cast<int>(row), LVIS_SELECTED, LVIS_SELECTED);
    }
    m_list.Invalidate(false);
    m_selectedKnown = false; // rows moved under the notifications
    ShowTitle();
}

void CMatchWindow::TakeNewRows(const std::vector<bool>& marks, diagnose::RecordId firstNew) {
    auto texts = [this](int column, const auto& rows, auto& out) { TextsOf(column, rows, out); };
    if (m_rows.TakesBack(firstNew)) { // the provisional last line filed again: rare, and by record
        ChangeRows([&] { m_rows.TakeNew(marks, firstNew, texts); });
        return;
    }
    if (!m_selectedKnown || m_selected.Count() != static_cast<size_t>(m_list.GetSelectedCount()))
        ReadSelection();
    const int focused = m_list.GetNextItem(-1, LVNI_FOCUSED);
    const long top = static_cast<long>(m_list.Send(LVM_GETTOPINDEX));
    const viewer::RowChange change = m_rows.TakeNew(marks, firstNew, texts);
    if (change.inserted.empty())
        return ShowTitle();
    auto moved = [&](long row) { // where a row stands after the new ones went in
        for (size_t at : change.inserted)
            row += static_cast<long>(at) <= row;
        return row;
    };
    m_list.Send(LVM_SETITEMCOUNT, m_rows.Rows().size(), LVSICF_NOSCROLL | LVSICF_NOINVALIDATEALL);
    FillLastColumn(m_list);
    for (const auto& [row, selected] : m_selected.Insert(change.inserted))
        m_list.SetItemState(static_cast<int>(row), selected ? LVIS_SELECTED : 0, LVIS_SELECTED);
    if (focused >= 0 && moved(focused) != focused) {
        m_list.SetItemState(focused, 0, LVIS_FOCUSED);
        m_list.SetItemState(static_cast<int>(moved(focused)), LVIS_FOCUSED, LVIS_FOCUSED);
    }
    // Rows that went in above the top one would push what is shown down: scroll it back.
    RECT item{};
    item.left = LVIR_BOUNDS;
    if (top >= 0 && moved(top) > top && m_list.Send(LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&item)))
        m_list.Send(LVM_SCROLL, 0, static_cast<LPARAM>(moved(top) - top) * (item.bottom - item.top));
    m_list.Invalidate(false);
    ShowTitle();
}

// The list's selection row by row: only when the ranges kept of it do not add up.
void CMatchWindow::ReadSelection() {
    m_selected.Clear();
    for (int row = m_list.GetNextItem(-1, LVNI_SELECTED); row >= 0;
         row = m_list.GetNextItem(row, LVNI_SELECTED))
        m_selected.Set(row, row + 1, true);
    m_selectedKnown = true;
}

void CMatchWindow::OnItemChanged(const NMLISTVIEW& change) {
    if (!(change.uChanged & LVIF_STATE) || !((change.uNewState ^ change.uOldState) & LVIS_SELECTED))
        return;
    const bool selected = (change.uNewState & LVIS_SELECTED) != 0;
    if (change.iItem < 0) // every row
        m_selected.Set(0, static_cast<long>(m_rows.Rows().size()), selected);
    else
        m_selected.Set(change.iItem, change.iItem + 1, selected);
}

// The search on the reading thread has come further, ended or stopped. Marks that shrank (a read
// that failed forgets them) are not taken: the rows of those looked at before stay.
void CMatchWindow::TakeMarks() {
    if (!m_hwnd)
        return;
    m_searchError = m_viewer.MarkFailure();
    const std::vector<bool>& marks = m_viewer.Find().Marks().Bits();
    if (marks.size() > m_rows.End() && !m_searchError)
        TakeNewRows(marks, m_rows.End());
    else
        ShowTitle();
}

void CMatchWindow::OnRecordsAdded(diagnose::RecordId firstNew) {
    const diagnose::Recheck check = m_viewer.BringMarksUp();
    const std::vector<bool>* marks = &m_viewer.Find().Marks().Bits();
    if (check == diagnose::Recheck::Changed) {
        ::PostMessageW(m_hwnd, kReloadViewer, 0, 0);
        return;
    }
    if (check == diagnose::Recheck::Failed) {
        const uint32_t error = m_viewer.Find().Marks().Error();
        m_searchError = error ? error : ERROR_READ_FAULT;
        ShowTitle();
        return;
    }
    m_searchError = 0;
    TakeNewRows(*marks, firstNew);
}

void CMatchWindow::OnReloading() {
    ReadSelection();
    m_keptSelection.clear();
    for (const auto& [first, last] : m_selected.Ranges())
        for (long row = first; row < last && m_keptSelection.size() < 100000; ++row)
            m_keptSelection.push_back(KeyOf(m_rows.Rows()[static_cast<size_t>(row)]));
    std::sort(m_keptSelection.begin(), m_keptSelection.end());
    const int focused = m_list.GetNextItem(-1, LVNI_FOCUSED);
    m_keptFocus = focused >= 0 ? KeyOf(m_rows.Rows()[static_cast<size_t>(focused)]) : std::wstring();
    m_keptTop = static_cast<long>(m_list.Send(LVM_GETTOPINDEX));
}

// The log read again (a cut, a new file): the same search, in the same order, with the rows of
// the records that were selected selected again and the list scrolled where it was.
void CMatchWindow::OnReloaded() {
    Fill(true);
    const auto& rows = m_rows.Rows();
    for (size_t row = 0; row < rows.size() && (!m_keptSelection.empty() || !m_keptFocus.empty()); ++row) {
        const std::wstring key = KeyOf(rows[row]);
        if (std::binary_search(m_keptSelection.begin(), m_keptSelection.end(), key))
            m_list.SetItemState(static_cast<int>(row), LVIS_SELECTED, LVIS_SELECTED);
        if (key == m_keptFocus) {
            m_list.SetItemState(static_cast<int>(row), LVIS_FOCUSED, LVIS_FOCUSED);
            m_keptFocus.clear();
        }
    }
    RECT item{};
    item.left = LVIR_BOUNDS;
    const long top = static_cast<long>(m_list.Send(LVM_GETTOPINDEX));
    if (m_keptTop >= 0 && m_keptTop != top &&
        m_list.Send(LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&item)))
        m_list.Send(LVM_SCROLL, 0, static_cast<LPARAM>(m_keptTop - top) * (item.bottom - item.top));
    m_keptSelection.clear();
    m_keptTop = -1;
}

std::wstring CMatchWindow::KeyOf(diagnose::RecordId record) const {
    const CDiagnoseIndex& index = m_viewer.Index();
    std::wstring key = index.RowText(record, 0);
    key.append(1, L'\t').append(index.GetHost(record)).append(1, L'\t').append(index.GetProcess(record));
    return key;
}

void CMatchWindow::OnReadError(uint32_t) {
    ShowTitle();
}

// The search's own read failure first; else why the viewer could not read its log on (or in
// full when it was opened), which records of the same read do not take back.
void CMatchWindow::ShowTitle() {
    std::wstring title = viewer::MatchesTitle(ViewerText(IDS_MATCHES_TITLE), m_text, m_rows.Rows().size());
    if (const uint32_t error = m_searchError ? m_searchError : m_viewer.ReadFailure())
        title += L" - " + SystemErrorText(error);
    else if (m_viewer.Searching() || m_rows.End() < m_viewer.Index().RecordCount())
        title += L" - " + ViewerText(m_viewer.Searching() ? IDS_SEARCHING : IDS_SEARCH_STOPPED,
                                     std::to_wstring(m_viewer.SearchedPercent()));
    SetText(title);
}

std::wstring CMatchWindow::CellText(diagnose::RecordId record, int column) const {
    return RecordCellText(m_viewer.Index(), record, column, [this](diagnose::RecordId id) {
        std::wstring line; // as the viewer's message column has it
        return m_viewer.Index().ReadLineText(id, line) ? MessageReader()(line) : std::wstring();
    });
}

void CMatchWindow::TextsOf(int column, const std::vector<diagnose::RecordId>& rows,
                           std::vector<std::wstring>& texts) const {
    texts.clear();
    if (column == kText) {
        const CDiagnoseIndex& index = m_viewer.Index();
        if (viewer::ReadRecordLines(index, index.Source(), rows, texts) != diagnose::Recheck::Same)
            return; // no order from lines that are not the records' any more
        const viewer::MessageOfLine messageOf = MessageReader();
        for (std::wstring& text : texts)
            text = messageOf(text);
        return;
    }
    texts.reserve(rows.size());
    std::map<uint16_t, std::wstring> typeNames; // loaded once per class, not once per row
    for (diagnose::RecordId record : rows) {
        if (column != kTypeColumn) {
            texts.push_back(CellText(record, column));
            continue;
        }
        const uint16_t traceClass = m_viewer.Index().GetTraceClass(record);
        auto name = typeNames.find(traceClass);
        if (name == typeNames.end())
            name = typeNames.emplace(traceClass, GetTraceClassName(traceClass)).first;
        texts.push_back(name->second);
    }
}

void CMatchWindow::AnswerDisplayInfo(NMLVDISPINFOW& info) const {
    const auto& rows = m_rows.Rows();
    if (info.item.iItem >= 0 && static_cast<size_t>(info.item.iItem) < rows.size())
        AnswerCellText(info, CellText(rows[info.item.iItem], info.item.iSubItem));
}

// The message cells of the rows painted draw the search's matches marked; the rest is the list's.
LRESULT CMatchWindow::OnCustomDraw(const NMLVCUSTOMDRAW& draw) {
    switch (draw.nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
        return m_matcher ? CDRF_NOTIFYITEMDRAW : CDRF_DODEFAULT;
    case CDDS_ITEMPREPAINT:
        return CDRF_NOTIFYSUBITEMDRAW;
    case CDDS_ITEMPREPAINT | CDDS_SUBITEM: {
        const auto& rows = m_rows.Rows();
        const size_t row = draw.nmcd.dwItemSpec;
        if (draw.iSubItem != kText || !m_matcher || row >= rows.size())
            return CDRF_DODEFAULT;
        return m_markedCell.Draw(m_list.Handle(), draw, CellText(rows[row], kText), *m_matcher)
                   ? CDRF_SKIPDEFAULT
                   : CDRF_DODEFAULT;
    }
    default:
        return CDRF_DODEFAULT;
    }
}

void CMatchWindow::OnColumnClick(int column) {
    if (m_columnClickSeen || column < 0 || column >= kColumnCount)
        return;
    m_columnClickSeen = ::PostMessageW(m_hwnd, kColumnClickDone, 0, 0) != FALSE;
    ChangeRows([&] {
        m_rows.SortBy(column, [this](int c, const auto& rows, auto& texts) { TextsOf(c, rows, texts); });
    });
    MarkSortedColumn(m_list, m_rows.SortColumn(), m_rows.Ascending());
}

std::vector<diagnose::RecordId> CMatchWindow::SelectedRecords() const {
    std::vector<diagnose::RecordId> records;
    const auto& rows = m_rows.Rows();
    for (int row = m_list.GetNextItem(-1, LVNI_SELECTED); row >= 0 && static_cast<size_t>(row) < rows.size();
         row = m_list.GetNextItem(row, LVNI_SELECTED))
        records.push_back(rows[row]);
    return records;
}

void CMatchWindow::ShowInViewer(int row) {
    const auto& rows = m_rows.Rows();
    // While the viewer's details run modally it is disabled, and its rows are theirs to step through.
    if (row >= 0 && static_cast<size_t>(row) < rows.size() && ::IsWindowEnabled(m_viewer.Handle()))
        m_viewer.ShowRecord(rows[row]);
}

void CMatchWindow::OnOK() {
    ShowInViewer(m_list.GetNextItem(-1, LVNI_FOCUSED));
}

// The keys, the context menu and Enter all come here, from the window's queue: the copy may say
// in a message box why it failed.
bool CMatchWindow::OnCommand(WORD notifyCode, WORD id, HWND control) {
    switch (id) {
    case ID_VIEWER_COPY:
        m_viewer.CopyRecords(m_hwnd, SelectedRecords());
        return true;
    case ID_SELECT_ALL:
        m_list.SetItemState(-1, LVIS_SELECTED, LVIS_SELECTED);
        return true;
    case ID_SHOW_IN_VIEWER:
        OnOK();
        return true;
    case ID_VIEWER_SAVE_AS: // the selected matches, or all of them
        m_viewer.SaveRecordsAs(m_hwnd, m_list.GetSelectedCount() ? SelectedRecords() : m_rows.Rows());
        return true;
    default:
        if (IsFilterCommand(id)) {
            const int focused = m_list.GetNextItem(-1, LVNI_FOCUSED);
            if (focused >= 0 && static_cast<size_t>(focused) < m_rows.Rows().size())
                m_viewer.FilterRecordsBy(id, m_rows.Rows()[static_cast<size_t>(focused)]);
            return true;
        }
        return Dialog::OnCommand(notifyCode, id, control);
    }
}

// The one place that builds the window's context menu; from the keyboard it opens at the
// focused row.
void CMatchWindow::ShowContextMenu(LPARAM position) {
    const int focused = m_list.GetNextItem(-1, LVNI_FOCUSED);
    const POINT at = RowMenuPoint(m_list, focused, position);
    win::PopupMenu menu, filter;
    AddFilterItems(filter, focused >= 0, false);
    menu.Item(ID_VIEWER_COPY, ViewerText(IDS_MENU_COPY), m_list.GetSelectedCount() > 0)
        .Item(ID_SELECT_ALL, ViewerText(IDS_MENU_SELECT_ALL), !m_rows.Rows().empty())
        .Separator()
        .Item(ID_SHOW_IN_VIEWER, ViewerText(IDS_MENU_SHOW_IN_VIEWER), focused >= 0)
        .Submenu(ViewerText(IDS_MENU_FILTER), std::move(filter))
        .Separator()
        .Item(ID_VIEWER_SAVE_AS, ViewerText(IDS_MENU_SAVE_AS), !m_rows.Rows().empty());
    const UINT command = m_viewer.RunMenu(menu, m_hwnd, at);
    if (command && m_hwnd)
        OnCommand(0, static_cast<WORD>(command), nullptr);
}

bool CMatchWindow::OnNotify(NMHDR* header, LRESULT& result) {
    result = 0;
    if (const int column = m_list.ClickedColumn(*header); column >= 0) {
        OnColumnClick(column);
        return true;
    }
    std::wstring typed;
    long start = 0;
    bool wrap = false;
    if (m_list.TypedSearch(*header, typed, start, wrap)) {
        result = viewer::FindRowByDateText(m_viewer.Index(), m_rows.Rows(), start, typed, wrap);
        return true;
    }
    if (header->hwndFrom == m_list.Handle()) {
        switch (header->code) {
        case LVN_GETDISPINFOW:
            AnswerDisplayInfo(*reinterpret_cast<NMLVDISPINFOW*>(header));
            return true;
        case NM_CUSTOMDRAW:
            result = OnCustomDraw(*reinterpret_cast<NMLVCUSTOMDRAW*>(header));
            return true;
        case LVN_ITEMCHANGED:
            OnItemChanged(*reinterpret_cast<NMLISTVIEW*>(header));
            return false;
        case LVN_ODSTATECHANGED: // a range, whose states the platforms report differently
            m_selectedKnown = false;
            return false;
        case NM_DBLCLK: {
            const int row = reinterpret_cast<NMITEMACTIVATE*>(header)->iItem;
            if (row >= 0 && static_cast<size_t>(row) < m_rows.Rows().size())
                ::PostMessageW(m_hwnd, kShowRecord, m_rows.Rows()[row], 0);
            return true;
        }
        default:
            return false;
        }
    }
    return false;
}

bool CMatchWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    (void)result;
    switch (message) {
    case kShowRecord:
        if (::IsWindowEnabled(m_viewer.Handle()))
            m_viewer.ShowRecord(static_cast<diagnose::RecordId>(wParam));
        return true;
    case kColumnClickDone:
        m_columnClickSeen = false;
        return true;
    case kReloadViewer:
        m_viewer.ReadLogAgain();
        return true;
    case WM_EXITSIZEMOVE:
    case WM_EXITMENULOOP:
    case WM_CAPTURECHANGED:
        m_viewer.PlatformLoopEnded(); // a close may have waited for the loop
        return false;
    case WM_CONTEXTMENU:
        ShowContextMenu(lParam);
        return true;
    case WM_DESTROY:
        m_place.Remember(m_hwnd);
        return false;
    case WM_SIZE:
        if (wParam != SIZE_MINIMIZED) {
            ::MoveWindow(m_list.Handle(), 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
            FillLastColumn(m_list);
        }
        return false;
    case WM_GETMINMAXINFO:
        reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize = kMinimumSize;
        return true;
    default:
        return false;
    }
}

// The keys of the window and its list; the framework passes no others. They run inside whatever
// loop takes them: they only become commands posted to the window.
bool CMatchWindow::PreTranslateMessage(MSG& message) {
    if (message.message == WM_KEYDOWN && message.hwnd == m_list.Handle()) {
        const bool control = ::GetKeyState(VK_CONTROL) < 0;
        const WORD command = message.wParam == VK_RETURN        ? ID_SHOW_IN_VIEWER
                             : control && message.wParam == 'A' ? ID_SELECT_ALL
                             : control && message.wParam == 'C' ? ID_VIEWER_COPY
                             : control && message.wParam == 'S' ? ID_VIEWER_SAVE_AS
                                                                : 0;
        if (command) {
            ::PostMessageW(m_hwnd, WM_COMMAND, MAKEWPARAM(command, 1), 0);
            return true;
        }
    }
    return Dialog::PreTranslateMessage(message);
}

void CMatchWindow::OnFinalMessage() {
    m_viewer.RemoveObserver(this);
    m_rows.Clear(); // the window remembers nothing until the next search
    m_list.Attach(nullptr);
}
