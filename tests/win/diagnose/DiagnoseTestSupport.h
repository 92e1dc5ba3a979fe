// Helpers of the diagnose tests: files with given bytes, and a window holding real controls.
#pragma once

#include "win/ListView.h"
#include "win/TreeView.h"
#include "win/UniqueHandle.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>

namespace diagnose_test {

// Writes `bytes` over what `path` held (`disposition` CREATE_ALWAYS) or over its start
// (OPEN_EXISTING), letting others read and write meanwhile; false when that fails.
inline bool WriteBytes(const std::wstring& path, const std::string& bytes,
                       DWORD disposition = CREATE_ALWAYS) {
    win::UniqueFile file(::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                       nullptr, disposition, 0, nullptr));
    DWORD written = 0;
    return file &&
           ::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

// A hidden top-level window with a report list view and a tree view, destroyed at scope end.
class ControlHost {
public:
    ControlHost() {
        INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES | ICC_TREEVIEW_CLASSES};
        ::InitCommonControlsEx(&controls);
        m_window = ::CreateWindowExW(0, L"STATIC", L"host", WS_OVERLAPPEDWINDOW, 0, 0, 600, 400, nullptr,
                                     nullptr, nullptr, nullptr);
        list.Attach(::CreateWindowExW(0, WC_LISTVIEWW, L"", WS_CHILD | WS_VISIBLE | LVS_REPORT, 0, 0, 300,
                                      300, m_window, nullptr, nullptr, nullptr));
        tree.Attach(::CreateWindowExW(0, WC_TREEVIEWW, L"", WS_CHILD | WS_VISIBLE | TVS_HASBUTTONS, 300, 0,
                                      300, 300, m_window, nullptr, nullptr, nullptr));
        // Without a display (Xvfb not up yet) Wine makes no windows; say so rather than fail later.
        if (!list.Handle() || !tree.Handle())
            ADD_FAILURE() << "no controls could be created, error " << ::GetLastError();
    }
    ~ControlHost() { ::DestroyWindow(m_window); }
    ControlHost(const ControlHost&) = delete;
    ControlHost& operator=(const ControlHost&) = delete;
    win::ListView list;
    win::TreeView tree;

private:
    HWND m_window = nullptr;
};

// The tree as text: one line per item, children indented by two blanks, "label|data" for items
// with data.
inline std::wstring DescribeTree(const win::TreeView& tree, HTREEITEM item = TVI_ROOT, int depth = 0) {
    std::wstring out;
    for (item = item == TVI_ROOT ? tree.GetRootItem() : item; item; item = tree.GetNextSiblingItem(item))
        out += std::wstring(static_cast<size_t>(depth) * 2, L' ') + tree.GetItemText(item) +
               (tree.GetItemData(item) ? L"|data\n" : L"\n") +
               DescribeTree(tree, tree.GetChildItem(item), depth + 1);
    return out;
}

} // namespace diagnose_test
