// The application object: GDI+ and the suite's security set-up for the whole module.
#include "frame/ZtServiceMsgApp.h"

#include "win/ResourceModule.h"

#include <commctrl.h>
#include <string>

namespace {

// The suite's library runs code inside the host, so it is taken only from places that the host
// and the suite control: the copy the process has loaded already, else the one beside this
// module, beside the host's program or in the system directory. Never the current directory
// or PATH, where anybody may put a file of that name.
HMODULE LoadVistralLibrary() {
    constexpr wchar_t kName[] = L"Vistral50.dll";
    HMODULE library = nullptr;
    if (::GetModuleHandleExW(0, kName, &library))
        return library;
    wchar_t system[MAX_PATH] = {};
    const UINT length = ::GetSystemDirectoryW(system, MAX_PATH);
    const std::wstring systemDirectory = length > 0 && length < MAX_PATH ? std::wstring(system) + L'\\' : L"";
    for (const std::wstring& directory :
         {win::ThisModuleDirectory(), win::ModuleDirectory(nullptr), systemDirectory}) {
        if (directory.empty())
            continue;
        library = ::LoadLibraryExW((directory + kName).c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
        if (library)
            return library;
    }
    return nullptr;
}

// The suite's closed library is optional: the module must work where it is not installed.
void CallVistralSecurity() {
    HMODULE vistral = LoadVistralLibrary();
    if (!vistral)
        return;
    using SecurityInit = HRESULT(WINAPI*)();
    auto init = reinterpret_cast<SecurityInit>(
        reinterpret_cast<void*>(::GetProcAddress(vistral, "ZtCoInitializeVistralSecurity")));
    if (init)
        init();
    // The library stays loaded: whatever it set up for the process must stay valid.
}

void PinGdiplus() {
    HMODULE gdiplus = nullptr;
    ::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_PIN, L"gdiplus.dll", &gdiplus);
}

} // namespace

CZtServiceMsgApp::CZtServiceMsgApp() = default;

void CZtServiceMsgApp::EnsureStarted() {
    if (m_initialised)
        return;
    m_initialised = true;
    InitInstance();
}

void CZtServiceMsgApp::InitInstance() {
    m_controlsContext = win::ActivationContext::FromModule(win::ThisModule(), kModuleManifestId);
    {
        win::ScopedActivation activation(m_controlsContext.get());
        INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
        ::InitCommonControlsEx(&controls);
    }
    m_gdiplus.Startup();
    PinGdiplus();
    CallVistralSecurity();
}

CZtServiceMsgApp& TheApp() {
    static CZtServiceMsgApp app;
    return app;
}
