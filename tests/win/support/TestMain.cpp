// The entry point of every Windows test program: COM in an apartment, as a host's UI thread has,
// and a watchdog. A test that runs far longer than any test does has hung (a dialog or message
// box that did not come, or did not go, waits for input that never arrives): the watchdog names
// it and its thread's windows, and ends the program with a failure within seconds instead of
// leaving it to the run's timeout.
#include <gtest/gtest.h>
#include <objbase.h>

#include <atomic>
#include <cstdio>
#include <string>
#include <thread>

namespace {

constexpr DWORD kHungAfterMs = 15000;

class Watchdog : public ::testing::EmptyTestEventListener {
public:
    Watchdog() : m_thread(::GetCurrentThreadId()) {
        std::thread([this] { Watch(); }).detach();
    }
    void OnTestStart(const ::testing::TestInfo& test) override {
        m_name = std::string(test.test_suite_name()) + "." + test.name();
        m_started = ::GetTickCount();
        m_running = true;
    }
    void OnTestEnd(const ::testing::TestInfo&) override { m_running = false; }

private:
    void Watch() {
        for (;; ::Sleep(250)) {
            if (!m_running || ::GetTickCount() - m_started < kHungAfterMs)
                continue;
            std::string windows;
            ::EnumThreadWindows(
                m_thread,
                [](HWND window, LPARAM found) {
                    char title[128] = {};
                    if (::IsWindowVisible(window) && ::GetWindowTextA(window, title, sizeof title))
                        *reinterpret_cast<std::string*>(found) += std::string(" \"") + title + "\"";
                    return TRUE;
                },
                reinterpret_cast<LPARAM>(&windows));
            std::fprintf(stderr, "[  HUNG    ] %s: still running after %lu s; open windows:%s\n",
                         m_name.c_str(), kHungAfterMs / 1000, windows.empty() ? " none" : windows.c_str());
            std::fflush(stderr);
            ::TerminateProcess(::GetCurrentProcess(), 1);
        }
    }
    DWORD m_thread;
    std::string m_name;
    std::atomic<DWORD> m_started{0};
    std::atomic<bool> m_running{false};
};

} // namespace

int wmain(int argc, wchar_t** argv) {
    ::OleInitialize(nullptr);
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::UnitTest::GetInstance()->listeners().Append(new Watchdog);
    int result = RUN_ALL_TESTS();
    ::OleUninitialize();
    return result;
}
