// Helpers of the diagnose tests: files with given bytes, and a window holding real controls.
#pragma once

#include "win/ListView.h"
#include "win/TreeView.h"

#include <string>

namespace diagnose_test {

// Writes `bytes` to `path`; false when that fails.
bool WriteBytes(const std::wstring& path, const std::string& bytes);

// A hidden top-level window with a report list view and a tree view, destroyed at scope end.
class ControlHost {
public:
    ControlHost();
    ~ControlHost();
    ControlHost(const ControlHost&) = delete;
    ControlHost& operator=(const ControlHost&) = delete;
    win::ListView list;
    win::TreeView tree;

private:
    HWND m_window = nullptr;
};

// The tree as text: one line per item, children indented by two blanks, "label|data" for items with data.
std::wstring DescribeTree(const win::TreeView& tree);

} // namespace diagnose_test
