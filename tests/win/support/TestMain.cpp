// The entry point of every Windows test program: COM in an apartment, as a host's UI thread has,
// and a watchdog. A test that runs far longer than any does has hung (a dialog or message box
// that did not come or did not go waits for input): the watchdog names it and its thread's
// windows and ends the program with a failure, instead of leaving it to the run's timeout.
#include <gtest/gtest.h>
#include <objbase.h>

#include <atomic>
#include <cstdio>
#include <string>
#include <thread>

constexpr DWORD kHungAfterMs = 15000;
static std::string g_test;
static std::atomic<DWORD> g_started{0}; // 0: no test runs

static BOOL CALLBACK AddTitle(HWND window, LPARAM titles) {
    char title[128] = {};
    if (::IsWindowVisible(window) && ::GetWindowTextA(window, title, sizeof title))
        *reinterpret_cast<std::string*>(titles) += std::string(" \"") + title + "\"";
    return TRUE;
}

struct Watchdog : ::testing::EmptyTestEventListener {
    void OnTestStart(const ::testing::TestInfo& test) override {
        g_test = std::string(test.test_suite_name()) + "." + test.name();
        g_started = ::GetTickCount() | 1;
    }
    void OnTestEnd(const ::testing::TestInfo&) override { g_started = 0; }
};

static void Watch(DWORD thread) {
    for (;; ::Sleep(250))
        // Signed: the start was made odd (0 means none), so it may stand a tick after now, and an
        // unsigned difference would then read as a test hung for 49 days.
        if (const DWORD started = g_started;
            started && static_cast<LONG>(::GetTickCount() - started) > static_cast<LONG>(kHungAfterMs)) {
            std::string titles;
            ::EnumThreadWindows(thread, AddTitle, reinterpret_cast<LPARAM>(&titles));
            std::fprintf(stderr, "[  HUNG    ] %s: still running after %lu s; windows:%s\n", g_test.c_str(),
                         kHungAfterMs / 1000, titles.c_str());
            std::fflush(stderr);
            ::TerminateProcess(::GetCurrentProcess(), 1);
        }
}

int wmain(int argc, wchar_t** argv) {
    ::OleInitialize(nullptr);
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::UnitTest::GetInstance()->listeners().Append(new Watchdog);
    std::thread(Watch, ::GetCurrentThreadId()).detach();
    int result = RUN_ALL_TESTS();
    ::OleUninitialize();
    return result;
}
