// The DLL entry point. Deliberately empty of work: everything that may not run under the
// loader lock (GDI+, loading the suite's library) starts with the first exported call.
//
// Thread notifications stay switched on (no DisableThreadLibraryCalls): the static C and C++
// runtime linked into this module does its per-thread clean-up (thread_local destructors, the
// threads library's keys) from them, and would skip it on every thread that ends.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
