// zthost: loads ZtServiceMsg.dll like a suite process and calls its exports.
#include "HostCommands.h"

#include "Screenshot.h"
#include "ZtServiceMsg.h"
#include "win/TreeView.h"

#include <commctrl.h>
#include <commdlg.h>

#include <cstdio>
#include <cstring>
#include <cwchar>

namespace {

struct ModuleExports {
    HMODULE module = nullptr;
    PFN_NotifyMsgBoxTmp notify = nullptr;
    PFN_CreateInfoDlg info = nullptr;
    PFN_CreateDiagnoseDlg diagnose = nullptr;
    PFN_DestroyOpenDlg destroy = nullptr;
};

// What the timer callbacks of this one-threaded tool work with.
struct Session {
    const HostOptions* options = nullptr;
    ModuleExports exports;
    bool screenshotTaken = false;
};
Session g_session;

template <typename Fn> Fn Export(HMODULE module, const char* name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
}

DWORD Number(const std::wstring& text) {
    return static_cast<DWORD>(std::wcstoul(text.c_str(), nullptr, 0));
}

std::string Ansi(const std::wstring& text) {
    int size = ::WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string result(static_cast<size_t>(size > 0 ? size : 1), '\0');
    ::WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, result.data(), size, nullptr, nullptr);
    result.resize(std::strlen(result.c_str()));
    return result;
}

BOOL CALLBACK FindVisibleDialog(HWND window, LPARAM found) {
    wchar_t className[16] = {};
    ::GetClassNameW(window, className, 16);
    if (::IsWindowVisible(window) && std::wcscmp(className, L"#32770") == 0) {
        *reinterpret_cast<HWND*>(found) = window;
        return FALSE;
    }
    return TRUE;
}

// The module's visible dialog or message box on this thread, if any.
HWND ModuleWindow() {
    HWND found = nullptr;
    ::EnumThreadWindows(::GetCurrentThreadId(), FindVisibleDialog, reinterpret_cast<LPARAM>(&found));
    return found;
}

// The window in front: the details dialog when it runs, else the module's window.
HWND FrontWindow() {
    HWND active = ::GetActiveWindow();
    DWORD process = 0;
    if (active && ::GetWindowThreadProcessId(active, &process) == ::GetCurrentThreadId() &&
        ::IsWindowVisible(active))
        return active;
    return ModuleWindow();
}

void TakeScreenshot() {
    const std::wstring& path = g_session.options->screenshotPath;
    if (path.empty() || g_session.screenshotTaken)
        return;
    g_session.screenshotTaken = true;
    HWND window = FrontWindow();
    if (window && SaveWindowPng(window, path))
        std::wprintf(L"screenshot: %ls\n", path.c_str());
    else
        std::wprintf(L"screenshot: no window of the module to capture\n");
    std::fflush(stdout);
}

HTREEITEM FindTreeItem(const win::TreeView& tree, HTREEITEM item, const std::wstring& text) {
    for (; item; item = tree.GetNextSiblingItem(item)) {
        if (tree.GetItemText(item) == text)
            return item;
        if (HTREEITEM found = FindTreeItem(tree, tree.GetChildItem(item), text))
            return found;
    }
    return nullptr;
}

// The group entry with the most records: an entry's label ends in its count, "(n)".
HTREEITEM FindLargestEntry(const win::TreeView& tree, HTREEITEM item, HTREEITEM largest,
                           unsigned long& most) {
    for (; item; item = tree.GetNextSiblingItem(item)) {
        const std::wstring text = tree.GetItemText(item);
        const size_t open = text.rfind(L" (");
        if (open != std::wstring::npos && !text.empty() && text.back() == L')') {
            const unsigned long count = std::wcstoul(text.c_str() + open + 2, nullptr, 10);
            if (count > most) {
                most = count;
                largest = item;
            }
        }
        largest = FindLargestEntry(tree, tree.GetChildItem(item), largest, most);
    }
    return largest;
}

void CALLBACK OnCloseTimer(HWND, UINT, UINT_PTR id, DWORD);

// The operator's steps on the viewer, for screenshots: "group-computer", "group-type",
// "select=LABEL" (a tree entry), "select-largest" (the entry with the most records), "find=TEXT"
// (find next, as the Find dialog asks for it), "details" (double-click the first row; the details
// dialog is captured instead, from inside its own modal loop), "menu" (the context menu of the
// list, captured while it is open), "matches" (every match of the search in the match window,
// which is captured instead), "timeline" (the timeline window, captured instead of the viewer),
// "records" (the records window, captured instead), "records-filter=ID" (a filter command of the
// records window's context menu on its first row), "size=WxH" (the viewer's window made W by H
// pixels).
void RunActions() {
    HWND viewer = ModuleWindow();
    if (!viewer)
        return;
    for (const std::wstring& action : g_session.options->actions) {
        if (int width = 0, height = 0; std::swscanf(action.c_str(), L"size=%dx%d", &width, &height) == 2) {
            ::SetWindowPos(viewer, nullptr, 0, 0, width, height,
                           SWP_NOZORDER); // at the corner: all on screen
        } else if (action == L"group-computer" || action == L"group-type") {
            const int id = action == L"group-computer" ? 1004 : 1005;
            ::SendMessageW(::GetDlgItem(viewer, id), BM_CLICK, 0, 0);
        } else if (action == L"select-largest") {
            win::TreeView tree(::GetDlgItem(viewer, 1002));
            unsigned long most = 0;
            if (HTREEITEM item = FindLargestEntry(tree, tree.GetRootItem(), nullptr, most))
                tree.SelectItem(item);
        } else if (action.rfind(L"select=", 0) == 0) {
            win::TreeView tree(::GetDlgItem(viewer, 1002));
            if (HTREEITEM item = FindTreeItem(tree, tree.GetRootItem(), action.substr(7)))
                tree.SelectItem(item);
        } else if (action.rfind(L"find=", 0) == 0) {
            std::wstring what = action.substr(5);
            FINDREPLACEW request{};
            request.lStructSize = sizeof request;
            request.lpstrFindWhat = what.data();
            request.Flags = FR_FINDNEXT | FR_DOWN;
            ::SendMessageW(viewer, ::RegisterWindowMessageW(FINDMSGSTRINGW), 0,
                           reinterpret_cast<LPARAM>(&request));
        } else if (action == L"matches") {
            ::SendMessageW(viewer, WM_COMMAND, 32785 /* ID_VIEWER_ALL_MATCHES */, 0);
        } else if (action == L"records") {
            ::SendMessageW(viewer, WM_COMMAND, MAKEWPARAM(32796 /* ID_VIEWER_RECORDS */, 0), 0);
        } else if (action.rfind(L"records-filter=", 0) == 0) {
            HWND records = FrontWindow();
            HWND list = ::GetDlgItem(records, 1060 /* IDC_RECORDS_LIST */);
            ListView_SetItemState(list, 0, LVIS_FOCUSED | LVIS_SELECTED, LVIS_FOCUSED | LVIS_SELECTED);
            ::SendMessageW(records, WM_COMMAND, MAKEWPARAM(std::wcstol(action.c_str() + 15, nullptr, 10), 0), 0);
        } else if (action == L"timeline") {
            ::SendMessageW(viewer, WM_COMMAND, MAKEWPARAM(32786 /* ID_VIEWER_TIMELINE */, 0), 0);
        } else if (action == L"menu") {
            HWND list = ::GetDlgItem(viewer, 1003);
            RECT area{};
            ::GetWindowRect(list, &area);
            // The menu runs its own loop; the next timer fires inside it.
            ::SetTimer(nullptr, 0, 800, OnCloseTimer);
            ::PostMessageW(viewer, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(list),
                           MAKELPARAM(area.left + 40, area.top + 60));
            return;
        } else if (action == L"details") {
            HWND list = ::GetDlgItem(viewer, 1003);
            RECT row{};
            ListView_GetItemRect(list, 0, &row, LVIR_LABEL);
            // The details dialog runs modally from the double-click; the next timer fires inside it.
            ::SetTimer(nullptr, 0, 800, OnCloseTimer);
            ::PostMessageW(list, WM_LBUTTONDBLCLK, MK_LBUTTON,
                           MAKELPARAM(row.left + 4, (row.top + row.bottom) / 2));
            return;
        }
    }
}

void CALLBACK OnActionTimer(HWND, UINT, UINT_PTR id, DWORD) {
    ::KillTimer(nullptr, id);
    RunActions();
    bool detailsFollow = false;
    for (const std::wstring& action : g_session.options->actions)
        detailsFollow = detailsFollow || action == L"details" || action == L"menu";
    if (!detailsFollow)
        ::SetTimer(nullptr, 0, 500, OnCloseTimer);
}

void CALLBACK OnCloseTimer(HWND, UINT, UINT_PTR id, DWORD) {
    ::KillTimer(nullptr, id);
    TakeScreenshot();
    ::EndMenu();
    if (HWND front = FrontWindow(); front && front != ModuleWindow())
        ::PostMessageW(front, WM_COMMAND, IDOK, 0); // the details dialog
    g_session.exports.destroy();
    // A message box is not one of the module's dialogs: close it the way the operator would.
    if (HWND box = ModuleWindow())
        ::PostMessageW(box, WM_COMMAND, IDCANCEL, 0);
    ::PostQuitMessage(0);
}

void CALLBACK OnWatchTimer(HWND, UINT, UINT_PTR, DWORD) {
    if (!ModuleWindow())
        ::PostQuitMessage(0);
}

// The host's own message loop, as a suite process runs one, until the module's window is gone
// or the close timer has fired.
void RunMessageLoop() {
    MSG message;
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
}

bool LoadModule(const std::wstring& path, ModuleExports& exports) {
    exports.module = ::LoadLibraryW(path.c_str());
    if (!exports.module)
        return false;
    exports.notify = Export<PFN_NotifyMsgBoxTmp>(exports.module, "NotifyMsgBoxTmp");
    exports.info = Export<PFN_CreateInfoDlg>(exports.module, "CreateInfoDlg");
    exports.diagnose = Export<PFN_CreateDiagnoseDlg>(exports.module, "CreateDiagnoseDlg");
    exports.destroy = Export<PFN_DestroyOpenDlg>(exports.module, "DestroyOpenDlg");
    return exports.notify && exports.info && exports.diagnose && exports.destroy;
}

bool Expect(const HostOptions& options, size_t count) {
    if (options.arguments.size() == count)
        return true;
    std::fwprintf(stderr, L"zthost %ls: %zu arguments expected\n%ls", options.command.c_str(), count,
                  HostUsage());
    return false;
}

} // namespace

const wchar_t* HostUsage() {
    return L"usage: zthost [--dll PATH] [--close-after MS] [--screenshot FILE.png] [--action STEP]... "
           L"COMMAND ARGS\n"
           L"  diagnose LCID LOGPATH\n"
           L"  info CAPTIONID TEXTID LCID TAG DETAILS\n"
           L"  notify LCID TEXTID CAPTIONID STYLE\n"
           L"  close                      (DestroyOpenDlg)\n"
           L"Numbers may be decimal or 0x hexadecimal. With --close-after, the steps run on the viewer\n"
           L"before the screenshot: group-computer, group-type, select=LABEL, select-largest, find=TEXT, "
           L"size=WxH, matches, records, records-filter=ID, timeline, details, menu.\n";
}

bool ParseHostOptions(int argc, wchar_t** argv, HostOptions& options, std::wstring& error) {
    int i = 1;
    for (; i < argc && std::wcsncmp(argv[i], L"--", 2) == 0; ++i) {
        const std::wstring flag = argv[i];
        if (i + 1 >= argc) {
            error = flag + L" needs a value";
            return false;
        }
        const std::wstring value = argv[++i];
        if (flag == L"--close-after")
            options.closeAfterMs = Number(value);
        else if (flag == L"--screenshot")
            options.screenshotPath = value;
        else if (flag == L"--dll")
            options.dllPath = value;
        else if (flag == L"--action")
            options.actions.push_back(value);
        else {
            error = L"unknown option " + flag;
            return false;
        }
    }
    if (i >= argc) {
        error = L"no command";
        return false;
    }
    options.command = argv[i++];
    options.arguments.assign(argv + i, argv + argc);
    return true;
}

int RunHostCommand(const HostOptions& options) {
    g_session.options = &options;
    ModuleExports& exports = g_session.exports;
    if (!LoadModule(options.dllPath, exports)) {
        std::fwprintf(stderr, L"zthost: cannot load %ls with its four exports\n", options.dllPath.c_str());
        return 2;
    }
    if (options.closeAfterMs)
        ::SetTimer(nullptr, 0, options.closeAfterMs, options.actions.empty() ? OnCloseTimer : OnActionTimer);

    const auto& a = options.arguments;
    if (options.command == L"diagnose") {
        if (!Expect(options, 2))
            return 2;
        exports.diagnose(Number(a[0]), Ansi(a[1]).c_str());
        if (!options.closeAfterMs)
            ::SetTimer(nullptr, 0, 300, OnWatchTimer);
        RunMessageLoop();
    } else if (options.command == L"info") {
        if (!Expect(options, 5))
            return 2;
        exports.info(0, Number(a[0]), Number(a[1]), Number(a[2]), 0, Ansi(a[3]).c_str(), Ansi(a[4]).c_str());
    } else if (options.command == L"notify") {
        if (!Expect(options, 4))
            return 2;
        exports.notify(Number(a[0]), Number(a[1]), Number(a[2]), Number(a[3]), 0);
    } else if (options.command == L"close") {
        exports.destroy();
    } else {
        std::fwprintf(stderr, L"zthost: unknown command %ls\n%ls", options.command.c_str(), HostUsage());
        return 2;
    }
    // Whatever the module still shows goes before the module does.
    exports.destroy();
    MSG pending;
    while (::PeekMessageW(&pending, nullptr, 0, 0, PM_REMOVE))
        ::DispatchMessageW(&pending);
    if (!options.screenshotPath.empty() && !g_session.screenshotTaken)
        std::wprintf(L"screenshot: the module showed no window\n");
    ::FreeLibrary(exports.module);
    return 0;
}
