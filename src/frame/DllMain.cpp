// The DLL entry point. Deliberately empty of work: everything that may not run under the
// loader lock (GDI+, loading the suite's library) starts with the first exported call.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH)
        ::DisableThreadLibraryCalls(instance);
    return TRUE;
}
