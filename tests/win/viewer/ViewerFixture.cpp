// Opening the viewer for a test and reading its controls back.
#include "ViewerFixture.h"

namespace viewer_tests {

const std::vector<std::string> kAccessLog = {
    R"(05.12.2026 08:00:01   Host="PC1" Process="Alpha" Traceclass="0" Text="Zugriff verweigert")",
    R"(05.12.2026 08:00:02   Host="PC2" Process="Beta" Traceclass="0" Text="alles gut")",
    R"(05.12.2026 08:00:03   Host="PC1" Process="Gamma" Traceclass="2" Text="zugriffsfehler")",
    R"(05.12.2026 08:00:04   Host="PC2" Process="Delta" Traceclass="2" Text="ZUGRIFF verweigert")",
    R"(05.12.2026 08:00:05   Host="PC1" Process="Epsilon" Traceclass="0" Text="noch einmal")",
};

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

Texts TextsOf(const std::vector<TreeNode>& nodes) {
    Texts texts;
    for (const TreeNode& node : nodes)
        texts.push_back(node.text);
    return texts;
}

HTREEITEM FindTreeItem(HWND tree, const std::wstring& text) {
    return Find({L"\n", 0, false, false, nullptr, ReadTree(tree)}, text); // under a root no item matches
}

std::wstring ListText(HWND list, int row, int column) {
    wchar_t text[1024] = {};
    ListView_GetItemText(list, row, column, text, 1024);
    return text;
}

Texts Column(HWND list, int column) {
    Texts texts;
    const int count = ListView_GetItemCount(list);
    for (int row = 0; row < count; ++row)
        texts.push_back(ListText(list, row, column));
    return texts;
}

std::wstring HeaderTexts(HWND list) {
    std::wstring texts;
    HWND header = ListView_GetHeader(list);
    for (int column = 0; column < Header_GetItemCount(header); ++column) {
        wchar_t text[64] = {};
        HDITEMW item{};
        item.mask = HDI_TEXT;
        item.pszText = text;
        item.cchTextMax = 64;
        Header_GetItem(header, column, &item);
        texts += text + std::wstring(L"|");
    }
    return texts;
}

HWND FindThreadWindow(const std::wstring& title) {
    HWND window = ::FindWindowW(nullptr, title.c_str());
    return window && ::IsWindowVisible(window) &&
                   ::GetWindowThreadProcessId(window, nullptr) == ::GetCurrentThreadId()
               ? window
               : nullptr;
}

HWND HostEdit(const wchar_t* text) {
    return ::CreateWindowExW(0, L"EDIT", text, WS_POPUP | WS_VISIBLE | WS_BORDER, 0, 0, 200, 30, nullptr,
                             nullptr, nullptr, nullptr);
}

bool Overlap(HWND a, HWND b) {
    RECT first{}, second{}, both{};
    ::GetWindowRect(a, &first);
    ::GetWindowRect(b, &second);
    return ::IntersectRect(&both, &first, &second);
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

void HoldKeys(std::initializer_list<BYTE> keys, bool down) {
    BYTE state[256] = {};
    ::GetKeyboardState(state);
    for (BYTE key : keys)
        state[key] = down ? 0x80 : 0;
    ::SetKeyboardState(state);
}

void PressCtrlKey(HWND target, WORD key) {
    HoldKeys({VK_CONTROL, VK_LCONTROL}, true);
    PostKey(target, key);
}

void CtrlKey(HWND target, WORD key, bool shift) {
    HoldKeys({VK_SHIFT}, shift);
    PressCtrlKey(target, key);
    PumpMessages(50);
    ReleaseCtrl();
    HoldKeys({VK_SHIFT}, false);
}

HWND OwnedDialog(HWND viewer, int control) {
    for (HWND w = nullptr; (w = ::FindWindowExW(nullptr, w, L"#32770", nullptr)) != nullptr;)
        if (::GetWindow(w, GW_OWNER) == viewer && ::IsWindowVisible(w) &&
            (!control || ::GetDlgItem(w, control)))
            return w;
    return nullptr;
}

void FindInDialog(HWND find, const wchar_t* what) {
    ::SetDlgItemTextW(find, 1152 /* edt1 */, what);
    ::SendMessageW(find, WM_COMMAND, IDOK, 0);
    PumpMessages(50);
}

void PressKey(HWND target, WORD key, bool shift) {
    HoldKeys({VK_SHIFT}, shift);
    PostKey(target, key);
    PumpMessages(50);
    HoldKeys({VK_SHIFT}, false);
}

void ClickHeader(HWND matches, int column) {
    NMLISTVIEW click{};
    click.hdr = {::GetDlgItem(matches, IDC_MATCHES_LIST), IDC_MATCHES_LIST, LVN_COLUMNCLICK};
    click.iSubItem = column;
    ::SendMessageW(matches, WM_NOTIFY, IDC_MATCHES_LIST, reinterpret_cast<LPARAM>(&click));
    PumpMessages(20);
}

bool PumpUntil(const std::function<bool()>& done, DWORD ms) {
    for (DWORD waited = 0; waited < ms; waited += 50) {
        if (done())
            return true;
        PumpMessages(50);
    }
    return done();
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

Viewer::Viewer() : m_boxWatch(::SetTimer(nullptr, 0, 600, CloseStayingMessageBox)) {}

Viewer::~Viewer() {
    ::KillTimer(nullptr, m_boxWatch);
    DestroyOpenDlg();
    PumpMessages(20);
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
    PumpMessages(50);
    viewer = OpenViewer();
    EXPECT_NE(viewer, nullptr);
    if (viewer) {
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

Place Viewer::Where() const {
    const HTREEITEM item = TreeView_GetSelection(tree);
    const int row = ListView_GetNextItem(list, -1, LVNI_SELECTED);
    return {item ? ReadNode(tree, item).text : L"", row < 0 ? L"" : ListText(list, row, 1)};
}

void Viewer::Command(int id) {
    ::SendMessageW(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(window, id)));
    PumpMessages(20);
}

void Viewer::DoubleClickRow(int row) {
    NMITEMACTIVATE activate{};
    activate.hdr = {list, IDC_DIAGNOSE_LIST, NM_DBLCLK};
    activate.iItem = row;
    ::SendMessageW(window, WM_NOTIFY, IDC_DIAGNOSE_LIST, reinterpret_cast<LPARAM>(&activate));
}

void Viewer::ClickListHeader(int column) {
    NMLISTVIEW click{};
    click.hdr = {list, IDC_DIAGNOSE_LIST, LVN_COLUMNCLICK};
    click.iSubItem = column;
    ::SendMessageW(window, WM_NOTIFY, IDC_DIAGNOSE_LIST, reinterpret_cast<LPARAM>(&click));
    PumpMessages(20);
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
