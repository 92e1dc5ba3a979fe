// The details dialog of the diagnostics viewer.
#include "viewer/details/DiagnoseDetailsDlg.h"

#include "viewer/details/ClipboardText.h"
#include "viewer/DiagnoseDlg.h"
#include "viewer/ViewerLayout.h"
#include "viewer/ViewerText.h"
#include "resource.h"
#include "win/Clipboard.h"
#include "win/ResourceModule.h"

#include <algorithm>
#include <commctrl.h>
#include <iterator>

namespace {

viewer::Size WindowSize(HWND window) {
    RECT rect{};
    ::GetWindowRect(window, &rect);
    return {rect.right - rect.left, rect.bottom - rect.top};
}

void MoveTo(HWND window, const viewer::Box& box) {
    ::SetWindowPos(window, nullptr, box.x, box.y, 0, 0, SWP_NOZORDER | SWP_NOSIZE | SWP_NOACTIVATE);
    ::InvalidateRect(window, nullptr, TRUE);
}

void Place(HWND window, const viewer::Box& box) {
    ::SetWindowPos(window, nullptr, box.x, box.y, box.width, box.height, SWP_NOZORDER | SWP_NOACTIVATE);
}

constexpr int kLabels[] = {IDC_DETAILS_DATE_LABEL, IDC_DETAILS_COMPUTER_LABEL, IDC_DETAILS_TYPE_LABEL,
                           IDC_DETAILS_PROCESS_LABEL};
constexpr int kFields[] = {IDC_DETAILS_DATE, IDC_DETAILS_COMPUTER, IDC_DETAILS_TYPE, IDC_DETAILS_PROCESS};

} // namespace

CDiagnoseDetailsDlg::CDiagnoseDetailsDlg(CDiagnoseDlg* parent, diagnose::RecordId record)
    : Dialog(IDD_DIAGNOSE_DETAILS), m_parent(parent), m_record(record) {
    if (m_parent)
        HandleMessagesUnder(m_parent->Gate());
}

bool CDiagnoseDetailsDlg::OnInitDialog() {
    m_list.Attach(Item(IDC_DETAILS_LIST));
    SetupAttributeColumns(m_list);

    NeighbourQuery query;
    query.previous = false;
    query.record = m_record;
    if (m_parent)
        m_parent->FindNeighbour(query);
    EnableStepping(query.recordHasPrevious, query.recordHasNext);
    ShowRecord();

    MeasureParts();
    const RECT client = ClientRect();
    Layout(client.right, client.bottom);
    CentreOverViewer();
    m_list.SetExtendedStyle(LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
    LPCWSTR table = MAKEINTRESOURCEW(IDR_DETAILS_ACCELERATORS);
    if (HINSTANCE module = win::FindResourceHandle(table, MAKEINTRESOURCEW(9) /* RT_ACCELERATOR */))
        m_accelerators = ::LoadAcceleratorsW(module, table);
    ::SetFocus(m_list.Handle());
    return false; // the focus is set
}

void CDiagnoseDetailsDlg::EnableStepping(bool hasPrevious, bool hasNext) {
    ::EnableWindow(Item(IDC_DETAILS_PREVIOUS), hasPrevious ? TRUE : FALSE);
    ::EnableWindow(Item(IDC_DETAILS_NEXT), hasNext ? TRUE : FALSE);
}

// The fields, the message and the line from the line read again: a line that is not the
// record's any more shows nothing (the viewer reads the log again when the details close).
void CDiagnoseDetailsDlg::ShowRecord() {
    m_shown.reset();
    std::wstring line;
    const CDiagnoseIndex* index = m_parent ? &m_parent->Index() : nullptr;
    if (index && m_record != NeighbourQuery::kNoRecord && index->ReadLineText(m_record, line))
        m_shown = std::make_unique<CDiagnoseData>(line);
    ShowRecordAttributes(m_list, m_shown.get());
    std::wstring fields[4];
    if (m_shown) { // as the tree and the list name them
        fields[0] = index->RowText(m_record, 0);
        fields[1] = index->GetHost(m_record);
        fields[2] = GetTraceClassName(index->GetTraceClass(m_record));
        fields[3] = index->GetProcess(m_record);
    }
    for (int field = 0; field < 4; ++field)
        ::SetDlgItemTextW(m_hwnd, kFields[field], fields[field].c_str());
    // The message as the viewer's message column has it.
    ::SetDlgItemTextW(m_hwnd, IDC_DETAILS_MESSAGE, m_shown ? MessageReader()(line).c_str() : L"");
    ::SetDlgItemTextW(m_hwnd, IDC_DETAILS_LINE, m_shown ? line.c_str() : L"");
}

void CDiagnoseDetailsDlg::Step(bool previous) {
    if (!m_parent || m_record == NeighbourQuery::kNoRecord)
        return;
    NeighbourQuery query;
    query.previous = previous;
    query.record = m_record;
    m_parent->FindNeighbour(query);
    m_record = query.neighbour;
    EnableStepping(query.neighbourHasPrevious, query.neighbourHasNext);
    ShowRecord();
}

// The labels as wide as the widest of their texts in the dialog's font; the fields as high as
// the template makes them.
void CDiagnoseDetailsDlg::MeasureParts() {
    for (int label : kLabels) {
        const std::wstring text = win::Window(Item(label)).GetText();
        const int width =
            static_cast<int>(m_list.Send(LVM_GETSTRINGWIDTHW, 0, reinterpret_cast<LPARAM>(text.c_str())));
        m_parts.label.width = std::max(m_parts.label.width, width + 4);
    }
    m_parts.label.height = WindowSize(Item(IDC_DETAILS_MESSAGE_LABEL)).height;
    m_parts.fieldHeight = WindowSize(Item(IDC_DETAILS_DATE)).height;
}

void CDiagnoseDetailsDlg::Layout(int cx, int cy) {
    HWND ok = Item(IDOK), previous = Item(IDC_DETAILS_PREVIOUS), next = Item(IDC_DETAILS_NEXT);
    if (!m_list.Handle() || !ok || !previous || !next)
        return;
    HWND header = m_list.GetHeader();
    const int columns = m_list.GetColumnCount();
    m_parts.ok = WindowSize(ok), m_parts.previous = WindowSize(previous), m_parts.next = WindowSize(next);
    const viewer::DetailsLayout layout = viewer::ComputeDetailsLayout(cx, cy, m_parts, columns);
    MoveTo(ok, layout.ok);
    MoveTo(previous, layout.previous);
    MoveTo(next, layout.next);
    for (int row = 0; row < 4; ++row) {
        Place(Item(kLabels[row]), layout.labels[row]);
        Place(Item(kFields[row]), layout.fields[row]);
    }
    Place(Item(IDC_DETAILS_MESSAGE_LABEL), layout.messageLabel);
    Place(Item(IDC_DETAILS_MESSAGE), layout.message);
    Place(Item(IDC_DETAILS_LINE_LABEL), layout.lineLabel);
    Place(Item(IDC_DETAILS_LINE), layout.line);
    Place(m_list.Handle(), layout.list);
    for (int column = 0; column < columns; ++column) {
        HDITEMW item{};
        item.mask = HDI_WIDTH;
        item.cxy = layout.columnWidth;
        Header_SetItem(header, column, &item);
    }
}

// Over the viewer rather than where the template would put it, inside the viewer's monitor.
void CDiagnoseDetailsDlg::CentreOverViewer() {
    HWND owner = m_parent ? m_parent->Handle() : nullptr;
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    if (!owner || !::GetMonitorInfoW(::MonitorFromWindow(owner, MONITOR_DEFAULTTONEAREST), &monitor))
        return;
    const RECT under = win::Window(owner).WindowRect(), own = WindowRect(), area = monitor.rcWork;
    const viewer::Box at =
        viewer::CentreOver({under.left, under.top, under.right - under.left, under.bottom - under.top},
                           {own.right - own.left, own.bottom - own.top},
                           {area.left, area.top, area.right - area.left, area.bottom - area.top});
    ::SetWindowPos(m_hwnd, nullptr, at.x, at.y, 0, 0, SWP_NOZORDER | SWP_NOSIZE | SWP_NOACTIVATE);
}

// The text field of the dialog's that has the focus; null when another control has it.
HWND CDiagnoseDetailsDlg::FocusedTextField() const {
    HWND focus = ::GetFocus();
    if (!focus || ::GetParent(focus) != m_hwnd)
        return nullptr;
    const int id = ::GetDlgCtrlID(focus);
    return id == IDC_DETAILS_MESSAGE || id == IDC_DETAILS_LINE ||
                   std::find(std::begin(kFields), std::end(kFields), id) != std::end(kFields)
               ? focus
               : nullptr;
}

void CDiagnoseDetailsDlg::SelectAll() {
    const int count = m_list.GetItemCount();
    for (int row = 0; row < count; ++row)
        m_list.SetItemState(row, LVIS_SELECTED, LVIS_SELECTED);
}

void CDiagnoseDetailsDlg::CopySelection() {
    if (m_list.GetSelectedCount() == 0)
        return;
    std::vector<std::pair<std::wstring, std::wstring>> rows;
    for (int row = m_list.GetNextItem(-1, LVNI_SELECTED); row >= 0;
         row = m_list.GetNextItem(row, LVNI_SELECTED))
        rows.emplace_back(m_list.GetItemText(row, 0), m_list.GetItemText(row, 1));
    const std::wstring text = viewer::ComposeClipboardText(rows);

    if (const DWORD error = win::PutClipboardText(m_hwnd, text))
        m_parent->ShowMessage(m_hwnd, ViewerTextWith(IDS_COPY_FAILED, SystemErrorText(error)),
                              MB_OK | MB_ICONWARNING);
}

bool CDiagnoseDetailsDlg::OnCommand(WORD notifyCode, WORD id, HWND control) {
    switch (id) {
    case ID_DETAILS_SELECT_ALL:
        if (HWND field = FocusedTextField())
            ::SendMessageW(field, EM_SETSEL, 0, -1);
        else
            SelectAll();
        return true;
    case ID_DETAILS_COPY:
        if (HWND field = FocusedTextField())
            ::SendMessageW(field, WM_COPY, 0, 0);
        else
            CopySelection();
        return true;
    case IDC_DETAILS_PREVIOUS:
    case IDC_DETAILS_NEXT:
        if (notifyCode != BN_CLICKED)
            return false;
        Step(id == IDC_DETAILS_PREVIOUS);
        return true;
    default:
        return Dialog::OnCommand(notifyCode, id, control);
    }
}

bool CDiagnoseDetailsDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT&) {
    if (message == WM_SIZE && (wParam == SIZE_RESTORED || wParam == SIZE_MAXIMIZED))
        Layout(LOWORD(lParam), HIWORD(lParam));
    return false;
}

bool CDiagnoseDetailsDlg::PreTranslateMessage(MSG& message) {
    if (m_accelerators && m_hwnd && ::TranslateAcceleratorW(m_hwnd, m_accelerators, &message))
        return true;
    return Dialog::PreTranslateMessage(message);
}
