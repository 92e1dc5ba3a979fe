// The built ZtServiceMsg.dll as a suite process meets it: loaded by name, called through
// GetProcAddress, unloaded and loaded again, with and without the suite's Vistral50.dll.
#include "ZtServiceMsg.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

using namespace testing_support;

namespace {

struct LoadedModule {
    LoadedModule() : module(::LoadLibraryW((BinDirectory() + L"ZtServiceMsg.dll").c_str())) {}
    ~LoadedModule() {
        if (!module)
            return;
        // A host closes what the module shows before it lets the module go.
        if (auto destroy = Get<PFN_DestroyOpenDlg>("DestroyOpenDlg"))
            destroy();
        PumpMessages(20);
        ::FreeLibrary(module);
    }
    template <typename Fn>
    Fn Get(const char* name) const {
        return reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
    }
    HMODULE module;
};

DWORD RunProcess(std::wstring commandLine, const std::wstring& directory) {
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, directory.c_str(),
                          &startup, &process))
        return 0xFFFFFFFF;
    ::WaitForSingleObject(process.hProcess, 60000);
    DWORD code = 0xFFFFFFFF;
    ::GetExitCodeProcess(process.hProcess, &code);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    return code;
}

} // namespace

TEST(LoadedModule, OffersItsFourExportsByName) {
    LoadedModule dll;
    ASSERT_NE(dll.module, nullptr);
    EXPECT_NE(dll.Get<PFN_NotifyMsgBoxTmp>("NotifyMsgBoxTmp"), nullptr);
    EXPECT_NE(dll.Get<PFN_CreateInfoDlg>("CreateInfoDlg"), nullptr);
    EXPECT_NE(dll.Get<PFN_CreateDiagnoseDlg>("CreateDiagnoseDlg"), nullptr);
    EXPECT_NE(dll.Get<PFN_DestroyOpenDlg>("DestroyOpenDlg"), nullptr);
}

TEST(LoadedModule, FirstCallSetsUpSuiteSecurityOnceAndNotAtLoad) {
    HMODULE vistral = ::LoadLibraryW(L"Vistral50.dll");
    ASSERT_NE(vistral, nullptr);
    using Count = LONG(__cdecl*)();
    auto calls = reinterpret_cast<Count>(reinterpret_cast<void*>(::GetProcAddress(vistral, "ZtVistralSecurityCallCount")));
    ASSERT_NE(calls, nullptr);
    const LONG before = calls();
    {
        LoadedModule dll;
        EXPECT_EQ(calls(), before) << "nothing runs at load";
        auto destroy = dll.Get<PFN_DestroyOpenDlg>("DestroyOpenDlg");
        EXPECT_EQ(destroy(), 0);
        EXPECT_EQ(calls(), before) << "DestroyOpenDlg runs no frame";
        auto diagnose = dll.Get<PFN_CreateDiagnoseDlg>("CreateDiagnoseDlg");
        EXPECT_EQ(diagnose(0x0407, nullptr), 0);
        EXPECT_EQ(diagnose(0x0409, nullptr), 0);
        EXPECT_EQ(calls(), before + 1);
    }
    ::FreeLibrary(vistral);
}

TEST(LoadedModule, UnloadAfterUseAndLoadAgain) {
    for (int round = 0; round < 3; ++round) {
        LoadedModule dll;
        ASSERT_NE(dll.module, nullptr);
        auto info = dll.Get<PFN_CreateInfoDlg>("CreateInfoDlg");
        auto destroy = dll.Get<PFN_DestroyOpenDlg>("DestroyOpenDlg");
        auto diagnose = dll.Get<PFN_CreateDiagnoseDlg>("CreateDiagnoseDlg");
        AfterDelay(100, [destroy] { destroy(); });
        EXPECT_EQ(info(0, 5000, 5001, 0x0409, 0, "unload", nullptr), 0);
        EXPECT_EQ(diagnose(0x0409, nullptr), 0);
    }
}

TEST(LoadedModule, WorksWhereTheSuiteLibraryIsMissing) {
    // A directory with the host tool and the module only: no Vistral50.dll anywhere it looks.
    TempDirectory dir;
    for (const wchar_t* file : {L"zthost.exe", L"ZtServiceMsg.dll"})
        ASSERT_TRUE(::CopyFileW((BinDirectory() + file).c_str(), (dir.Path() + file).c_str(), FALSE));
    const std::wstring host = dir.Path() + L"zthost.exe";
    EXPECT_EQ(RunProcess(L"\"" + host + L"\" --close-after 300 notify 0x0407 5001 5000 0", dir.Path()), 0u);
}
