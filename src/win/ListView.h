// A non-owning wrapper of a list-view control: one inline method per message.
#pragma once

#include "win/Window.h"

#include <commctrl.h>
#include <string>

namespace win {

class ListView : public Window {
public:
    ListView() = default;
    explicit ListView(HWND hwnd) : Window(hwnd) {}

    // Attributes
    int GetItemCount() const { return static_cast<int>(Send(LVM_GETITEMCOUNT)); }
    int GetSelectedCount() const { return static_cast<int>(Send(LVM_GETSELECTEDCOUNT)); }
    std::wstring GetItemText(int item, int subItem) const {
        std::wstring text(256, L'\0');
        for (;;) {
            LVITEMW lvi{};
            lvi.iSubItem = subItem;
            lvi.pszText = text.data();
            lvi.cchTextMax = static_cast<int>(text.size());
            const int length = static_cast<int>(
                Send(LVM_GETITEMTEXTW, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&lvi)));
            if (length < static_cast<int>(text.size()) - 1) {
                text.resize(static_cast<size_t>(length));
                return text;
            }
            text.resize(text.size() * 2);
        }
    }
    LPARAM GetItemData(int item) const {
        LVITEMW lvi{};
        lvi.mask = LVIF_PARAM;
        lvi.iItem = item;
        return Send(LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&lvi)) ? lvi.lParam : 0;
    }
    bool SetItemData(int item, LPARAM data) {
        LVITEMW lvi{};
        lvi.mask = LVIF_PARAM;
        lvi.iItem = item;
        lvi.lParam = data;
        return Send(LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&lvi)) != FALSE;
    }
    UINT GetItemState(int item, UINT mask) const {
        return static_cast<UINT>(Send(LVM_GETITEMSTATE, static_cast<WPARAM>(item), mask));
    }
    bool SetItemState(int item, UINT state, UINT mask) {
        LVITEMW lvi{};
        lvi.state = state;
        lvi.stateMask = mask;
        return Send(LVM_SETITEMSTATE, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&lvi)) != FALSE;
    }
    // -1 when there is none. Some list views answer the row count for LVNI_BELOW from the last
    // row, so the answer is range-checked.
    int GetNextItem(int start, UINT flags) const {
        const int next =
            static_cast<int>(Send(LVM_GETNEXTITEM, static_cast<WPARAM>(start), MAKELPARAM(flags, 0)));
        return next >= 0 && next < GetItemCount() ? next : -1;
    }
    DWORD GetExtendedStyle() const { return static_cast<DWORD>(Send(LVM_GETEXTENDEDLISTVIEWSTYLE)); }
    void SetExtendedStyle(DWORD style, DWORD mask = 0) {
        Send(LVM_SETEXTENDEDLISTVIEWSTYLE, mask, static_cast<LPARAM>(style));
    }
    HWND GetHeader() const { return reinterpret_cast<HWND>(Send(LVM_GETHEADER)); }
    // The column a notification asks to sort by: the list's LVN_COLUMNCLICK, or a click its
    // header reports itself (HDN_ITEMCLICK); -1 for any other notification.
    int ClickedColumn(const NMHDR& header) const {
        if (header.code == LVN_COLUMNCLICK && header.hwndFrom == m_hwnd)
            return reinterpret_cast<const NMLISTVIEW&>(header).iSubItem;
        if ((header.code == HDN_ITEMCLICKW || header.code == HDN_ITEMCLICKA) &&
            header.hwndFrom == GetHeader())
            return reinterpret_cast<const NMHEADERW&>(header).iItem;
        return -1;
    }
    // For a list with LVS_OWNERDATA: what the operator typed, when `header` is the list's
    // LVN_ODFINDITEM asking for a row whose text begins with it, with the row to start at and
    // whether to go around. The owner answers the row, or -1 to leave the selection as it is.
    bool TypedSearch(const NMHDR& header, std::wstring& typed, long& start, bool& wrap) const {
        if (header.code != LVN_ODFINDITEMW || header.hwndFrom != m_hwnd)
            return false;
        const LVFINDINFOW& find = reinterpret_cast<const NMLVFINDITEMW&>(header).lvfi;
        typed = (find.flags & (LVFI_STRING | LVFI_PARTIAL)) && find.psz ? find.psz : L"";
        start = reinterpret_cast<const NMLVFINDITEMW&>(header).iStart;
        wrap = (find.flags & LVFI_WRAP) != 0;
        return true;
    }
    int GetColumnCount() const {
        HWND header = GetHeader();
        return header ? static_cast<int>(::SendMessageW(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
    }
    int GetColumnWidth(int column) const {
        return static_cast<int>(Send(LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(column)));
    }
    bool SetColumnWidth(int column, int width) {
        return Send(LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(column), MAKELPARAM(width, 0)) != FALSE;
    }
    std::wstring GetColumnText(int column) const {
        wchar_t text[256] = {};
        LVCOLUMNW col{};
        col.mask = LVCF_TEXT;
        col.pszText = text;
        col.cchTextMax = 256;
        Send(LVM_GETCOLUMNW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&col));
        return text;
    }

    // Operations
    int InsertColumn(int column, const std::wstring& text, int format = LVCFMT_LEFT, int width = -1) {
        LVCOLUMNW col{};
        col.mask = LVCF_TEXT | LVCF_FMT | LVCF_SUBITEM | (width >= 0 ? LVCF_WIDTH : 0);
        col.fmt = format;
        col.cx = width;
        col.pszText = const_cast<wchar_t*>(text.c_str());
        col.iSubItem = column;
        return static_cast<int>(
            Send(LVM_INSERTCOLUMNW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&col)));
    }
    bool DeleteColumn(int column) { return Send(LVM_DELETECOLUMN, static_cast<WPARAM>(column)) != FALSE; }
    // Answers the new row's index, -1 on failure.
    int InsertItem(int item, const std::wstring& text) {
        LVITEMW lvi{};
        lvi.mask = LVIF_TEXT;
        lvi.iItem = item;
        lvi.pszText = const_cast<wchar_t*>(text.c_str());
        return static_cast<int>(Send(LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&lvi)));
    }
    int InsertItem(int item, const std::wstring& text, LPARAM data) {
        LVITEMW lvi{};
        lvi.mask = LVIF_TEXT | LVIF_PARAM;
        lvi.iItem = item;
        lvi.pszText = const_cast<wchar_t*>(text.c_str());
        lvi.lParam = data;
        return static_cast<int>(Send(LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&lvi)));
    }
    bool SetItemText(int item, int subItem, const std::wstring& text) {
        LVITEMW lvi{};
        lvi.iSubItem = subItem;
        lvi.pszText = const_cast<wchar_t*>(text.c_str());
        return Send(LVM_SETITEMTEXTW, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&lvi)) != FALSE;
    }
    bool DeleteItem(int item) { return Send(LVM_DELETEITEM, static_cast<WPARAM>(item)) != FALSE; }
    bool DeleteAllItems() { return Send(LVM_DELETEALLITEMS) != FALSE; }
    // The row whose item data is `data`, searching after `start` (-1: from the first row).
    int FindItemByParam(LPARAM data, int start = -1) const {
        LVFINDINFOW find{};
        find.flags = LVFI_PARAM;
        find.lParam = data;
        return static_cast<int>(
            Send(LVM_FINDITEMW, static_cast<WPARAM>(start), reinterpret_cast<LPARAM>(&find)));
    }
    // For a list with LVS_OWNERDATA: the number of rows it shows.
    bool SetItemCount(int count, DWORD flags = 0) {
        return Send(LVM_SETITEMCOUNT, static_cast<WPARAM>(count), static_cast<LPARAM>(flags)) != FALSE;
    }
    bool SortItems(PFNLVCOMPARE compare, LPARAM parameter) {
        return Send(LVM_SORTITEMS, static_cast<WPARAM>(parameter), reinterpret_cast<LPARAM>(compare)) !=
               FALSE;
    }
    bool EnsureVisible(int item, bool partialOk = false) {
        return Send(LVM_ENSUREVISIBLE, static_cast<WPARAM>(item), partialOk ? TRUE : FALSE) != FALSE;
    }
    // Whether the whole of `row` is on screen.
    bool RowShown(int row) const {
        const int top = static_cast<int>(Send(LVM_GETTOPINDEX));
        return row >= top && row < top + static_cast<int>(Send(LVM_GETCOUNTPERPAGE));
    }
    // Scrolls `row` to the middle of the list, as far as the list scrolls (the platform's
    // EnsureVisible leaves a row at the edge it came in by).
    void ScrollToMiddle(int row) {
        const int top = static_cast<int>(Send(LVM_GETTOPINDEX));
        const int half = static_cast<int>(Send(LVM_GETCOUNTPERPAGE)) / 2;
        RECT item{};
        item.left = LVIR_BOUNDS;
        if (!Send(LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&item)) || item.bottom <= item.top) {
            EnsureVisible(row);
            return;
        }
        const int wanted = row > half ? row - half : 0;
        Send(LVM_SCROLL, 0, static_cast<LPARAM>(wanted - top) * (item.bottom - item.top));
    }
    bool RedrawItems(int first, int last) {
        return Send(LVM_REDRAWITEMS, static_cast<WPARAM>(first), static_cast<LPARAM>(last)) != FALSE;
    }
};

} // namespace win
