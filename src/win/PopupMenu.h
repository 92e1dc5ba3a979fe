// A context menu: built item by item in one place per window, and run where the operator asked.
#pragma once

#include "win/UniqueHandle.h"

#include <string>

namespace win {

namespace detail {
inline void DestroyMenuHandle(HMENU menu) {
    ::DestroyMenu(menu);
}
} // namespace detail
using UniqueMenu = UniqueHandle<HMENU, detail::DestroyMenuHandle, 0>;

class PopupMenu {
public:
    PopupMenu() : m_menu(::CreatePopupMenu()) {}

    // `text` may hold a tab and the item's key after it.
    PopupMenu& Item(UINT command, const std::wstring& text, bool enabled = true, bool checked = false);
    // An item of a group of which one is chosen: shown with a dot when `chosen`.
    PopupMenu& Choice(UINT command, const std::wstring& text, bool chosen);
    PopupMenu& Separator();
    // `items` as a submenu under `text`; the menu takes them over.
    PopupMenu& Submenu(const std::wstring& text, PopupMenu&& items, bool enabled = true);

    // Runs the menu's loop at `at` (screen) for `owner` and answers the chosen command, 0 for none.
    UINT Run(HWND owner, POINT at) const;
    // Where WM_CONTEXTMENU asks for a menu: the pointer's place, or from the keyboard (-1) the
    // point `keyboard` of `control`'s client area.
    static POINT Where(HWND control, LPARAM position, POINT keyboard = {0, 0});

private:
    UniqueMenu m_menu;
};

} // namespace win
