// The viewer's timeline window.
#include "viewer/timeline/TimelineWindow.h"

#include "viewer/ViewerText.h"

#include "frame/ZtServiceMsgApp.h"
#include "viewer/DiagnoseDlg.h"
#include "viewer/timeline/LogTime.h"
#include "resource.h"
#include "win/ActivationContext.h"
#include "win/PopupMenu.h"
#include "win/ResourceModule.h"

#include <algorithm>

namespace {

// Posted to itself: count the shown set again once the viewer's handler that told us returned.
constexpr UINT kCount = WM_APP + 1;
// Posted to itself by Escape and the close box: the window goes once their handling returned.
constexpr UINT kClose = WM_APP + 2;
constexpr int kMargin = 8;
constexpr SIZE kMinimumSize = {360, 240};
// Records counted per message (some 15 ms to 50 ms under Wine): the rest is counted from the
// queue, the chart showing what has been counted meanwhile.
constexpr size_t kCountedPerMessage = size_t(1) << 18;
// The call that opens the window makes it too (some 50 ms under Wine): it counts fewer.
constexpr size_t kCountedWhenOpened = size_t(1) << 16;

std::wstring SlotLengthText(int64_t seconds) {
    if (seconds < 3600)
        return std::to_wstring(seconds / 60) + L" min";
    if (seconds < viewer::kSecondsPerDay)
        return std::to_wstring(seconds / 3600) + L" h";
    if (seconds == viewer::kSecondsPerDay)
        return L"1 " + ViewerText(IDS_TIMELINE_DAY);
    const int64_t weeks = seconds / (7 * viewer::kSecondsPerDay);
    return std::to_wstring(weeks) + L" " + ViewerText(weeks == 1 ? IDS_TIMELINE_WEEK : IDS_TIMELINE_WEEKS);
}

int Height(HWND window) {
    RECT rect{};
    ::GetWindowRect(window, &rect);
    return rect.bottom - rect.top;
}

} // namespace

TimelineWindow::TimelineWindow(CDiagnoseDlg& viewer) : Dialog(IDD_VIEWER_TIMELINE), m_viewer(viewer) {
    HandleMessagesUnder(viewer.Gate());
    CountDispatchWith(viewer); // a close that comes inside one of its handlers waits for it
    m_chart.HandleMessagesUnder(viewer.Gate());
    m_chart.onSlotClicked = [this](size_t slot) { OnSlotClicked(slot); };
    m_chart.onFocusMoved = [this] { ShowFocusText(); };
    if (const auto& kept = viewer.Choices().timeline) // where an earlier viewer's stood
        m_place.Keep(*kept);
}

TimelineWindow::~TimelineWindow() {
    if (m_hwnd)
        m_viewer.RemoveObserver(this);
}

void TimelineWindow::Open() {
    if (m_hwnd) {
        if (::IsIconic(m_hwnd))
            ::ShowWindow(m_hwnd, SW_RESTORE);
        ::SetForegroundWindow(m_hwnd);
        ::SetActiveWindow(m_hwnd);
        return;
    }
    {
        // Opened from the viewer's key or menu, outside any exported call: the module's own
        // controls context gives its tooltip the same common controls as the viewer's.
        win::ScopedActivation controls(TheApp().ControlsContext());
        if (!Create(m_viewer.Handle()))
            return;
    }
    TranslateInHostLoop();
    m_viewer.AddObserver(this);
    m_counts.Reloaded(); // what happened while the window was closed was not followed
    CountNow(kCountedWhenOpened);
    ::ShowWindow(m_hwnd, SW_SHOW);
}

bool TimelineWindow::OnInitDialog() {
    m_chart.SubclassDlgItem(IDC_TIMELINE_CHART, m_hwnd);
    if (!Item(IDC_TIMELINE_FOCUS)) // a language library made before the line existed
        ::CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_NOPREFIX, 0, 0, 1, 1, m_hwnd,
                          reinterpret_cast<HMENU>(IDC_TIMELINE_FOCUS), win::ThisModule(), nullptr);
    ::SendDlgItemMessageW(m_hwnd, IDC_TIMELINE_FOCUS, WM_SETFONT, Send(WM_GETFONT), FALSE);
    m_place.Place(m_hwnd, m_viewer.Handle(), m_viewer.RecordList());
    const RECT client = ClientRect();
    Layout(client.right, client.bottom);
    return true;
}

void TimelineWindow::OnCancel() {
    ::PostMessageW(m_hwnd, kClose, 0, 0);
}

// The subtitle above the chart; under it the focused slot's time and counts, and the records
// without a time.
void TimelineWindow::Layout(int cx, int cy) {
    HWND subtitle = Item(IDC_TIMELINE_SUBTITLE);
    HWND untimed = Item(IDC_TIMELINE_UNTIMED);
    HWND focus = Item(IDC_TIMELINE_FOCUS);
    if (!subtitle || !untimed || !focus || !m_chart.Handle())
        return;
    const int width = std::max(cx - 2 * kMargin, 1);
    const int top = Height(subtitle);
    const int line = Height(untimed);
    ::SetWindowPos(subtitle, nullptr, kMargin, kMargin / 2, width, top, SWP_NOZORDER | SWP_NOACTIVATE);
    const int chartTop = kMargin / 2 + top + 4;
    const int chartBottom = std::max(cy - kMargin / 2 - 2 * line - 6, chartTop + 1);
    ::SetWindowPos(m_chart.Handle(), nullptr, kMargin, chartTop, width, chartBottom - chartTop,
                   SWP_NOZORDER | SWP_NOACTIVATE);
    ::SetWindowPos(focus, nullptr, kMargin, chartBottom + 4, width, line, SWP_NOZORDER | SWP_NOACTIVATE);
    ::SetWindowPos(untimed, nullptr, kMargin, chartBottom + 6 + line, width, line,
                   SWP_NOZORDER | SWP_NOACTIVATE);
}

void TimelineWindow::OnRecordsAdded(diagnose::RecordId firstNew) {
    m_counts.RecordsAdded(firstNew);
    ScheduleCount();
}

void TimelineWindow::OnReloaded() {
    m_counts.Reloaded();
    ScheduleCount();
}

void TimelineWindow::OnSelectionChanged() {
    if (!m_wholeLog)
        ScheduleCount();
}

void TimelineWindow::ScheduleCount() {
    if (!m_countPosted && m_hwnd)
        m_countPosted = ::PostMessageW(m_hwnd, kCount, 0, 0) != FALSE;
}

// Counts at most `most` more records of the viewer's shown set (its selected entry's records, or
// the whole log) and shows what is counted.
void TimelineWindow::CountNow(size_t most) {
    m_countPosted = false;
    const diagnose::RecordList* records = m_wholeLog ? nullptr : m_viewer.SelectedRecords();
    m_shown = &m_counts.Of(m_viewer.Index(), records, most);
    const bool counted = m_shown->Counted(m_viewer.Index());
    if (!counted)
        ScheduleCount();

    std::wstring subtitle =
        records ? m_viewer.SelectedLabel()
                : ViewerTextWith(IDS_TIMELINE_ALL_RECORDS, std::to_wstring(m_viewer.Index().RecordCount()));
    if (!m_shown->Slots().empty())
        subtitle += L" - " + ViewerTextWith(IDS_TIMELINE_SLOT, SlotLengthText(m_shown->SlotSeconds()));
    if (!counted)
        subtitle += L" \u2026";
    ::SetDlgItemTextW(m_hwnd, IDC_TIMELINE_SUBTITLE, subtitle.c_str());
    ::SetDlgItemTextW(m_hwnd, IDC_TIMELINE_UNTIMED,
                      ViewerTextWith(IDS_TIMELINE_UNTIMED, std::to_wstring(m_shown->Untimed())).c_str());
    m_chart.Show(m_shown, {{ViewerText(IDS_TRACE_ERROR), ViewerText(IDS_TRACE_WARNING),
                            ViewerText(IDS_TRACE_INFORMATION), ViewerText(IDS_UNKNOWN)},
                           ViewerText(IDS_TIMELINE_NO_TIMES)});
    ShowFocusText();
}

void TimelineWindow::ShowFocusText() {
    ::SetDlgItemTextW(m_hwnd, IDC_TIMELINE_FOCUS, m_chart.FocusText().c_str());
}

void TimelineWindow::OnSlotClicked(size_t slot) {
    // While the viewer runs a modal dialog (its details) its list is not ours to change; while
    // a count is on its way the slots may stand for records that are gone.
    if (!::IsWindowEnabled(m_viewer.Handle()) || m_countPosted || !m_shown ||
        slot >= m_shown->Slots().size() || m_shown->Slots()[slot].first == viewer::kNoRecord)
        return;
    m_viewer.ShowRecord(m_shown->Slots()[slot].first);
}

// The one place that builds the timeline's context menu: the slot under the pointer (from the
// keyboard, the focused one) to show in the viewer, and what the chart counts.
void TimelineWindow::ShowContextMenu(HWND control, LPARAM position) {
    size_t slot = SIZE_MAX;
    POINT at{};
    if (position == -1) {
        slot = m_chart.Focus();
        const RECT box = m_chart.SlotBox(slot);
        at = win::PopupMenu::Where(m_chart.Handle(), position, {(box.left + box.right) / 2, box.bottom});
    } else {
        at = win::PopupMenu::Where(control, position);
        POINT inChart = at;
        ::ScreenToClient(m_chart.Handle(), &inChart);
        if (!m_chart.SlotAt(inChart, slot))
            slot = SIZE_MAX;
    }
    const bool hasRecord = m_shown && slot < m_shown->Slots().size() &&
                           m_shown->Slots()[slot].first != viewer::kNoRecord && !m_countPosted;
    win::PopupMenu menu;
    menu.Item(ID_SHOW_IN_VIEWER, ViewerText(IDS_MENU_SHOW_IN_VIEWER), hasRecord)
        .Separator()
        .Choice(ID_TIMELINE_WHOLE_LOG, ViewerText(IDS_MENU_WHOLE_LOG), m_wholeLog)
        .Choice(ID_TIMELINE_SELECTED_ENTRY, ViewerText(IDS_MENU_SELECTED_ENTRY), !m_wholeLog);
    const UINT command = m_viewer.RunMenu(menu, m_hwnd, at);
    if (command == ID_SHOW_IN_VIEWER)
        OnSlotClicked(slot);
    else if (command)
        OnCommand(0, static_cast<WORD>(command), nullptr);
}

bool TimelineWindow::OnCommand(WORD notifyCode, WORD id, HWND control) {
    if (id != ID_TIMELINE_WHOLE_LOG && id != ID_TIMELINE_SELECTED_ENTRY)
        return Dialog::OnCommand(notifyCode, id, control);
    m_wholeLog = id == ID_TIMELINE_WHOLE_LOG;
    ScheduleCount();
    return true;
}

bool TimelineWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT&) {
    switch (message) {
    case kCount:
        if (m_countPosted)
            CountNow(kCountedPerMessage);
        return true;
    case WM_EXITSIZEMOVE:
    case WM_EXITMENULOOP:
    case WM_CAPTURECHANGED:
        m_viewer.PlatformLoopEnded(); // a close may have waited for the loop
        return false;
    case WM_CLOSE: // the close box: from inside the system's handling of it
        OnCancel();
        return true;
    case kClose:
        ::DestroyWindow(m_hwnd);
        return true;
    case WM_DESTROY:
        m_place.Remember(m_hwnd);
        return false;
    case WM_CONTEXTMENU:
        ShowContextMenu(reinterpret_cast<HWND>(wParam), lParam);
        return true;
    case WM_SIZE:
        Layout(LOWORD(lParam), HIWORD(lParam));
        return false;
    case WM_GETMINMAXINFO:
        reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize = {kMinimumSize.cx, kMinimumSize.cy};
        return true;
    default:
        return false;
    }
}

void TimelineWindow::OnFinalMessage() {
    m_viewer.RemoveObserver(this);
    m_countPosted = false;
}
