// Stand-in for the suite's Vistral50.dll: the process-wide security set-up that the module
// calls once at start, without arguments (so the calling convention does not matter). The real
// one sets COM security; this one counts its calls so that tests
// can see it was made.
#include <windows.h>

namespace {
LONG g_calls = 0;
}

extern "C" HRESULT __cdecl ZtCoInitializeVistralSecurity() {
    ::InterlockedIncrement(&g_calls);
    return S_OK;
}

extern "C" LONG __cdecl ZtVistralSecurityCallCount() { return g_calls; }
