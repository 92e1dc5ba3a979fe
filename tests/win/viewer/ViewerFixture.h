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

std::vector<TreeNode> ReadTree(HWND tree);
Texts TextsOf(const std::vector<TreeNode>& nodes);
inline const auto RootTexts = [](HWND tree) { return TextsOf(ReadTree(tree)); };
inline const auto ChildTexts = [](const TreeNode& root) { return TextsOf(root.children); };
// The first item (depth first) whose text is `text`; null when there is none.
HTREEITEM FindTreeItem(HWND tree, const std::wstring& text);
std::wstring ListText(HWND list, int row, int column);
Texts Column(HWND list, int column);
// The list view's column headings, each followed by "|".
std::wstring HeaderTexts(HWND list);
// Selects and focuses `row` of a list view (-1: every row).
inline const auto SelectRow = [](HWND list, int row) {
    ListView_SetItemState(list, row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
};
// A top-level window of this thread with the given title, or null.
HWND FindThreadWindow(const std::wstring& title);
inline const auto Timeline = [] { return FindThreadWindow(L"Vistral Diagnose - Zeitverlauf"); }; // or null
// A visible window of the host's own: an edit field with `text`, for keys the viewer must leave.
HWND HostEdit(const wchar_t* text = L"");
// Whether two windows overlap on the screen.
bool Overlap(HWND a, HWND b);
// A mouse click as a user gives it, through the system's input queue.
void ClickAt(HWND window, POINT client, bool twice = false);
// Sets the thread's keyboard state of `keys` down or up, as held modifier keys.
void HoldKeys(std::initializer_list<BYTE> keys, bool down);
// Ctrl+key posted to `target` with the thread's Ctrl state down until ReleaseCtrl: it then
// passes whatever message loop runs, accelerator translation included. (Xvfb has no window
// manager to give our window the X keyboard focus, so synthesised hardware input would not
// reach it.)
void PressCtrlKey(HWND target, WORD key);
inline const auto ReleaseCtrl = [] { HoldKeys({VK_CONTROL, VK_LCONTROL}, false); };
// Ctrl+key (with Shift when asked) pressed and released on `target`, its messages pumped.
void CtrlKey(HWND target, WORD key, bool shift = false);
// The visible dialog `viewer` owns that holds the control `control` (any dialog for 0), or null.
HWND OwnedDialog(HWND viewer, int control);
// Types `what` into the Find dialog `find` and presses its Find Next.
void FindInDialog(HWND find, const wchar_t* what);
// A key as the keyboard gives it, with Shift held or not; the messages it makes are pumped.
void PressKey(HWND target, WORD key, bool shift = false);
// A click on the header of the match window's column `column`, as the window gets it.
void ClickHeader(HWND matches, int column);
// Pumps until `done` holds, at most `ms`.
bool PumpUntil(const std::function<bool()>& done, DWORD ms);

std::string Ansi(const std::wstring& text);
// The Unicode text on the clipboard, its terminating NUL included; empty when there is none.
std::wstring ClipboardText();

// A message box that no test closes (a find that found nothing where it should have) is closed
// within a second and fails the test, from whatever loop runs: the run never waits on it.
class Viewer : public ::testing::Test {
protected:
    Viewer();
    ~Viewer() override;

    // Writes `lines` (CR LF separated) to a file in the test's directory; answers its path.
    std::wstring WriteLog(const std::vector<std::string>& lines, const wchar_t* name = L"Events.log");
    // Opens the viewer on `path`; fails the test when no viewer came up.
    CDiagnoseDlg* Open(const std::wstring& path, LCID lcid = 0x0407);
    // Appends `text` to the log at `path`, as the suite's writer does.
    void Append(const std::string& text) const {
        std::ofstream(path.c_str(), std::ios::binary | std::ios::app) << text;
    }
    // Writes `lines` to `path` (Events.log) and opens the viewer on it.
    CDiagnoseDlg* OpenLog(const std::vector<std::string>& lines, LCID lcid = 0x0407) {
        return Open(path = WriteLog(lines), lcid);
    }
    CDiagnoseDlg* OpenViewer() const { return static_cast<CDiagnoseDlg*>(TheModule().diagnoseDialogSlot); }
    void SelectTreeItem(const std::wstring& text);
    Place Where() const;
    void Command(int id);
    // The list's notification of a double-click on a row, as the viewer gets it.
    void DoubleClickRow(int row);
    // The list's notification of a click on the header of `column`, as the viewer gets it.
    void ClickListHeader(int column);
    // Asks the viewer to find `what` as its Find dialog does. A message box that comes instead
    // is closed at once: its text is the answer (empty when none came).
    std::wstring Find(std::wstring what, DWORD flags = FR_DOWN);
    // Runs `inspect` against the details dialog opened by `open`, then closes the details.
    void WithDetails(const std::function<void()>& open, const std::function<void(HWND)>& inspect);

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
