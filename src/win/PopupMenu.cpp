// Building and running a context menu.
#include "win/PopupMenu.h"

namespace win {

PopupMenu& PopupMenu::Item(UINT command, const std::wstring& text, bool enabled, bool checked) {
    if (m_menu)
        ::AppendMenuW(m_menu.get(), MF_STRING | (enabled ? 0 : MF_GRAYED) | (checked ? MF_CHECKED : 0),
                      command, text.c_str());
    return *this;
}

PopupMenu& PopupMenu::Choice(UINT command, const std::wstring& text, bool chosen) {
    Item(command, text);
    MENUITEMINFOW item{};
    item.cbSize = sizeof item;
    item.fMask = MIIM_FTYPE | MIIM_STATE;
    item.fType = MFT_STRING | MFT_RADIOCHECK;
    item.fState = chosen ? MFS_CHECKED : 0;
    if (m_menu)
        ::SetMenuItemInfoW(m_menu.get(), command, FALSE, &item);
    return *this;
}

PopupMenu& PopupMenu::Separator() {
    if (m_menu)
        ::AppendMenuW(m_menu.get(), MF_SEPARATOR, 0, nullptr);
    return *this;
}

PopupMenu& PopupMenu::Submenu(const std::wstring& text, PopupMenu&& items, bool enabled) {
    if (m_menu && items.m_menu &&
        ::AppendMenuW(m_menu.get(), MF_POPUP | (enabled ? 0 : MF_GRAYED),
                      reinterpret_cast<UINT_PTR>(items.m_menu.get()), text.c_str()))
        items.m_menu.release(); // destroyed with this menu
    return *this;
}

UINT PopupMenu::Run(HWND owner, POINT at) const {
    if (!m_menu)
        return 0;
    return static_cast<UINT>(
        ::TrackPopupMenu(m_menu.get(), TPM_RETURNCMD | TPM_RIGHTBUTTON, at.x, at.y, 0, owner, nullptr));
}

POINT PopupMenu::Where(HWND control, LPARAM position, POINT keyboard) {
    if (position != -1)
        return {static_cast<short>(LOWORD(position)), static_cast<short>(HIWORD(position))};
    ::ClientToScreen(control, &keyboard);
    return keyboard;
}

} // namespace win
