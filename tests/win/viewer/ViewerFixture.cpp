// Opening the viewer for a test and reading its controls back.
#include "ViewerFixture.h"

#include "viewer/ViewerSettings.h"

#include <fstream>

using namespace testing_support;

namespace viewer_tests {

namespace {
TreeNode ReadNode(HWND tree, HTREEITEM item) {
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

HTREEITEM Find(const TreeNode& node, const std::wstring& text) {
    if (node.text == text)
        return node.item;
    for (const TreeNode& child : node.children)
        if (HTREEITEM found = Find(child, text))
            return found;
    return nullptr;
}

void Send(std::vector<INPUT> inputs) {
    ::SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}
} // namespace

std::vector<TreeNode> ReadTree(HWND tree) {
    std::vector<TreeNode> roots;
    for (HTREEITEM item = TreeView_GetRoot(tree); item; item = TreeView_GetNextSibling(tree, item))
        roots.push_back(ReadNode(tree, item));
    return roots;
}

std::vector<std::wstring> RootTexts(HWND tree) {
    std::vector<std::wstring> texts;
    for (const TreeNode& root : ReadTree(tree))
        texts.push_back(root.text);
    return texts;
}

std::vector<std::wstring> ChildTexts(const TreeNode& root) {
    std::vector<std::wstring> texts;
    for (const TreeNode& child : root.children)
        texts.push_back(child.text);
    return texts;
}

HTREEITEM FindTreeItem(HWND tree, const std::wstring& text) {
    for (const TreeNode& root : ReadTree(tree))
        if (HTREEITEM found = Find(root, text))
            return found;
    return nullptr;
}

std::wstring ListText(HWND list, int row, int column) {
    wchar_t text[1024] = {};
    ListView_GetItemText(list, row, column, text, 1024);
    return text;
}

std::vector<std::wstring> Column(HWND list, int column) {
    std::vector<std::wstring> texts;
    const int count = ListView_GetItemCount(list);
    for (int row = 0; row < count; ++row)
        texts.push_back(ListText(list, row, column));
    return texts;
}

HWND FindThreadWindow(const std::wstring& title) {
    HWND window = ::FindWindowW(nullptr, title.c_str());
    return window && ::IsWindowVisible(window) &&
                   ::GetWindowThreadProcessId(window, nullptr) == ::GetCurrentThreadId()
               ? window
               : nullptr;
}

void ClickAt(HWND window, POINT client, bool twice) {
    ::ClientToScreen(window, &client);
    ::SetCursorPos(client.x, client.y);
    PumpMessages(30);
    for (int i = 0; i < (twice ? 2 : 1); ++i) {
        INPUT down{}, up{};
        down.type = up.type = INPUT_MOUSE;
        down.mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
        up.mi.dwFlags = MOUSEEVENTF_LEFTUP;
        Send({down, up});
        PumpMessages(30);
    }
    PumpMessages(100);
}

void PressCtrlKey(HWND target, WORD key) {
    BYTE keys[256] = {};
    ::GetKeyboardState(keys);
    keys[VK_CONTROL] |= 0x80;
    keys[VK_LCONTROL] |= 0x80;
    ::SetKeyboardState(keys);
    PostKey(target, key);
}

void ReleaseCtrl() {
    BYTE keys[256] = {};
    ::GetKeyboardState(keys);
    keys[VK_CONTROL] &= 0x7F;
    keys[VK_LCONTROL] &= 0x7F;
    ::SetKeyboardState(keys);
}

void CtrlKey(HWND target, WORD key, bool shift) {
    BYTE keys[256] = {};
    ::GetKeyboardState(keys);
    keys[VK_SHIFT] = shift ? 0x80 : 0;
    ::SetKeyboardState(keys);
    PressCtrlKey(target, key);
    PumpMessages(50);
    ReleaseCtrl();
    ::GetKeyboardState(keys);
    keys[VK_SHIFT] = 0;
    ::SetKeyboardState(keys);
}

HWND OwnedDialog(HWND viewer, int control) {
    for (HWND w = nullptr; (w = ::FindWindowExW(nullptr, w, L"#32770", nullptr)) != nullptr;)
        if (::GetWindow(w, GW_OWNER) == viewer && ::IsWindowVisible(w) &&
            (!control || ::GetDlgItem(w, control)))
            return w;
    return nullptr;
}

void PressKey(HWND target, WORD key, bool shift) {
    BYTE keys[256] = {};
    ::GetKeyboardState(keys);
    keys[VK_SHIFT] = shift ? 0x80 : 0;
    ::SetKeyboardState(keys);
    PostKey(target, key);
    PumpMessages(50);
    keys[VK_SHIFT] = 0;
    ::SetKeyboardState(keys);
}

void ClickHeader(HWND matches, int column) {
    NMLISTVIEW click{};
    click.hdr = {::GetDlgItem(matches, IDC_MATCHES_LIST), IDC_MATCHES_LIST, LVN_COLUMNCLICK};
    click.iSubItem = column;
    ::SendMessageW(matches, WM_NOTIFY, IDC_MATCHES_LIST, reinterpret_cast<LPARAM>(&click));
    PumpMessages(20);
}

std::string Ansi(const std::wstring& text) {
    std::string result(text.size() * 2 + 1, '\0');
    const int length =
        ::WideCharToMultiByte(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()), result.data(),
                              static_cast<int>(result.size()), nullptr, nullptr);
    result.resize(static_cast<size_t>(length > 0 ? length : 0));
    return result;
}

std::wstring ClipboardText() {
    std::wstring text;
    if (!::OpenClipboard(nullptr))
        return text;
    if (HANDLE data = ::GetClipboardData(CF_UNICODETEXT)) {
        text.assign(static_cast<const wchar_t*>(::GlobalLock(data)), ::GlobalSize(data) / sizeof(wchar_t));
        ::GlobalUnlock(data);
    }
    ::CloseClipboard();
    return text;
}

void ForgetChoices() {
    ::RegDeleteKeyW(HKEY_CURRENT_USER, viewer::kChoicesKey);
}

namespace {
// A message box of this thread: its text is the child 0xFFFF (the Find dialog's label is too, but
// it has an edit field).
HWND ThreadMessageBox() {
    for (HWND found = nullptr; (found = ::FindWindowExW(nullptr, found, L"#32770", nullptr)) != nullptr;)
        if (::GetWindowThreadProcessId(found, nullptr) == ::GetCurrentThreadId() &&
            ::GetDlgItem(found, 0xFFFF) && !::GetDlgItem(found, 1152))
            return found;
    return nullptr;
}

HWND g_boxSeen = nullptr;
void CALLBACK CloseStayingMessageBox(HWND, UINT, UINT_PTR, DWORD) {
    HWND box = ThreadMessageBox();
    if (box && box == g_boxSeen) {
        ADD_FAILURE() << "a message box did not go: " << Ansi(ChildText(box, 0xFFFF));
        ::PostMessageW(box, WM_COMMAND, IDOK, 0);
    }
    g_boxSeen = box;
}
} // namespace

Viewer::Viewer() : m_boxWatch(::SetTimer(nullptr, 0, 600, CloseStayingMessageBox)) {
    ForgetChoices();
}

Viewer::~Viewer() {
    ::KillTimer(nullptr, m_boxWatch);
    DestroyOpenDlg();
    PumpMessages(20);
    ForgetChoices(); // the next program's viewers open as new
}

std::wstring Viewer::WriteLog(const std::vector<std::string>& lines, const wchar_t* name) {
    const std::wstring path = dir.Path() + name;
    std::ofstream file(path.c_str(), std::ios::binary);
    for (const std::string& line : lines)
        file << line << "\r\n";
    return path;
}

CDiagnoseDlg* Viewer::Open(const std::wstring& path, LCID lcid) {
    EXPECT_EQ(CreateDiagnoseDlg(lcid, Ansi(path).c_str()), 0);
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

void Viewer::SelectTreeItem(const std::wstring& text) {
    HTREEITEM item = FindTreeItem(tree, text);
    ASSERT_NE(item, nullptr) << "no tree item " << Ansi(text);
    TreeView_SelectItem(tree, item);
    PumpMessages(20);
}

std::pair<std::wstring, std::wstring> Viewer::Where() const {
    wchar_t text[64] = {};
    TVITEMW item{};
    item.mask = TVIF_TEXT;
    item.hItem = TreeView_GetSelection(tree);
    item.pszText = text;
    item.cchTextMax = 64;
    const bool named = item.hItem && TreeView_GetItem(tree, &item);
    const int row = ListView_GetNextItem(list, -1, LVNI_SELECTED);
    return {named ? text : L"", row < 0 ? L"" : ListText(list, row, 1)};
}

void Viewer::Command(int id) {
    ::SendMessageW(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(window, id)));
    PumpMessages(20);
    Settle();
}

void Viewer::Settle() const {
    EXPECT_TRUE(PumpUntil(
        [&] {
            CDiagnoseDlg* open = OpenViewer();
            return !open || !open->Reading();
        },
        10000))
        << "the viewer's read ends";
    PumpMessages(20);
}

void Viewer::DoubleClickRow(int row) {
    NMITEMACTIVATE activate{};
    activate.hdr = {list, IDC_DIAGNOSE_LIST, NM_DBLCLK};
    activate.iItem = row;
    ::SendMessageW(window, WM_NOTIFY, IDC_DIAGNOSE_LIST, reinterpret_cast<LPARAM>(&activate));
}

std::wstring Viewer::Find(std::wstring what, DWORD flags) {
    std::wstring box;
    AfterDelay(100, [&box] {
        if (HWND found = ThreadMessageBox()) {
            box = ChildText(found, 0xFFFF);
            ::PostMessageW(found, WM_COMMAND, IDOK, 0);
        }
    });
    FINDREPLACEW request{};
    request.lStructSize = sizeof request;
    request.lpstrFindWhat = what.data();
    request.Flags = FR_FINDNEXT | flags;
    ::SendMessageW(window, ::RegisterWindowMessageW(FINDMSGSTRINGW), 0, reinterpret_cast<LPARAM>(&request));
    PumpMessages(150); // the closer has looked by now, whether or not a box came
    return box;
}

void Viewer::WithDetails(const std::function<void()>& open, const std::function<void(HWND)>& inspect) {
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

} // namespace viewer_tests
