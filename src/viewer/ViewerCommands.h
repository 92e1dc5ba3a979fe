// The viewer's context menu and keys: find, find next, all matches, refresh, follow
// automatically, the records window, go to a time, the next error or warning, the timeline,
// save as; in the list also copy, select all, the details and the filter of a record; on a
// heading of the tree its records.
#pragma once

#include <windows.h>
#include <commctrl.h>

class CDiagnoseDlg;

class ViewerCommands {
public:
    explicit ViewerCommands(CDiagnoseDlg& viewer) : m_viewer(viewer) {}

    // The one place that builds the viewer's context menu; from the keyboard it opens at the
    // control's top left corner.
    void ShowContextMenu(HWND control, LPARAM position);
    // A command of the menu, a key or a posted WM_COMMAND; false for one that is not the viewer's.
    bool OnViewerCommand(WORD id);
    // A key of the viewer's windows turned into a command posted to it; false when it is not one.
    bool TranslateKey(const MSG& message);

private:
    CDiagnoseDlg& m_viewer;
    HTREEITEM m_heading = nullptr; // the heading whose menu runs: its records are asked for
};
