// The built ZtServiceMsg.dll as a suite process meets it: loaded by name, called through
// GetProcAddress, unloaded and loaded again, and run by the host tool where the suite's
// Vistral50.dll is missing and a stranger's lies in the current directory.
#include "ZtServiceMsg.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <fstream>

using namespace testing_support;

TEST(LoadedModule, EachLoadSetsUpSuiteSecurityAtItsFirstCallAndLeavesNothingMappedAtUnload) {
    // The host's copy of the suite's library, loaded for the rest of the process.
    auto calls = Export<LONG(__cdecl*)()>(::LoadLibraryW((BinDirectory() + L"Vistral50.dll").c_str()),
                                          "ZtVistralSecurityCallCount");
    ASSERT_NE(calls, nullptr);
    for (LONG round = 0; round < 2; ++round) {
        TempDirectory dir; // the module with its English library, used from there
        for (const wchar_t* file : {L"ZtServiceMsg.dll", L"ZtServiceMsgENU.LNG"})
            ASSERT_TRUE(::CopyFileW((BinDirectory() + file).c_str(), (dir.Path() + file).c_str(), FALSE));
        const LONG before = calls();
        HMODULE module = ::LoadLibraryW((dir.Path() + L"ZtServiceMsg.dll").c_str());
        ASSERT_NE(module, nullptr);
        auto destroy = Export<PFN_DestroyOpenDlg>(module, "DestroyOpenDlg");
        EXPECT_EQ(destroy(), 0);
        EXPECT_EQ(calls(), before) << "nothing runs at load, and DestroyOpenDlg runs no frame";
        AfterDelay(100, [destroy] { destroy(); });
        EXPECT_EQ(
            Export<PFN_CreateInfoDlg>(module, "CreateInfoDlg")(0, 5000, 5001, 0x0409, 0, "unload", nullptr),
            0);
        // A log long enough to be read still when the viewer is closed: its reading thread must
        // have ended, and let go of the file, before the host frees the module.
        const std::wstring log = dir.Path() + L"Events.log";
        {
            std::ofstream file(log.c_str(), std::ios::binary);
            for (int i = 0; i < 300000; ++i)
                file << "05.12.2026 08:00:00   Host=\"PC" << i % 50
                     << "\" Traceclass=\"0\" Text=\"a line\"\r\n";
        }
        EXPECT_EQ(Export<PFN_CreateDiagnoseDlg>(module, "CreateDiagnoseDlg")(
                      0x0409, std::string(log.begin(), log.end()).c_str()),
                  0);
        EXPECT_EQ(calls(), before + 1);
        destroy(); // a host closes what the module shows before it lets the module go
        ::FreeLibrary(module);
        PumpMessages(100); // a thread, timer or message of the freed module would run here and fault
        EXPECT_TRUE(::DeleteFileW(log.c_str())) << "the log is held no longer";
        // Files still mapped into the process cannot be deleted.
        EXPECT_TRUE(::DeleteFileW((dir.Path() + L"ZtServiceMsg.dll").c_str())) << "the module stays loaded";
        EXPECT_TRUE(::DeleteFileW((dir.Path() + L"ZtServiceMsgENU.LNG").c_str()))
            << "its language stays mapped";
    }
}

TEST(LoadedModule, NeverRunsAVistral50FromTheCurrentDirectory) {
    // The host tool and the module alone in one directory; the current directory holds a DLL
    // named Vistral50.dll whose entry point would write the marker file.
    TempDirectory program, current;
    for (const wchar_t* file : {L"zthost.exe", L"ZtServiceMsg.dll"})
        ASSERT_TRUE(::CopyFileW((BinDirectory() + file).c_str(), (program.Path() + file).c_str(), FALSE));
    ASSERT_TRUE(CopyFixture(L"Planted.dll", current.Path(), L"Vistral50.dll"));
    const std::wstring marker = current.Path() + L"planted-ran.txt";
    ::SetEnvironmentVariableW(L"ZT_PLANTED_MARKER", marker.c_str());
    std::wstring command =
        L"\"" + program.Path() + L"zthost.exe\" --close-after 300 notify 0x0407 5001 5000 0";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    ASSERT_TRUE(::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                 current.Path().c_str(), &startup, &process));
    ::WaitForSingleObject(process.hProcess, 30000);
    DWORD code = 0xFFFFFFFF;
    ::GetExitCodeProcess(process.hProcess, &code);
    ::TerminateProcess(process.hProcess, 1); // a host that hangs fails here, not in ctest's timeout
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    ::SetEnvironmentVariableW(L"ZT_PLANTED_MARKER", nullptr);
    EXPECT_EQ(code, 0u) << "the host works without the suite's library";
    EXPECT_EQ(::GetFileAttributesW(marker.c_str()), INVALID_FILE_ATTRIBUTES) << "the planted library ran";
}

namespace {
struct ViewerThread {
    PFN_CreateDiagnoseDlg create;
    std::string log;
    HWND window = nullptr;
};
BOOL CALLBACK TakeVisible(HWND window, LPARAM found) {
    if (!::IsWindowVisible(window))
        return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}
// The first visible top-level window of `thread`.
HWND WindowOfThread(DWORD thread) {
    HWND found = nullptr;
    ::EnumThreadWindows(thread, &TakeVisible, reinterpret_cast<LPARAM>(&found));
    return found;
}
// A host thread that opens the viewer and returns while it is open, reading.
DWORD WINAPI OpenViewerAndReturn(void* parameter) {
    auto& viewer = *static_cast<ViewerThread*>(parameter);
    viewer.create(0x0409, viewer.log.c_str());
    PumpMessages(50);
    viewer.window = WindowOfThread(::GetCurrentThreadId());
    return 0;
}
} // namespace

TEST(LoadedModule, AViewerLeftOpenByAnEndedThreadOpensAgainAndLeavesNoThreadBehind) {
    TempDirectory dir;
    const std::wstring log = dir.Path() + L"Events.log";
    {
        std::ofstream file(log.c_str(), std::ios::binary);
        for (int i = 0; i < 300000; ++i)
            file << "05.12.2026 08:00:00   Host=\"PC" << i % 50 << "\" Traceclass=\"0\" Text=\"a line\"\r\n";
    }
    HMODULE module = ::LoadLibraryW((BinDirectory() + L"ZtServiceMsg.dll").c_str());
    ASSERT_NE(module, nullptr);
    const size_t threads = ProcessThreadCount();
    ViewerThread viewer{Export<PFN_CreateDiagnoseDlg>(module, "CreateDiagnoseDlg"),
                        std::string(log.begin(), log.end())};
    HANDLE thread = ::CreateThread(nullptr, 0, &OpenViewerAndReturn, &viewer, 0, nullptr);
    ASSERT_EQ(::WaitForSingleObject(thread, 10000), WAIT_OBJECT_0);
    ::CloseHandle(thread);
    ASSERT_NE(viewer.window, nullptr);
    ASSERT_FALSE(::IsWindow(viewer.window)) << "the windows went with their thread";

    EXPECT_EQ(viewer.create(0x0409, viewer.log.c_str()), 0);
    EXPECT_TRUE(
        PumpUntil([] { return ::IsWindowVisible(WindowOfThread(::GetCurrentThreadId())) != FALSE; }, 5000))
        << "the viewer opens again";
    Export<PFN_DestroyOpenDlg>(module, "DestroyOpenDlg")();
    EXPECT_EQ(ProcessThreadCount(), threads) << "no reading thread of either viewer is left";
    ::FreeLibrary(module);
    PumpMessages(100); // a thread of the freed module would fault here
}
