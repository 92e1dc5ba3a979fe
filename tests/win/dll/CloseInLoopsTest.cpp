// DestroyOpenDlg from the host's timer while a loop of the platform holds the thread on a window
// of the module's: whatever the loop, every window of the module is gone once it has ended, and
// the host may then free the module (no hook, timer, posted message or thread of it is left).
#include "ZtServiceMsg.h"
#include "resource.h"
#include "TestSupport.h"

#include <commctrl.h>
#include <commdlg.h>
#include <tlhelp32.h>

#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <set>
#include <string>

using namespace testing_support;

namespace {

BOOL CALLBACK Collect(HWND window, LPARAM found) {
    reinterpret_cast<std::set<HWND>*>(found)->insert(window);
    return TRUE;
}

std::set<HWND> ThreadWindows() {
    std::set<HWND> windows;
    ::EnumThreadWindows(::GetCurrentThreadId(), &Collect, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

size_t ProcessThreads() {
    size_t count = 0;
    HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    THREADENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = ::Thread32First(snapshot, &entry); more; more = ::Thread32Next(snapshot, &entry))
        count += entry.th32OwnerProcessID == ::GetCurrentProcessId();
    ::CloseHandle(snapshot);
    return count;
}

// A visible top-level window of this thread owned by `owner` whose title starts with `title`.
HWND OwnedWindow(HWND owner, const std::wstring& title) {
    for (HWND window : ThreadWindows())
        if (::GetWindow(window, GW_OWNER) == owner && ::IsWindowVisible(window) &&
            WindowText(window).rfind(title, 0) == 0)
            return window;
    return nullptr;
}

// A key as a keyboard move or a menu takes it: for the thread, not for a window of the viewer,
// whose dialog keys would take an arrow before the loop has begun.
void PostThreadKey(UINT key) {
    PostKey(nullptr, key);
}

void Mouse(DWORD flags) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags;
    ::SendInput(1, &input, sizeof input);
}

void SendFindNext(HWND viewer, const wchar_t* text) {
    std::wstring what = text;
    FINDREPLACEW request{};
    request.lStructSize = sizeof request;
    request.lpstrFindWhat = what.data();
    request.Flags = FR_FINDNEXT | FR_DOWN;
    ::SendMessageW(viewer, ::RegisterWindowMessageW(FINDMSGSTRINGW), 0, reinterpret_cast<LPARAM>(&request));
}

// The viewer as a host sees it: its window, its tree and list, its owned windows.
struct Screen {
    HWND viewer = nullptr;
    HWND Tree() const { return ::GetDlgItem(viewer, IDC_DIAGNOSE_TREE); }
    HWND List() const { return ::GetDlgItem(viewer, IDC_DIAGNOSE_LIST); }
    void Command(WORD id) const { ::SendMessageW(viewer, WM_COMMAND, MAKEWPARAM(id, 0), 0); }
    void SelectFirstEntry() const {
        HTREEITEM heading = TreeView_GetRoot(Tree());
        TreeView_SelectItem(Tree(), TreeView_GetChild(Tree(), heading));
        PumpMessages(20);
    }
    HWND Matches() const {
        Command(ID_VIEWER_ALL_MATCHES); // no text yet: opens the Find dialog, whose Find Next fills it
        SendFindNext(viewer, L"Alpha");
        PumpMessages(50);
        return OwnedWindow(viewer, L"Vistral Diagnose - Treffer");
    }
    HWND Timeline() const {
        Command(ID_VIEWER_TIMELINE);
        PumpMessages(50);
        return OwnedWindow(viewer, L"Vistral Diagnose - Zeitverlauf");
    }
};

struct Loop {
    const char* name;
    // Opens what the loop needs and answers the window it runs on.
    std::function<HWND(const Screen&)> prepare;
    // Runs the loop on that window and returns when it has ended; `end` ends it from inside,
    // after the host's close.
    std::function<void(HWND)> run;
    std::function<void()> end;
};

void KeyboardMoveOrSize(HWND window, WPARAM command) {
    PostThreadKey(VK_LEFT); // the first arrow starts the keyboard move or size
    ::SendMessageW(window, WM_SYSCOMMAND, command, 0);
}

void PostOk(const wchar_t* title) {
    for (HWND window : ThreadWindows())
        if (::IsWindowVisible(window) && WindowText(window) == title)
            ::PostMessageW(window, WM_COMMAND, IDOK, 0);
}

HWND TheViewer(const Screen& s) {
    return s.viewer;
}

HWND FirstEntrySelected(const Screen& s) {
    s.SelectFirstEntry();
    return s.viewer;
}

const Loop kLoops[] = {
    {"keyboard move of the viewer", TheViewer, [](HWND w) { KeyboardMoveOrSize(w, SC_MOVE); },
     [] { PostThreadKey(VK_RETURN); }},
    {"keyboard move of the match window", [](const Screen& s) { return s.Matches(); },
     [](HWND w) { KeyboardMoveOrSize(w, SC_MOVE); }, [] { PostThreadKey(VK_RETURN); }},
    {"keyboard size of the timeline", [](const Screen& s) { return s.Timeline(); },
     [](HWND w) { KeyboardMoveOrSize(w, SC_SIZE); }, [] { PostThreadKey(VK_RETURN); }},
    {"system menu of the timeline", [](const Screen& s) { return s.Timeline(); },
     [](HWND w) { ::SendMessageW(w, WM_SYSCOMMAND, SC_KEYMENU, ' '); }, [] { ::EndMenu(); }},
    {"context menu of the viewer", TheViewer,
     [](HWND w) {
         HWND list = ::GetDlgItem(w, IDC_DIAGNOSE_LIST);
         RECT area{};
         ::GetWindowRect(list, &area);
         ::SendMessageW(w, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(list),
                        MAKELPARAM(area.left + 20, area.top + 40));
     },
     [] { ::EndMenu(); }},
    {"scroll-bar drag in the viewer's list", FirstEntrySelected,
     [](HWND w) {
         SCROLLBARINFO bar{};
         bar.cbSize = sizeof bar;
         ASSERT_TRUE(::GetScrollBarInfo(::GetDlgItem(w, IDC_DIAGNOSE_LIST), OBJID_VSCROLL, &bar));
         ::SetCursorPos((bar.rcScrollBar.left + bar.rcScrollBar.right) / 2,
                        bar.rcScrollBar.top + (bar.xyThumbTop + bar.xyThumbBottom) / 2);
         PumpMessages(30);
         Mouse(MOUSEEVENTF_LEFTDOWN);
         PumpMessages(900); // the drag's loop runs inside
     },
     [] { Mouse(MOUSEEVENTF_LEFTUP); }},
    {"message box of the viewer", TheViewer, [](HWND w) { SendFindNext(w, L"nirgends"); },
     [] { PostOk(L"Vistral Diagnose"); }},
    {"details", FirstEntrySelected,
     [](HWND w) {
         NMITEMACTIVATE activate{};
         activate.hdr = {::GetDlgItem(w, IDC_DIAGNOSE_LIST), IDC_DIAGNOSE_LIST, NM_DBLCLK};
         ::SendMessageW(w, WM_NOTIFY, IDC_DIAGNOSE_LIST, reinterpret_cast<LPARAM>(&activate));
     },
     [] { PostOk(L"Vistral Diagnose-Details"); }},
};

void PrintTo(const Loop& loop, std::ostream* out) {
    *out << loop.name;
}

class CloseInLoop : public ::testing::TestWithParam<Loop> {};

} // namespace

TEST_P(CloseInLoop, EveryWindowGoesWhenTheLoopEndsAndTheHostMayFreeTheModule) {
    TempDirectory dir;
    const std::wstring log = dir.Path() + L"Events.log";
    {
        std::ofstream file(log.c_str(), std::ios::binary);
        for (int i = 0; i < 200; ++i) // enough rows for the list's scroll bar
            file << "05.12.2026 08:00:" << (10 + i % 50)
                 << "   Host=\"PC1\" Process=\"Alpha\" Traceclass=\"0\"\r\n";
    }
    ::DestroyWindow(::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr,
                                      nullptr)); // what the platform makes for a thread's first window
    const std::set<HWND> before = ThreadWindows();
    const std::wstring path = BinDirectory() + L"ZtServiceMsg.dll";
    HMODULE module = ::LoadLibraryW(path.c_str());
    ASSERT_NE(module, nullptr);
    auto create = reinterpret_cast<PFN_CreateDiagnoseDlg>(
        reinterpret_cast<void*>(::GetProcAddress(module, "CreateDiagnoseDlg")));
    auto destroy = reinterpret_cast<PFN_DestroyOpenDlg>(
        reinterpret_cast<void*>(::GetProcAddress(module, "DestroyOpenDlg")));
    std::string ansiLog(log.begin(), log.end());
    ASSERT_EQ(create(0x0407, ansiLog.c_str()), 0);
    PumpMessages(50);
    Screen screen{OwnedWindow(nullptr, L"Vistral Diagnose")};
    ASSERT_NE(screen.viewer, nullptr);
    HWND loopWindow = GetParam().prepare(screen);
    ASSERT_NE(loopWindow, nullptr);
    // The platform's libraries that the module's dialogs brought in may keep threads of their own.
    const size_t threads = ProcessThreads();

    bool hiddenAtOnce = false;
    AfterDelay(300, [&] {
        destroy();
        hiddenAtOnce = !::IsWindowVisible(screen.viewer);
    });
    AfterDelay(700, GetParam().end);
    GetParam().run(loopWindow);
    PumpMessages(400);
    EXPECT_TRUE(hiddenAtOnce) << "off the screen while the loop runs";

    std::set<HWND> left;
    for (HWND window : ThreadWindows())
        if (!before.count(window))
            left.insert(window);
    if (!left.empty()) {
        // Freeing the module now would leave its windows' procedures behind.
        const std::wstring title = WindowText(*left.begin());
        ADD_FAILURE() << left.size() << " windows of the module were left, the first titled \""
                      << std::string(title.begin(), title.end()) << "\"";
        return;
    }
    EXPECT_EQ(ProcessThreads(), threads) << "no thread of the module is left";
    ASSERT_TRUE(::FreeLibrary(module));
    EXPECT_EQ(::GetModuleHandleW(path.c_str()), nullptr) << "nothing holds the module";
    PumpMessages(300); // a hook, timer or message of the freed module would run here and fault
}

INSTANTIATE_TEST_SUITE_P(Loops, CloseInLoop, ::testing::ValuesIn(kLoops),
                         [](const ::testing::TestParamInfo<Loop>& info) {
                             std::string name;
                             for (const char* c = info.param.name; *c; ++c)
                                 if (isalnum(static_cast<unsigned char>(*c)))
                                     name += *c;
                             return name;
                         });
