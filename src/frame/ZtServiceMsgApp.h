// The application object: GDI+ and the suite's security set-up for the whole module.
#pragma once

#include "frame/GdiplusInitializer.h"
#include "win/ActivationContext.h"

// Started by the first exported call rather than at module attach: GdiplusStartup and
// loading the suite's library are not allowed under the loader lock. Nothing is shut down at
// detach for the same reason; GDI+ is pinned in the process so that its background thread
// never outlives its code when a host frees this module.
class CZtServiceMsgApp {
public:
    CZtServiceMsgApp();
    virtual ~CZtServiceMsgApp() = default;
    CZtServiceMsgApp(const CZtServiceMsgApp&) = delete;
    CZtServiceMsgApp& operator=(const CZtServiceMsgApp&) = delete;

    // Runs InitInstance once; every exported call calls it first.
    void EnsureStarted();

    bool IsStarted() const { return m_initialised; }
    // The module's manifest context (common controls 6), empty when it has no manifest.
    HANDLE ControlsContext() const { return m_controlsContext.get(); }
    const CGdiplusInitializer& Gdiplus() const { return m_gdiplus; }

private:
    void InitInstance();

    CGdiplusInitializer m_gdiplus{false};
    win::ActivationContext m_controlsContext;
    bool m_initialised = false;
};

CZtServiceMsgApp& TheApp();

// Resource identifier of the DLL's manifest (ISOLATIONAWARE_MANIFEST_RESOURCE_ID).
constexpr UINT kModuleManifestId = 2;
