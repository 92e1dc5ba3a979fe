// The viewer's context menu and keys: find, find next, all matches, refresh, follow
// automatically, the timeline, save as; in the list also copy, select all and the details.
#include "viewer/ViewerCommands.h"

#include "viewer/DiagnoseDlg.h"

#include "viewer/records/FilterMenu.h"
#include "viewer/records/RecordsWindow.h"
#include "resource.h"
#include "win/PopupMenu.h"
#include "win/ResourceModule.h"

// The one place that builds the viewer's context menu; from the keyboard it opens at the
// control's top left corner.
void ViewerCommands::ShowContextMenu(HWND control, LPARAM position) {
    if (control != m_viewer.m_list.Handle() && control != m_viewer.m_groups.Tree().Handle())
        return;
    win::PopupMenu menu;
    if (control == m_viewer.m_list.Handle()) { // what its keys do, for an operator who looks for it here
        const bool focused =
            m_viewer.m_rows.At(m_viewer.m_list.GetNextItem(-1, LVNI_FOCUSED)) != NeighbourQuery::kNoRecord;
        const RecordsWindow* records = m_viewer.m_owned.RecordsMade();
        win::PopupMenu filter;
        AddFilterItems(filter, focused, records && records->Handle() && !records->Filter().ShowsAll());
        menu.Item(ID_VIEWER_COPY, ViewerText(IDS_MENU_COPY), m_viewer.m_rows.Count() > 0)
            .Item(ID_VIEWER_SELECT_ALL, ViewerText(IDS_MENU_SELECT_ALL), m_viewer.m_rows.Count() > 0)
            .Item(ID_VIEWER_DETAILS, ViewerText(IDS_MENU_DETAILS), focused)
            .Separator()
            .Submenu(ViewerText(IDS_MENU_FILTER), std::move(filter))
            .Separator();
    } else {
        // The heading the click was on, or from the keyboard the selected one.
        HTREEITEM item = m_viewer.m_groups.Tree().GetSelectedItem();
        if (position != -1) {
            TVHITTESTINFO hit{};
            hit.pt = win::PopupMenu::Where(control, position);
            ::ScreenToClient(control, &hit.pt);
            item = reinterpret_cast<HTREEITEM>(::SendMessageW(control, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
        }
        if (m_viewer.m_navigation.IsHeading(item)) {
            m_heading = item;
            menu.Item(ID_VIEWER_HEADING_RECORDS, ViewerText(IDS_MENU_HEADING_RECORDS)).Separator();
        }
    }
    win::PopupMenu goTo; // a time, the next error or warning
    goTo.Item(ID_GO_TO_TIME, ViewerText(IDS_MENU_GO_TO_TIME), m_viewer.m_rows.Count() > 0)
        .Separator()
        .Item(ID_NEXT_ERROR, ViewerText(IDS_MENU_NEXT_ERROR))
        .Item(ID_PREVIOUS_ERROR, ViewerText(IDS_MENU_PREVIOUS_ERROR))
        .Item(ID_NEXT_WARNING, ViewerText(IDS_MENU_NEXT_WARNING))
        .Item(ID_PREVIOUS_WARNING, ViewerText(IDS_MENU_PREVIOUS_WARNING));
    menu.Item(ID_VIEWER_FIND, ViewerText(IDS_MENU_FIND))
        .Item(ID_VIEWER_FIND_NEXT, ViewerText(IDS_MENU_FIND_NEXT), m_viewer.m_search.Find().HasText())
        .Item(ID_VIEWER_ALL_MATCHES, ViewerText(IDS_MENU_ALL_MATCHES))
        .Separator()
        .Item(ID_VIEWER_REFRESH, ViewerText(IDS_MENU_REFRESH))
        .Item(ID_VIEWER_FOLLOW, ViewerText(IDS_MENU_FOLLOW), true, m_viewer.m_session.Following())
        .Separator()
        .Item(ID_VIEWER_RECORDS, ViewerText(IDS_MENU_RECORDS))
        .Submenu(ViewerText(IDS_MENU_GO_TO), std::move(goTo))
        .Separator()
        .Item(ID_VIEWER_TIMELINE, ViewerText(IDS_MENU_TIMELINE))
        .Separator()
        .Item(ID_VIEWER_SAVE_AS, ViewerText(IDS_MENU_SAVE_AS),
              m_viewer.m_rows.Count() > 0 && !m_viewer.m_session.Loading());
    const UINT command = m_viewer.RunMenu(menu, m_viewer.m_hwnd, win::PopupMenu::Where(control, position));
    if (command && !m_viewer.m_life.Closing())
        OnViewerCommand(static_cast<WORD>(command));
}

bool ViewerCommands::OnViewerCommand(WORD id) {
    // While the details or a message box run, the list must stay as it is; a closing viewer
    // does nothing more.
    const bool free = !m_viewer.m_life.Busy() && !m_viewer.m_life.Closing();
    switch (id) {
    case ID_VIEWER_FIND:
        if (free)
            m_viewer.m_search.Find().Open(m_viewer.m_hwnd);
        return true;
    case ID_VIEWER_FIND_NEXT:
    case ID_VIEWER_FIND_PREVIOUS:
        if (free)
            m_viewer.m_search.FindNext(id == ID_VIEWER_FIND_NEXT);
        return true;
    case ID_VIEWER_ALL_MATCHES:
        if (free)
            m_viewer.m_search.ShowAllMatches(true);
        return true;
    case ID_VIEWER_COPY:
        if (free)
            m_viewer.CopySelectedRecords();
        return true;
    case ID_VIEWER_SELECT_ALL:
        if (free)
            m_viewer.m_list.SetItemState(-1, LVIS_SELECTED, LVIS_SELECTED);
        return true;
    case ID_VIEWER_DETAILS:
        if (free)
            m_viewer.OnListDoubleClick(m_viewer.m_list.GetNextItem(-1, LVNI_FOCUSED));
        return true;
    case ID_VIEWER_OPEN_ENTRY:
        if (free)
            m_viewer.OpenTreeItem();
        return true;
    case ID_VIEWER_SAVE_AS:
        if (free)
            m_viewer.SaveRecordsAs(m_viewer.m_hwnd, m_viewer.RecordsToSave());
        return true;
    case ID_VIEWER_REFRESH:
        m_viewer.m_reading.StopOnReadFailure({}); // F5 tries again what failed
        m_viewer.Request(viewer::Work::Refresh);
        return true;
    case ID_VIEWER_FOLLOW:
        m_viewer.m_session.SetFollowing(!m_viewer.m_session.Following());
        return true;
    case ID_VIEWER_TIMELINE:
        if (!free)
            return true;
        m_viewer.m_owned.Timeline().Open();
        return true;
    case ID_VIEWER_RECORDS:
        if (free)
            m_viewer.m_owned.Records().Open();
        return true;
    case ID_VIEWER_HEADING_RECORDS:
        if (free)
            m_viewer.m_navigation.HeadingRecords(m_heading);
        m_heading = nullptr;
        return true;
    case ID_GO_TO_TIME:
        if (free)
            m_viewer.m_navigation.GoToTime();
        return true;
    case ID_NEXT_ERROR:
    case ID_PREVIOUS_ERROR:
        if (free)
            m_viewer.m_navigation.StepToClass(2, id == ID_NEXT_ERROR);
        return true;
    case ID_NEXT_WARNING:
    case ID_PREVIOUS_WARNING:
        if (free)
            m_viewer.m_navigation.StepToClass(1, id == ID_NEXT_WARNING);
        return true;
    default:
        if (!IsFilterCommand(id))
            return false;
        if (free)
            m_viewer.m_navigation.FilterBy(id);
        return true;
    }
}

// Keys of the viewer's own windows; the framework passes no others. This
// runs inside whatever loop takes the key from the queue (the host's, through a hook): keys only
// become commands posted to the viewer, which run once that loop dispatches them.
bool ViewerCommands::TranslateKey(const MSG& message) {
    if (message.message == WM_KEYDOWN) {
        const bool control = ::GetKeyState(VK_CONTROL) < 0;
        const bool shift = ::GetKeyState(VK_SHIFT) < 0;
        const bool alt = ::GetKeyState(VK_MENU) < 0; // AltGr is Ctrl+Alt: its F is a character
        WORD command = 0;
        if (message.wParam == VK_F5 && !control)
            command = ID_VIEWER_REFRESH;
        else if (message.wParam == VK_F3 && !control)
            command = shift ? ID_VIEWER_FIND_PREVIOUS : ID_VIEWER_FIND_NEXT;
        else if (message.wParam == 'F' && control && !alt)
            command = shift ? ID_VIEWER_ALL_MATCHES : ID_VIEWER_FIND;
        else if (message.wParam == 'T' && control && !shift && !alt)
            command = ID_VIEWER_TIMELINE;
        else if (message.wParam == 'S' && control && !shift && !alt)
            command = ID_VIEWER_SAVE_AS;
        else if (message.wParam == 'L' && control && !shift && !alt)
            command = ID_VIEWER_RECORDS;
        else if (message.wParam == 'G' && control && !shift && !alt)
            command = ID_GO_TO_TIME;
        else if (message.wParam == VK_F8 && !alt)
            command = control ? (shift ? ID_PREVIOUS_WARNING : ID_NEXT_WARNING)
                              : (shift ? ID_PREVIOUS_ERROR : ID_NEXT_ERROR);
        else if (message.wParam == VK_ESCAPE &&
                 (m_viewer.Searching() || m_viewer.Sorting() || m_viewer.m_copy.Asked() ||
                  m_viewer.m_copy.Running()) &&
                 !control && !shift && !alt)
            return ::PostMessageW(m_viewer.m_hwnd, m_viewer.kCancelWork, 0, 0) !=
                   FALSE; // the work, not the viewer
        else if (message.wParam == VK_RETURN && message.hwnd == m_viewer.Tree() && !control && !shift && !alt)
            command = ID_VIEWER_OPEN_ENTRY; // not OK: a large log would have to be read again
        else if (message.hwnd != m_viewer.m_list.Handle())
            command = 0; // the keys below are the list's; elsewhere they are the control's own
        else if (message.wParam == 'C' && control && !shift && !alt)
            command = ID_VIEWER_COPY;
        else if (message.wParam == 'A' && control && !shift && !alt)
            command = ID_VIEWER_SELECT_ALL;
        else if (message.wParam == VK_RETURN && !control && !shift && !alt) {
            // The focused record's details; without one, nothing: OK and Cancel close the viewer.
            if (m_viewer.m_rows.At(m_viewer.m_list.GetNextItem(-1, LVNI_FOCUSED)) ==
                NeighbourQuery::kNoRecord)
                return true;
            command = ID_VIEWER_DETAILS;
        }
        if (command) {
            ::PostMessageW(m_viewer.m_hwnd, WM_COMMAND, MAKEWPARAM(command, 1), 0);
            return true;
        }
    }
    return false;
}
