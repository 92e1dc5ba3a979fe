// Opens the viewer through CreateDiagnoseDlg on a log written for the test, and reads its real
// controls back: tree items, list rows, caption, and the details dialog when it runs.
#pragma once

#include "ZtServiceMsg.h"
#include "viewer/DiagnoseDlg.h"
#include "frame/ModuleState.h"
#include "resource.h"
#include "TestSupport.h"

#include <commctrl.h>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace viewer_tests {
using namespace testing_support;

using Texts = std::vector<std::wstring>;
// The tree's selected item's text and the process of the list's selected row.
using Place = std::pair<std::wstring, std::wstring>;

struct TreeNode {
    std::wstring text;
    LPARAM data = 0;
    bool bold = false;
    bool expanded = false;
    HTREEITEM item = nullptr;
    std::vector<TreeNode> children;
};

// The item and its children, read back from the tree.
inline TreeNode ReadNode(HWND tree, HTREEITEM item) {
    wchar_t text[512] = {};
    TVITEMW data{};
    data.mask = TVIF_TEXT | TVIF_PARAM | TVIF_STATE;
    data.hItem = item;
    data.pszText = text;
    data.cchTextMax = 512;
    data.stateMask = TVIS_BOLD | TVIS_EXPANDED;
    TreeView_GetItem(tree, &data);
    TreeNode node{text, data.lParam, (data.state & TVIS_BOLD) != 0, (data.state & TVIS_EXPANDED) != 0,
                  item, {}};
    for (HTREEITEM child = TreeView_GetChild(tree, item); child; child = TreeView_GetNextSibling(tree, child))
        node.children.push_back(ReadNode(tree, child));
    return node;
}

inline std::vector<TreeNode> ReadTree(HWND tree) {
    std::vector<TreeNode> roots;
    for (HTREEITEM item = TreeView_GetRoot(tree); item; item = TreeView_GetNextSibling(tree, item))
        roots.push_back(ReadNode(tree, item));
    return roots;
}

// The first node (depth first) under `node` whose text is `text`; null when there is none.
inline HTREEITEM FindNode(const TreeNode& node, const std::wstring& text) {
    if (node.text == text)
        return node.item;
    for (const TreeNode& child : node.children)
        if (HTREEITEM found = FindNode(child, text))
            return found;
    return nullptr;
}
inline Texts TextsOf(const std::vector<TreeNode>& nodes) {
    Texts texts;
    for (const TreeNode& node : nodes)
        texts.push_back(node.text);
    return texts;
}
inline const auto RootTexts = [](HWND tree) { return TextsOf(ReadTree(tree)); };
inline const auto ChildTexts = [](const TreeNode& root) { return TextsOf(root.children); };
// The first item (depth first) whose text is `text`; null when there is none.
inline HTREEITEM FindTreeItem(HWND tree, const std::wstring& text) {
    return FindNode({L"\n", 0, false, false, nullptr, ReadTree(tree)}, text); // under a root no item matches
}
inline std::wstring ListText(HWND list, int row, int column) {
    wchar_t text[1024] = {};
    ListView_GetItemText(list, row, column, text, 1024);
    return text;
}
inline Texts Column(HWND list, int column) {
    Texts texts;
    const int count = ListView_GetItemCount(list);
    for (int row = 0; row < count; ++row)
        texts.push_back(ListText(list, row, column));
    return texts;
}
// Each column's sort arrow on a list view's header: HDF_SORTUP, HDF_SORTDOWN or 0.
inline std::vector<int> SortMarks(HWND list) {
    std::vector<int> marks;
    HDITEMW item{};
    item.mask = HDI_FORMAT;
    for (int column = 0; Header_GetItem(ListView_GetHeader(list), column, &item); ++column)
        marks.push_back(item.fmt & (HDF_SORTUP | HDF_SORTDOWN));
    return marks;
}
// Selects and focuses `row` of a list view (-1: every row).
inline const auto SelectRow = [](HWND list, int row) {
    ListView_SetItemState(list, row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
};
// A top-level window of this thread with the given title, or null.
inline HWND FindThreadWindow(const std::wstring& title) {
    HWND window = ::FindWindowW(nullptr, title.c_str());
    return window && ::IsWindowVisible(window) &&
                   ::GetWindowThreadProcessId(window, nullptr) == ::GetCurrentThreadId()
               ? window
               : nullptr;
}
inline const auto Timeline = [] { return FindThreadWindow(L"Vistral Diagnose - Zeitverlauf"); }; // or null
// A visible window of the host's own: an edit field with `text`, for keys the viewer must leave.
inline HWND HostEdit(const wchar_t* text = L"") {
    return ::CreateWindowExW(0, L"EDIT", text, WS_POPUP | WS_VISIBLE | WS_BORDER, 0, 0, 200, 30, nullptr,
                             nullptr, nullptr, nullptr);
}
// Resizes a top-level window to the given client size; answers the client size it then has.
inline std::pair<LONG, LONG> SetClientSize(HWND window, int width, int height) {
    RECT frame{0, 0, width, height};
    ::AdjustWindowRectEx(&frame, ::GetWindowLongW(window, GWL_STYLE), FALSE,
                         ::GetWindowLongW(window, GWL_EXSTYLE));
    ::SetWindowPos(window, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                   SWP_NOMOVE | SWP_NOZORDER);
    RECT client{};
    ::GetClientRect(window, &client);
    return {client.right, client.bottom};
}
// A mouse click as a user gives it, through the system's input queue.
inline void ClickAt(HWND window, POINT client, bool twice = false) {
    ::ClientToScreen(window, &client);
    ::SetCursorPos(client.x, client.y);
    PumpMessages(30);
    for (int i = 0; i < (twice ? 2 : 1); ++i) {
        INPUT clicks[2] = {{INPUT_MOUSE, {}}, {INPUT_MOUSE, {}}};
        clicks[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN, clicks[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
        ::SendInput(2, clicks, sizeof(INPUT));
        PumpMessages(30);
    }
    PumpMessages(100);
}
// Sets the thread's keyboard state of `keys` down or up, as held modifier keys.
inline void HoldKeys(std::initializer_list<BYTE> keys, bool down) {
    BYTE state[256] = {};
    ::GetKeyboardState(state);
    for (BYTE key : keys)
        state[key] = down ? 0x80 : 0;
    ::SetKeyboardState(state);
}
// Ctrl+key posted to `target` with the thread's Ctrl state down until ReleaseCtrl: it then
// passes whatever message loop runs, accelerator translation included. (Xvfb has no window
// manager to give our window the X keyboard focus, so synthesised hardware input would not
// reach it.)
inline void PressCtrlKey(HWND target, WORD key) {
    HoldKeys({VK_CONTROL, VK_LCONTROL}, true);
    PostKey(target, key);
}
inline const auto ReleaseCtrl = [] { HoldKeys({VK_CONTROL, VK_LCONTROL}, false); };
// Ctrl+key (with Shift when asked) pressed and released on `target`, its messages pumped.
inline void CtrlKey(HWND target, WORD key, bool shift = false) {
    HoldKeys({VK_SHIFT}, shift);
    PressCtrlKey(target, key);
    PumpMessages(50);
    ReleaseCtrl();
    HoldKeys({VK_SHIFT}, false);
}
// The visible dialog `viewer` owns that holds the control `control` (any dialog for 0), or null.
inline HWND OwnedDialog(HWND viewer, int control) {
    for (HWND w = nullptr; (w = ::FindWindowExW(nullptr, w, L"#32770", nullptr)) != nullptr;)
        if (::GetWindow(w, GW_OWNER) == viewer && ::IsWindowVisible(w) &&
            (!control || ::GetDlgItem(w, control)))
            return w;
    return nullptr;
}
// Types `what` into the Find dialog `find` and presses its Find Next.
inline void FindInDialog(HWND find, const wchar_t* what) {
    ::SetDlgItemTextW(find, 1152 /* edt1 */, what);
    ::SendMessageW(find, WM_COMMAND, IDOK, 0);
    PumpMessages(50);
}
// A key as the keyboard gives it, with Shift held or not; the messages it makes are pumped.
inline void PressKey(HWND target, WORD key, bool shift = false) {
    HoldKeys({VK_SHIFT}, shift);
    PostKey(target, key);
    PumpMessages(50);
    HoldKeys({VK_SHIFT}, false);
}
// A click on the header of the match window's column `column`, as the window gets it.
inline void ClickHeader(HWND window, int column, int listId = IDC_MATCHES_LIST) {
    NMLISTVIEW click{};
    click.hdr = {::GetDlgItem(window, listId), static_cast<UINT_PTR>(listId), LVN_COLUMNCLICK};
    click.iSubItem = column;
    ::SendMessageW(window, WM_NOTIFY, static_cast<WPARAM>(listId), reinterpret_cast<LPARAM>(&click));
    PumpMessages(20);
}

inline std::string Ansi(const std::wstring& text) {
    std::string result(text.size() * 2 + 1, '\0');
    const int length =
        ::WideCharToMultiByte(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()), result.data(),
                              static_cast<int>(result.size()), nullptr, nullptr);
    result.resize(static_cast<size_t>(length > 0 ? length : 0));
    return result;
}
// A message box of this thread: its text is the child 0xFFFF (the Find dialog's label is too, but
// it has an edit field).
inline HWND ThreadMessageBox() {
    for (HWND found = nullptr; (found = ::FindWindowExW(nullptr, found, L"#32770", nullptr)) != nullptr;)
        if (::GetWindowThreadProcessId(found, nullptr) == ::GetCurrentThreadId() &&
            ::GetDlgItem(found, 0xFFFF) && !::GetDlgItem(found, 1152))
            return found;
    return nullptr;
}

// Removes the operator's kept choices, so that a viewer opens as it does the first time.
void ForgetChoices();

// A message box that no test closes (a find that found nothing where it should have) is closed
// within a second and fails the test, from whatever loop runs: the run never waits on it.
class Viewer : public ::testing::Test {
protected:
    Viewer();
    ~Viewer() override;

    // Writes `lines` (CR LF separated) to a file in the test's directory; answers its path.
    std::wstring WriteLog(const std::vector<std::string>& lines, const wchar_t* name = L"Events.log") {
        const std::wstring written = dir.Path() + name;
        std::ofstream file(written.c_str(), std::ios::binary);
        for (const std::string& line : lines)
            file << line << "\r\n";
        return written;
    }
    // Opens the viewer on `log`; fails the test when no viewer came up.
    CDiagnoseDlg* Open(const std::wstring& log, LCID lcid = 0x0407) {
        EXPECT_EQ(CreateDiagnoseDlg(lcid, Ansi(log).c_str()), 0);
        viewer = OpenViewer();
        EXPECT_NE(viewer, nullptr);
        if (viewer) {
            Settle();
            window = viewer->Handle();
            tree = viewer->Tree();
            list = viewer->RecordList();
        }
        return viewer;
    }
    // Appends `text` to the log at `path`, as the suite's writer does.
    void Append(const std::string& text) const {
        std::ofstream(path.c_str(), std::ios::binary | std::ios::app) << text;
    }
    // Writes `lines` to `path` (Events.log) and opens the viewer on it.
    CDiagnoseDlg* OpenLog(const std::vector<std::string>& lines, LCID lcid = 0x0407) {
        return Open(path = WriteLog(lines), lcid);
    }
    CDiagnoseDlg* OpenViewer() const {
        return static_cast<CDiagnoseDlg*>(TheModule().diagnoseDialogSlot.Get());
    }
    void SelectTreeItem(const std::wstring& text) {
        HTREEITEM item = FindTreeItem(tree, text);
        ASSERT_NE(item, nullptr) << "no tree item " << Ansi(text);
        TreeView_SelectItem(tree, item);
        PumpMessages(20);
    }
    Place Where() const {
        const HTREEITEM item = TreeView_GetSelection(tree);
        const int row = ListView_GetNextItem(list, -1, LVNI_SELECTED);
        return {item ? ReadNode(tree, item).text : L"", row < 0 ? L"" : ListText(list, row, 1)};
    }
    // Sends the command and waits until the read it asked for, if any, has joined tree and list.
    void Command(int id) {
        ::SendMessageW(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                       reinterpret_cast<LPARAM>(::GetDlgItem(window, id)));
        PumpMessages(20);
        Settle();
    }
    // Waits until the open viewer's read has joined tree and list.
    void Settle() const {
        EXPECT_TRUE(PumpUntil([&] { return !OpenViewer() || !OpenViewer()->Reading(); }, 10000))
            << "the viewer's read ends";
        PumpMessages(20);
    }
    // The list's notification of a double-click on a row, as the viewer gets it.
    void DoubleClickRow(int row) {
        NMITEMACTIVATE activate{};
        activate.hdr = {list, IDC_DIAGNOSE_LIST, NM_DBLCLK};
        activate.iItem = row;
        ::SendMessageW(window, WM_NOTIFY, IDC_DIAGNOSE_LIST, reinterpret_cast<LPARAM>(&activate));
    }
    // The list's notification of a click on the header of `column`, as the viewer gets it.
    void ClickListHeader(int column) {
        NMLISTVIEW click{};
        click.hdr = {list, IDC_DIAGNOSE_LIST, LVN_COLUMNCLICK};
        click.iSubItem = column;
        ::SendMessageW(window, WM_NOTIFY, IDC_DIAGNOSE_LIST, reinterpret_cast<LPARAM>(&click));
        PumpMessages(20);
    }
    // Asks the viewer to find `what` as its Find dialog does, and waits for a search on the
    // reading thread. A message box that comes instead is closed at once: its text is the answer
    // (empty when none came).
    std::wstring Find(std::wstring what, DWORD flags = FR_DOWN) {
        std::wstring box;
        std::function<void()> look = [&] { // until a box came or the search has ended
            if (HWND found = ThreadMessageBox()) {
                box = ChildText(found, 0xFFFF);
                ::PostMessageW(found, WM_COMMAND, IDOK, 0);
            } else if (OpenViewer() && OpenViewer()->Searching()) {
                AfterDelay(50, look);
            }
        };
        AfterDelay(100, look);
        SendFindNext(window, what, flags);
        Settle();
        PumpMessages(150); // the closer has looked by now, whether or not a box came
        return box;
    }
    // Runs `inspect` against the details dialog opened by `open`, then closes the details.
    void WithDetails(const std::function<void()>& open, const std::function<void(HWND)>& inspect) {
        bool seen = false;
        AfterDelay(150, [&] {
            HWND details = FindThreadWindow(L"Vistral Diagnose-Details");
            if (!details)
                return;
            seen = true;
            inspect(details);
            ::PostMessageW(details, WM_COMMAND, IDOK, 0);
        });
        open();
        PumpMessages(250); // the inspection has run by now, whether or not the details came up
        EXPECT_TRUE(seen) << "the details dialog did not open";
    }

    UINT_PTR m_boxWatch = 0;
    testing_support::TempDirectory dir;
    std::wstring path; // the log OpenLog wrote
    CDiagnoseDlg* viewer = nullptr;
    HWND window = nullptr;
    HWND tree = nullptr;
    HWND list = nullptr;
};

// The viewer open on `lines` before each test.
template <const std::vector<std::string>& lines> class ViewerOn : public Viewer {
protected:
    void SetUp() override { ASSERT_TRUE(OpenLog(lines)); }
};

// Five records of two computers, three of whose texts hold "zugriff" in some case.
extern const std::vector<std::string> kAccessLog;

} // namespace viewer_tests
