// The viewer's context menu and keys: find, find next, refresh, follow automatically.
#include "viewer/DiagnoseDlg.h"

#include "resource.h"
#include "win/ResourceModule.h"

namespace {

// A menu text of the selected language; a language library made before the menu existed
// lacks it, and the module's own German text stands in rather than an empty item.
std::wstring MenuText(UINT id) {
    std::wstring text;
    if (win::TryLoadResString(id, text) && !text.empty())
        return text;
    win::ScopedResourceHandle own(win::ThisModule());
    return win::LoadResString(id);
}

struct MenuDeleter {
    void operator()(HMENU menu) const { ::DestroyMenu(menu); }
};

} // namespace

void CDiagnoseDlg::ShowContextMenu(HWND control, LPARAM position) {
    if (control != m_list.Handle() && control != m_groups.Tree().Handle())
        return;
    POINT at{static_cast<short>(LOWORD(position)), static_cast<short>(HIWORD(position))};
    if (position == -1) {
        // From the keyboard: at the control's top left corner.
        at = {0, 0};
        ::ClientToScreen(control, &at);
    }
    std::unique_ptr<std::remove_pointer_t<HMENU>, MenuDeleter> menu(::CreatePopupMenu());
    if (!menu)
        return;
    ::AppendMenuW(menu.get(), MF_STRING, ID_VIEWER_FIND, MenuText(IDS_MENU_FIND).c_str());
    ::AppendMenuW(menu.get(), MF_STRING | (m_find.HasText() ? 0 : MF_GRAYED), ID_VIEWER_FIND_NEXT,
                  MenuText(IDS_MENU_FIND_NEXT).c_str());
    ::AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);
    ::AppendMenuW(menu.get(), MF_STRING, ID_VIEWER_REFRESH, MenuText(IDS_MENU_REFRESH).c_str());
    ::AppendMenuW(menu.get(), MF_STRING | (m_follow ? MF_CHECKED : 0), ID_VIEWER_FOLLOW,
                  MenuText(IDS_MENU_FOLLOW).c_str());
    ::AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);
    ::AppendMenuW(menu.get(), MF_STRING, ID_VIEWER_TIMELINE, MenuText(IDS_MENU_TIMELINE).c_str());
    const UINT command = static_cast<UINT>(
        ::TrackPopupMenu(menu.get(), TPM_RETURNCMD | TPM_RIGHTBUTTON, at.x, at.y, 0, m_hwnd, nullptr));
    if (command)
        OnViewerCommand(static_cast<WORD>(command));
}

bool CDiagnoseDlg::OnViewerCommand(WORD id) {
    switch (id) {
    case ID_VIEWER_FIND:
        m_find.Open(m_hwnd);
        return true;
    case ID_VIEWER_FIND_NEXT:
        FindNext(true);
        return true;
    case ID_VIEWER_FIND_PREVIOUS:
        FindNext(false);
        return true;
    case ID_VIEWER_REFRESH:
        Refresh();
        return true;
    case ID_VIEWER_FOLLOW:
        m_follow = !m_follow;
        return true;
    case ID_VIEWER_TIMELINE:
        if (!m_timeline)
            m_timeline = std::make_unique<TimelineWindow>(*this);
        m_timeline->Open();
        return true;
    default:
        return false;
    }
}

// Keys of the viewer's own windows and of its Find dialog; the framework passes no others.
bool CDiagnoseDlg::PreTranslateMessage(MSG& message) {
    if (message.message == WM_KEYDOWN) {
        const bool control = ::GetKeyState(VK_CONTROL) < 0;
        const bool shift = ::GetKeyState(VK_SHIFT) < 0;
        WORD command = 0;
        if (message.wParam == VK_F5 && !control)
            command = ID_VIEWER_REFRESH;
        else if (message.wParam == VK_F3 && !control)
            command = shift ? ID_VIEWER_FIND_PREVIOUS : ID_VIEWER_FIND_NEXT;
        else if (message.wParam == 'F' && control && !shift)
            command = ID_VIEWER_FIND;
        else if (message.wParam == 'T' && control && !shift)
            command = ID_VIEWER_TIMELINE;
        if (command && OnViewerCommand(command))
            return true;
    }
    HWND find = m_find.Dialog();
    if (find && (message.hwnd == find || ::IsChild(find, message.hwnd)))
        return ::IsDialogMessageW(find, &message) != FALSE;
    return Dialog::PreTranslateMessage(message);
}
