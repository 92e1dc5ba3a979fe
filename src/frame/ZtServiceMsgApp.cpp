// The application object: GDI+ and the suite's security set-up for the whole module.
#include "frame/ZtServiceMsgApp.h"

#include "win/ResourceModule.h"

#include <commctrl.h>

namespace {

// The suite's closed library is optional: the module must work where it is not installed.
void CallVistralSecurity() {
    HMODULE vistral = ::LoadLibraryW(L"Vistral50.dll");
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
