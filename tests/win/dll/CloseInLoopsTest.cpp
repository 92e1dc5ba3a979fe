// DestroyOpenDlg from the host's timer while a loop of the platform holds the thread on a window
// of the module's: whatever the loop, every window of the module is gone once it has ended, and
// the host may then free the module (no hook, timer, posted message or thread of it is left),
// even when its loop ends on WM_QUIT right after.
#include "ZtServiceMsg.h"
#include "resource.h"
#include "TestSupport.h"

#include <commctrl.h>
#include <commdlg.h>

#include <fstream>
#include <cwchar>
#include <functional>
#include <gtest/gtest.h>
#include <set>

using namespace testing_support;

static BOOL CALLBACK Collect(HWND window, LPARAM found) {
    reinterpret_cast<std::set<HWND>*>(found)->insert(window);
    return TRUE;
}

static std::set<HWND> ThreadWindows() {
    std::set<HWND> windows;
    ::EnumThreadWindows(::GetCurrentThreadId(), &Collect, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

// A visible top-level window of this thread owned by `owner` whose title starts with `title`.
static HWND OwnedWindow(HWND owner, const std::wstring& title) {
    for (HWND window : ThreadWindows())
        if (::GetWindow(window, GW_OWNER) == owner && ::IsWindowVisible(window) &&
            WindowText(window).rfind(title, 0) == 0)
            return window;
    return nullptr;
}

static void PostOk(const std::wstring& title) {
    ::PostMessageW(OwnedWindow(nullptr, title) ? OwnedWindow(nullptr, title) : FindThreadDialog(), WM_COMMAND,
                   IDOK, 0);
}

static void Mouse(DWORD flags) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags;
    ::SendInput(1, &input, sizeof input);
}

static HWND Command(HWND viewer, WORD id, const wchar_t* window) {
    ::SendMessageW(viewer, WM_COMMAND, id, 0);
    if (id == ID_VIEWER_ALL_MATCHES) // no text yet: the Find dialog opens, and its Find Next fills
        SendFindNext(viewer, L"Alpha");
    PumpMessages(50);
    return OwnedWindow(viewer, window);
}

static HWND WithEntrySelected(HWND viewer) {
    HWND tree = ::GetDlgItem(viewer, IDC_DIAGNOSE_TREE);
    TreeView_SelectItem(tree, TreeView_GetChild(tree, TreeView_GetRoot(tree)));
    return viewer;
}

// A keyboard move or size: the first arrow starts it, Enter ends it. The keys are the thread's,
// as the loop takes them, not a window's of the viewer, whose dialog keys would take an arrow.
static void KeyboardLoop(HWND window, WPARAM command) {
    PostKey(nullptr, VK_LEFT);
    ::SendMessageW(window, WM_SYSCOMMAND, command, 0);
}

struct Loop {
    const char* name;
    std::function<HWND(HWND viewer)> prepare; // answers the window the loop runs on
    std::function<void(HWND)> run;            // returns when the loop has ended
    std::function<void()> end;                // ends it from inside, after the host's close
};

static void PrintTo(const Loop& loop, std::ostream* out) {
    *out << loop.name;
}

static bool released = false; // the mouse held on the scroll bar was let go
static bool saving = false;   // inside the viewer's Save as
static std::wstring existing; // a file the save dialog asks whether to replace
const auto kEnter = [] { PostKey(nullptr, VK_RETURN); };
const auto kEndMenu = [] { ::EndMenu(); };
const auto kViewer = [](HWND viewer) { return viewer; };
const auto kMatches = [](HWND v) { return Command(v, ID_VIEWER_ALL_MATCHES, L"Vistral Diagnose - Treffer"); };
const auto kTimeline = [](HWND v) {
    return Command(v, ID_VIEWER_TIMELINE, L"Vistral Diagnose - Zeitverlauf");
};
// The context menu of `window` for its child `list`, as the keyboard opens it.
const auto ContextMenu = [](HWND window, int list) {
    ::SendMessageW(window, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(::GetDlgItem(window, list)), -1);
};

const auto kSaveShownBefore = [](HWND v) { // the threads the platform's shell starts for it stay
    // Cancelled once it is up, however long its folder takes to read: not the viewer before it.
    WhenTrue([v] { return OwnedWindow(v, L"") != nullptr; }, 5000,
             [v] { ::PostMessageW(OwnedWindow(v, L""), WM_COMMAND, IDCANCEL, 0); });
    ::SendMessageW(WithEntrySelected(v), WM_COMMAND, ID_VIEWER_SAVE_AS, 0);
    return v;
};

const Loop kLoops[] = {
    {"keyboard move of the viewer", kViewer, [](HWND w) { KeyboardLoop(w, SC_MOVE); }, kEnter},
    {"keyboard move of the match window", kMatches, [](HWND w) { KeyboardLoop(w, SC_MOVE); }, kEnter},
    {"keyboard size of the timeline", kTimeline, [](HWND w) { KeyboardLoop(w, SC_SIZE); }, kEnter},
    {"system menu of the timeline", kTimeline,
     [](HWND w) { ::SendMessageW(w, WM_SYSCOMMAND, SC_KEYMENU, ' '); }, kEndMenu},
    {"context menu of the viewer", kViewer, [](HWND w) { ContextMenu(w, IDC_DIAGNOSE_LIST); }, kEndMenu},
    {"context menu of the match window", kMatches, [](HWND w) { ContextMenu(w, IDC_MATCHES_LIST); },
     kEndMenu},
    {"scroll-bar drag in the viewer's list", WithEntrySelected,
     [](HWND w) {
         SCROLLBARINFO bar{};
         bar.cbSize = sizeof bar;
         ASSERT_TRUE(::GetScrollBarInfo(::GetDlgItem(w, IDC_DIAGNOSE_LIST), OBJID_VSCROLL, &bar));
         ::SetCursorPos((bar.rcScrollBar.left + bar.rcScrollBar.right) / 2,
                        bar.rcScrollBar.top + (bar.xyThumbTop + bar.xyThumbBottom) / 2);
         PumpMessages(30);
         Mouse(MOUSEEVENTF_LEFTDOWN);
         released = false;
         PumpUntil([] { return released; }, 2000); // the drag's loop runs inside, and returns here
     },
     [] {
         Mouse(MOUSEEVENTF_LEFTUP);
         released = true;
     }},
    {"message box of the viewer", kViewer, [](HWND w) { SendFindNext(w, L"nirgends"); },
     [] { PostOk(L"Vistral Diagnose"); }},
    {"save dialog of the viewer", kSaveShownBefore,
     [](HWND w) { ::SendMessageW(w, WM_COMMAND, ID_VIEWER_SAVE_AS, 0); },
     [] { ::PostMessageW(FindThreadDialog(), WM_COMMAND, IDCANCEL, 0); }},
    {"replace question of the save dialog", kSaveShownBefore,
     [](HWND w) {
         WhenTrue([w] { return OwnedWindow(w, L"") != nullptr; }, 3000, [w] { // Save under an existing name
             ::SetDlgItemTextW(OwnedWindow(w, L""), 0x47C /* cmb13 */, existing.c_str());
             ::PostMessageW(OwnedWindow(w, L""), WM_COMMAND, IDOK, 0);
         });
         saving = true;
         ::SendMessageW(w, WM_COMMAND, ID_VIEWER_SAVE_AS, 0);
         saving = false;
     },
     [] { // the question and the save dialog, hidden, hold the thread until they are answered
         EXPECT_FALSE(saving) << "the close left the save dialog's question open";
         for (HWND window : saving ? ThreadWindows() : std::set<HWND>{})
             for (WPARAM id : {IDNO, IDCANCEL})
                 ::PostMessageW(window, WM_COMMAND, id, 0);
     }},
    {"details", WithEntrySelected,
     [](HWND w) {
         NMITEMACTIVATE activate{};
         activate.hdr = {::GetDlgItem(w, IDC_DIAGNOSE_LIST), IDC_DIAGNOSE_LIST, NM_DBLCLK};
         ::SendMessageW(w, WM_NOTIFY, IDC_DIAGNOSE_LIST, reinterpret_cast<LPARAM>(&activate));
     },
     [] { PostOk(L"Vistral Diagnose-Details"); }},
};

class CloseInLoop : public ::testing::TestWithParam<Loop> {};

TEST_P(CloseInLoop, EveryWindowGoesWhenTheLoopEndsAndTheHostMayFreeTheModule) {
    TempDirectory dir;
    const std::wstring log = existing = dir.Path() + L"Events.log";
    std::ofstream file(log.c_str(), std::ios::binary);
    for (int i = 0; i < 200; ++i) // enough rows for the list's scroll bar
        file << "05.12.2026 08:00:" << (10 + i % 50)
             << "   Host=\"PC1\" Process=\"Alpha\" Traceclass=\"0\"\r\n";
    file.close();
    ::DestroyWindow(::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr,
                                      nullptr)); // what the platform makes for a thread's first window
    const std::set<HWND> before = ThreadWindows();
    const std::wstring path = BinDirectory() + L"ZtServiceMsg.dll";
    HMODULE module = ::LoadLibraryW(path.c_str());
    ASSERT_NE(module, nullptr);
    auto destroy = Export<PFN_DestroyOpenDlg>(module, "DestroyOpenDlg");
    ASSERT_EQ(Export<PFN_CreateDiagnoseDlg>(module, "CreateDiagnoseDlg")(
                  0x0407, std::string(log.begin(), log.end()).c_str()),
              0);
    HWND viewer = nullptr; // it shows in the next dispatch
    ASSERT_TRUE(
        PumpUntil([&] { return (viewer = OwnedWindow(nullptr, L"Vistral Diagnose")) != nullptr; }, 5000));
    // The load's scanning thread ends with the load: the threads are counted after it.
    HWND caption = ::GetDlgItem(viewer, IDC_DIAGNOSE_CAPTION);
    ASSERT_TRUE(PumpUntil(
        [&] {
            wchar_t text[256] = {};
            ::GetWindowTextW(caption, text, 256);
            return text[0] && !std::wcsstr(text, L"Lese Protokoll");
        },
        5000));
    HWND loopWindow = GetParam().prepare(viewer);
    ASSERT_NE(loopWindow, nullptr);
    // The platform's libraries that the module's dialogs brought in may keep threads of their own;
    // of the module's, the viewer's reading thread runs while the viewer lives.
    const size_t threads = ProcessThreadCount();

    bool hiddenAtOnce = false;
    AfterDelay(300, [&] {
        destroy();
        hiddenAtOnce = !::IsWindowVisible(viewer);
    });
    bool ended = false; // a loop the close ended itself must not have its end come in the next test
    AfterDelay(700, [&] {
        GetParam().end();
        ended = true;
    });
    GetParam().run(loopWindow);
    // What the host's unload sequence does once the loop has ended: its loop ends on WM_QUIT,
    // which comes before any timer, and it frees the module.
    ::PostQuitMessage(0);
    for (MSG message; ::GetMessageW(&message, nullptr, 0, 0) > 0;)
        ::DispatchMessageW(&message);
    EXPECT_TRUE(hiddenAtOnce) << "off the screen while the loop runs";
    size_t left = 0;
    for (HWND window : ThreadWindows())
        left += !before.count(window);
    // Freeing the module with its windows left would leave their procedures behind.
    ASSERT_EQ(left, 0u) << "windows of the module were left";
    EXPECT_EQ(ProcessThreadCount(), threads - 1) << "no thread of the module is left";
    ASSERT_TRUE(::FreeLibrary(module));
    EXPECT_EQ(::GetModuleHandleW(path.c_str()), nullptr) << "nothing holds the module";
    PumpMessages(300); // a hook, timer or message of the freed module would run here and fault
    EXPECT_TRUE(PumpUntil([&] { return ended; }, 3000));
}

INSTANTIATE_TEST_SUITE_P(Loops, CloseInLoop, ::testing::ValuesIn(kLoops));
