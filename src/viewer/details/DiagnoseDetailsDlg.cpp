// The details dialog of the diagnostics viewer.
#include "viewer/details/DiagnoseDetailsDlg.h"

#include "viewer/details/ClipboardText.h"
#include "viewer/DiagnoseDlg.h"
#include "viewer/ViewerLayout.h"
#include "viewer/ViewerText.h"
#include "resource.h"
#include "win/Clipboard.h"
#include "win/ResourceModule.h"

#include <commctrl.h>

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

    const RECT client = ClientRect();
    Layout(client.right, client.bottom);
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

void CDiagnoseDetailsDlg::ShowRecord() {
    m_shown.reset();
    if (m_parent && m_record != NeighbourQuery::kNoRecord)
        m_shown = m_parent->Index().MakeRecord(m_record);
    ShowRecordAttributes(m_list, m_shown.get());
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

void CDiagnoseDetailsDlg::Layout(int cx, int cy) {
    HWND ok = Item(IDOK), previous = Item(IDC_DETAILS_PREVIOUS), next = Item(IDC_DETAILS_NEXT);
    if (!m_list.Handle() || !ok || !previous || !next)
        return;
    HWND header = m_list.GetHeader();
    const int columns = m_list.GetColumnCount();
    const viewer::DetailsLayout layout = viewer::ComputeDetailsLayout(
        cx, cy, {WindowSize(ok), WindowSize(previous), WindowSize(next)}, columns);
    MoveTo(ok, layout.ok);
    MoveTo(previous, layout.previous);
    MoveTo(next, layout.next);
    ::SetWindowPos(m_list.Handle(), nullptr, layout.list.x, layout.list.y, layout.list.width,
                   layout.list.height, SWP_NOZORDER | SWP_NOACTIVATE);
    for (int column = 0; column < columns; ++column) {
        HDITEMW item{};
        item.mask = HDI_WIDTH;
        item.cxy = layout.columnWidth;
        Header_SetItem(header, column, &item);
    }
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
        SelectAll();
        return true;
    case ID_DETAILS_COPY:
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
