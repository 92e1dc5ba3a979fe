// Helpers of the diagnose tests.
#include "DiagnoseTestSupport.h"

#include "win/UniqueHandle.h"

#include <commctrl.h>
#include <gtest/gtest.h>

namespace diagnose_test {

bool WriteBytes(const std::wstring& path, const std::string& bytes) {
    win::UniqueFile file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    if (!file)
        return false;
    size_t done = 0;
    while (done < bytes.size()) {
        DWORD written = 0;
        const DWORD part = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 24));
        if (!::WriteFile(file.get(), bytes.data() + done, part, &written, nullptr) || written == 0)
            return false;
        done += written;
    }
    return true;
}

ControlHost::ControlHost() {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES | ICC_TREEVIEW_CLASSES};
    ::InitCommonControlsEx(&controls);
    m_window = ::CreateWindowExW(0, L"STATIC", L"host", WS_OVERLAPPEDWINDOW, 0, 0, 600, 400, nullptr, nullptr,
                                 nullptr, nullptr);
    list.Attach(::CreateWindowExW(0, WC_LISTVIEWW, L"", WS_CHILD | WS_VISIBLE | LVS_REPORT, 0, 0, 300, 300,
                                  m_window, nullptr, nullptr, nullptr));
    tree.Attach(::CreateWindowExW(0, WC_TREEVIEWW, L"", WS_CHILD | WS_VISIBLE | TVS_HASBUTTONS, 300, 0, 300,
                                  300, m_window, nullptr, nullptr, nullptr));
    // Without a display (Xvfb not up yet) Wine makes no windows; say so rather than fail later.
    if (!list.Handle() || !tree.Handle())
        ADD_FAILURE() << "no controls could be created, error " << ::GetLastError();
}

ControlHost::~ControlHost() {
    ::DestroyWindow(m_window);
}

namespace {
void Describe(const win::TreeView& tree, HTREEITEM item, int depth, std::wstring& out) {
    for (; item; item = tree.GetNextSiblingItem(item)) {
        out += std::wstring(static_cast<size_t>(depth) * 2, L' ') + tree.GetItemText(item) +
               (tree.GetItemData(item) ? L"|data" : L"") + L"\n";
        Describe(tree, tree.GetChildItem(item), depth + 1, out);
    }
}
} // namespace

std::wstring DescribeTree(const win::TreeView& tree) {
    std::wstring out;
    Describe(tree, tree.GetRootItem(), 0, out);
    return out;
}

} // namespace diagnose_test
