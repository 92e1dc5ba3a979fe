// The DLL entry point. Deliberately empty of work: everything that may not run under the
// loader lock (GDI+, loading the suite's library) starts with the first exported call.
//
// Thread notifications stay switched on (no DisableThreadLibraryCalls): the static runtime
// runs the destructors of thread_local objects, such as the dialogs' per-thread hook list,
// from this module's thread-detach notification, and would skip them without it.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) {
    return TRUE;
}
