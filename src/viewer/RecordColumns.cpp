// The list of a window that shows records from across the groups.
#include "viewer/RecordColumns.h"

#include "diagnose/DiagnoseFeed.h"
#include "viewer/ListColumns.h"
#include "viewer/ViewerText.h"
#include "resource.h"
#include "win/PopupMenu.h"

#include <algorithm>

void InsertRecordColumns(win::ListView& list) {
    const struct {
        UINT text;
        int width; // at 96 DPI; the date's is measured
    } columns[kRecordColumns] = {{IDS_COLUMN_DATE, 0},
                                 {IDS_COLUMN_COMPUTER, 110},
                                 {IDS_COLUMN_TYPE, 90},
                                 {IDS_COLUMN_PROCESS, 140},
                                 {IDS_COLUMN_MESSAGE, 600}};
    const int dpi = DotsPerInch(list.Handle());
    for (int column = 0; column < kRecordColumns; ++column)
        list.InsertColumn(column, ViewerText(columns[column].text), LVCFMT_LEFT,
                          column == kDateColumn ? DateColumnWidth(list) : ::MulDiv(columns[column].width, dpi, 96));
}

std::wstring RecordCellText(const CDiagnoseIndex& index, diagnose::RecordId record, int column,
                            const std::function<std::wstring(diagnose::RecordId)>& message) {
    switch (column) {
    case kDateColumn:
        return index.RowText(record, 0);
    case kComputerColumn:
        return std::wstring(index.GetHost(record));
    case kTypeColumn:
        return GetTraceClassName(index.GetTraceClass(record));
    case kProcessColumn:
        return std::wstring(index.GetProcess(record));
    case kMessageColumn:
        return message(record);
    default:
        return {};
    }
}

void AnswerCellText(NMLVDISPINFOW& info, const std::wstring& text) {
    LVITEMW& item = info.item;
    if (!(item.mask & LVIF_TEXT) || !item.pszText || item.cchTextMax <= 0)
        return;
    const size_t count = std::min(text.size(), static_cast<size_t>(item.cchTextMax - 1));
    text.copy(item.pszText, count);
    item.pszText[count] = L'\0';
}

POINT RowMenuPoint(const win::ListView& list, int focused, LPARAM position) {
    RECT row{};
    row.left = LVIR_BOUNDS;
    if (focused < 0 || !list.Send(LVM_GETITEMRECT, static_cast<WPARAM>(focused), reinterpret_cast<LPARAM>(&row)))
        row = {};
    return win::PopupMenu::Where(list.Handle(), position, {row.left + 16, row.bottom});
}
