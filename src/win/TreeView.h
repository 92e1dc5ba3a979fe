// A non-owning wrapper of a tree-view control: one inline method per message.
#pragma once

#include "win/Window.h"

#include <commctrl.h>
#include <string>

namespace win {

class TreeView : public Window {
public:
    TreeView() = default;
    explicit TreeView(HWND hwnd) : Window(hwnd) {}

    // Attributes
    UINT GetCount() const { return static_cast<UINT>(Send(TVM_GETCOUNT)); }
    HTREEITEM GetNextItem(HTREEITEM item, UINT code) const {
        return reinterpret_cast<HTREEITEM>(Send(TVM_GETNEXTITEM, code, reinterpret_cast<LPARAM>(item)));
    }
    HTREEITEM GetRootItem() const { return GetNextItem(nullptr, TVGN_ROOT); }
    HTREEITEM GetChildItem(HTREEITEM item) const { return GetNextItem(item, TVGN_CHILD); }
    HTREEITEM GetNextSiblingItem(HTREEITEM item) const { return GetNextItem(item, TVGN_NEXT); }
    HTREEITEM GetParentItem(HTREEITEM item) const { return GetNextItem(item, TVGN_PARENT); }
    HTREEITEM GetSelectedItem() const { return GetNextItem(nullptr, TVGN_CARET); }
    // The whole text, however long: the buffer grows until the text no longer fills it.
    std::wstring GetItemText(HTREEITEM item) const {
        std::wstring text(256, L'\0');
        for (;;) {
            TVITEMW tvi{};
            tvi.mask = TVIF_TEXT;
            tvi.hItem = item;
            tvi.pszText = text.data();
            tvi.cchTextMax = static_cast<int>(text.size());
            if (!Send(TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&tvi)))
                return {};
            const size_t length = std::char_traits<wchar_t>::length(tvi.pszText);
            if (tvi.pszText != text.data())
                return std::wstring(tvi.pszText, length); // the control answered with its own buffer
            if (length + 1 < text.size()) {
                text.resize(length);
                return text;
            }
            text.assign(text.size() * 2, L'\0');
        }
    }
    LPARAM GetItemData(HTREEITEM item) const {
        TVITEMW tvi{};
        tvi.mask = TVIF_PARAM;
        tvi.hItem = item;
        return Send(TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&tvi)) ? tvi.lParam : 0;
    }
    UINT GetItemState(HTREEITEM item, UINT mask) const {
        return static_cast<UINT>(Send(TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(item), mask));
    }

    // Operations
    HTREEITEM InsertItem(const std::wstring& text, HTREEITEM parent = TVI_ROOT, HTREEITEM after = TVI_LAST,
                         LPARAM data = 0) {
        TVINSERTSTRUCTW insert{};
        insert.hParent = parent;
        insert.hInsertAfter = after;
        insert.item.mask = TVIF_TEXT | TVIF_PARAM;
        insert.item.pszText = const_cast<wchar_t*>(text.c_str());
        insert.item.lParam = data;
        return reinterpret_cast<HTREEITEM>(Send(TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
    }
    // An item whose text the tree asks its parent for (TVN_GETDISPINFOW) when it needs it: a
    // label that changes often costs nothing until it is drawn.
    HTREEITEM InsertItemAsking(HTREEITEM parent, HTREEITEM after, LPARAM data) {
        TVINSERTSTRUCTW insert{};
        insert.hParent = parent;
        insert.hInsertAfter = after;
        insert.item.mask = TVIF_TEXT | TVIF_PARAM;
        insert.item.pszText = LPSTR_TEXTCALLBACKW;
        insert.item.lParam = data;
        return reinterpret_cast<HTREEITEM>(Send(TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
    }
    // An item shown with a button before any child is made (its children come when it is first
    // opened); `state` set as well, such as TVIS_BOLD.
    HTREEITEM InsertClosedItem(const std::wstring& text, HTREEITEM parent, HTREEITEM after, UINT state) {
        TVINSERTSTRUCTW insert{};
        insert.hParent = parent;
        insert.hInsertAfter = after;
        insert.item.mask = TVIF_TEXT | TVIF_PARAM | TVIF_CHILDREN | TVIF_STATE;
        insert.item.pszText = const_cast<wchar_t*>(text.c_str());
        insert.item.cChildren = 1;
        insert.item.state = insert.item.stateMask = state;
        return reinterpret_cast<HTREEITEM>(Send(TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
    }
    // The same whose text the tree asks its parent for, as InsertItemAsking.
    HTREEITEM InsertClosedItemAsking(HTREEITEM parent, HTREEITEM after) {
        TVINSERTSTRUCTW insert{};
        insert.hParent = parent;
        insert.hInsertAfter = after;
        insert.item.mask = TVIF_TEXT | TVIF_CHILDREN;
        insert.item.pszText = LPSTR_TEXTCALLBACKW;
        insert.item.cChildren = 1;
        return reinterpret_cast<HTREEITEM>(Send(TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
    }
    bool SetItemText(HTREEITEM item, const std::wstring& text) {
        TVITEMW tvi{};
        tvi.mask = TVIF_TEXT;
        tvi.hItem = item;
        tvi.pszText = const_cast<wchar_t*>(text.c_str());
        return Send(TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&tvi)) != FALSE;
    }
    bool SetItemData(HTREEITEM item, LPARAM data) {
        TVITEMW tvi{};
        tvi.mask = TVIF_PARAM;
        tvi.hItem = item;
        tvi.lParam = data;
        return Send(TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&tvi)) != FALSE;
    }
    bool SetItemState(HTREEITEM item, UINT state, UINT mask) {
        TVITEMW tvi{};
        tvi.mask = TVIF_STATE;
        tvi.hItem = item;
        tvi.state = state;
        tvi.stateMask = mask;
        return Send(TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&tvi)) != FALSE;
    }
    bool DeleteItem(HTREEITEM item) {
        return Send(TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(item)) != FALSE;
    }
    bool DeleteAllItems() { return DeleteItem(TVI_ROOT); }
    bool Expand(HTREEITEM item, UINT code = TVE_EXPAND) {
        return Send(TVM_EXPAND, code, reinterpret_cast<LPARAM>(item)) != FALSE;
    }
    bool SelectItem(HTREEITEM item) {
        return Send(TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item)) != FALSE;
    }
};

} // namespace win
