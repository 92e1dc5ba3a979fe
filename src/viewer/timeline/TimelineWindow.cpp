// The viewer's timeline window.
#include "viewer/timeline/TimelineWindow.h"

#include "viewer/ViewerText.h"

#include "frame/ZtServiceMsgApp.h"
#include "viewer/DiagnoseDlg.h"
#include "viewer/timeline/LogTime.h"
#include "resource.h"
#include "win/ActivationContext.h"
#include "win/ResourceModule.h"

#include <algorithm>

namespace {

// Posted to itself: count the shown set again once the viewer's handler that told us returned.
constexpr UINT kCount = WM_APP + 1;
// Posted to itself by Escape and the close box: the window goes once their handling returned.
constexpr UINT kClose = WM_APP + 2;
constexpr int kMargin = 8;
constexpr SIZE kMinimumSize = {360, 240};

// The text `id` with its placeholder (%u or %s) replaced; the text is never used as a format,
// so a language library's text cannot make it read arguments that are not there.
std::wstring TextWith(UINT id, const std::wstring& value) {
    std::wstring text = ViewerText(id);
    for (const wchar_t* placeholder : {L"%u", L"%s"}) {
        const size_t at = text.find(placeholder);
        if (at != std::wstring::npos)
            return text.replace(at, 2, value);
    }
    return text;
}

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
    m_chart.onSlotClicked = [this](size_t slot) { OnSlotClicked(slot); };
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
    m_countAll = true;
    CountNow();
    ::ShowWindow(m_hwnd, SW_SHOW);
}

bool TimelineWindow::OnInitDialog() {
    m_chart.SubclassDlgItem(IDC_TIMELINE_CHART, m_hwnd);
    // Over the middle of the viewer.
    const RECT owner = m_viewer.WindowRect();
    const RECT mine = WindowRect();
    ::SetWindowPos(m_hwnd, nullptr, (owner.left + owner.right - (mine.right - mine.left)) / 2,
                   (owner.top + owner.bottom - (mine.bottom - mine.top)) / 2, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    const RECT client = ClientRect();
    Layout(client.right, client.bottom);
    return true;
}

void TimelineWindow::OnCancel() {
    ::PostMessageW(m_hwnd, kClose, 0, 0);
}

void TimelineWindow::Layout(int cx, int cy) {
    HWND subtitle = Item(IDC_TIMELINE_SUBTITLE);
    HWND untimed = Item(IDC_TIMELINE_UNTIMED);
    if (!subtitle || !untimed || !m_chart.Handle())
        return;
    const int width = std::max(cx - 2 * kMargin, 1);
    const int top = Height(subtitle);
    const int bottom = Height(untimed);
    ::SetWindowPos(subtitle, nullptr, kMargin, kMargin / 2, width, top, SWP_NOZORDER | SWP_NOACTIVATE);
    const int chartTop = kMargin / 2 + top + 4;
    const int chartBottom = std::max(cy - kMargin / 2 - bottom - 4, chartTop + 1);
    ::SetWindowPos(m_chart.Handle(), nullptr, kMargin, chartTop, width, chartBottom - chartTop,
                   SWP_NOZORDER | SWP_NOACTIVATE);
    ::SetWindowPos(untimed, nullptr, kMargin, chartBottom + 4, width, bottom, SWP_NOZORDER | SWP_NOACTIVATE);
}

void TimelineWindow::OnRecordsAdded(diagnose::RecordId firstNew) {
    m_firstNew = std::min(m_firstNew, firstNew);
    ScheduleCount();
}

void TimelineWindow::OnReloaded() {
    m_countAll = true;
    ScheduleCount();
}

void TimelineWindow::OnSelectionChanged() {
    m_countAll = true;
    ScheduleCount();
}

void TimelineWindow::ScheduleCount() {
    if (!m_countPosted && m_hwnd)
        m_countPosted = ::PostMessageW(m_hwnd, kCount, 0, 0) != FALSE;
}

// Counts the viewer's shown set (its selected entry's records, or the whole log) and shows it.
void TimelineWindow::CountNow() {
    m_countPosted = false;
    const diagnose::RecordList* records = m_viewer.SelectedRecords();
    if (m_countAll)
        m_bins.Build(m_viewer.Index(), records);
    else if (m_firstNew != viewer::kNoRecord)
        m_bins.Update(m_viewer.Index(), records, m_firstNew);
    m_countAll = false;
    m_firstNew = viewer::kNoRecord;

    std::wstring subtitle =
        records ? m_viewer.SelectedLabel()
                : TextWith(IDS_TIMELINE_ALL_RECORDS, std::to_wstring(m_viewer.Index().RecordCount()));
    if (!m_bins.Slots().empty())
        subtitle += L" - " + TextWith(IDS_TIMELINE_SLOT, SlotLengthText(m_bins.SlotSeconds()));
    ::SetDlgItemTextW(m_hwnd, IDC_TIMELINE_SUBTITLE, subtitle.c_str());
    ::SetDlgItemTextW(m_hwnd, IDC_TIMELINE_UNTIMED,
                      TextWith(IDS_TIMELINE_UNTIMED, std::to_wstring(m_bins.Untimed())).c_str());
    m_chart.Show(&m_bins, {{ViewerText(IDS_TRACE_ERROR), ViewerText(IDS_TRACE_WARNING),
                            ViewerText(IDS_TRACE_INFORMATION), ViewerText(IDS_UNKNOWN)},
                           ViewerText(IDS_TIMELINE_NO_TIMES)});
}

void TimelineWindow::OnSlotClicked(size_t slot) {
    // While the viewer runs a modal dialog (its details) its list is not ours to change; while
    // a count is on its way the slots may stand for records that are gone.
    if (!::IsWindowEnabled(m_viewer.Handle()) || m_countPosted || slot >= m_bins.Slots().size())
        return;
    m_viewer.ShowRecord(m_bins.Slots()[slot].first);
}

bool TimelineWindow::OnMessage(UINT message, WPARAM, LPARAM lParam, LRESULT&) {
    switch (message) {
    case kCount:
        if (m_countPosted)
            CountNow();
        return true;
    case WM_CLOSE: // the close box: from inside the system's handling of it
        OnCancel();
        return true;
    case kClose:
        ::DestroyWindow(m_hwnd);
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
