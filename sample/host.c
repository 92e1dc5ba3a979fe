/* A host of ZtServiceMsg.dll in plain C: the safe way to use the module from start to unload.

     host LOGPATH

   Opens the diagnostics viewer on LOGPATH, shows the information dialog over it from the host's
   own message loop, closes both from a timer a few seconds later, unloads the module and exits
   with 0; nobody needs to be at the keyboard. Exit codes: 1 bad arguments, 2 a path that this
   system's ANSI code page cannot hold, 3 no module or an incompatible one, 4 the module still
   loaded after FreeLibrary.

   Built two ways from this one file (see Makefile, and INTEGRATION.md for MSVC):
   - linked with the import library (ZtServiceMsg.lib or libZtServiceMsg.dll.a): the loader
     loads the module with the program and unloads it at exit;
   - with ZT_SAMPLE_LOAD_AT_RUN_TIME defined: the module is loaded by its full path and freed
     again while the program goes on, which is where the rules on unloading matter. */
#include <windows.h>
#include <objbase.h>
#include <shellapi.h>

#include "ZtServiceMsg.h"

/* The four exports, from the import library or looked up at run time. */
typedef struct ModuleExports {
    HMODULE module;
    PFN_NotifyMsgBoxTmp notifyMsgBox;
    PFN_CreateInfoDlg createInfoDlg;
    PFN_CreateDiagnoseDlg createDiagnoseDlg;
    PFN_DestroyOpenDlg destroyOpenDlg;
} ModuleExports;

static ModuleExports g_dll;
static LCID g_lcid;
static char g_logPath[MAX_PATH];

/* Console output without the C runtime's stdio, so that any linker and runtime will do. */
static void Say(const wchar_t* format, ...) {
    wchar_t text[1024];
    char bytes[3 * 1024];
    DWORD written;
    int length;
    va_list args;
    va_start(args, format);
    wvsprintfW(text, format, args);
    va_end(args);
    length = WideCharToMultiByte(CP_UTF8, 0, text, -1, bytes, (int)sizeof bytes, NULL, NULL);
    if (length > 1)
        WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), bytes, (DWORD)(length - 1), &written, NULL);
}

#ifdef ZT_SAMPLE_LOAD_AT_RUN_TIME
/* Always a full path: a bare name would let the search order take a ZtServiceMsg.dll from the
   current directory. Here the module lies beside this program. */
static HMODULE LoadModuleBesideProgram(void) {
    wchar_t path[MAX_PATH];
    DWORD length = GetModuleFileNameW(NULL, path, MAX_PATH);
    while (length > 0 && path[length - 1] != L'\\')
        --length;
    if (length == 0 || length + 17 >= MAX_PATH)
        return NULL;
    lstrcpyW(path + length, L"ZtServiceMsg.dll");
    return LoadLibraryExW(path, NULL, LOAD_WITH_ALTERED_SEARCH_PATH);
}

static BOOL LoadExports(ModuleExports* dll) {
    dll->module = LoadModuleBesideProgram();
    if (!dll->module)
        return FALSE;
    dll->notifyMsgBox = (PFN_NotifyMsgBoxTmp)(void*)GetProcAddress(dll->module, "NotifyMsgBoxTmp");
    dll->createInfoDlg = (PFN_CreateInfoDlg)(void*)GetProcAddress(dll->module, "CreateInfoDlg");
    dll->createDiagnoseDlg = (PFN_CreateDiagnoseDlg)(void*)GetProcAddress(dll->module, "CreateDiagnoseDlg");
    dll->destroyOpenDlg = (PFN_DestroyOpenDlg)(void*)GetProcAddress(dll->module, "DestroyOpenDlg");
    return dll->notifyMsgBox && dll->createInfoDlg && dll->createDiagnoseDlg && dll->destroyOpenDlg;
}
#else
static BOOL LoadExports(ModuleExports* dll) {
    dll->module = GetModuleHandleW(L"ZtServiceMsg.dll");
    dll->notifyMsgBox = NotifyMsgBoxTmp;
    dll->createInfoDlg = CreateInfoDlg;
    dll->createDiagnoseDlg = CreateDiagnoseDlg;
    dll->destroyOpenDlg = DestroyOpenDlg;
    return dll->module != NULL;
}
#endif

/* The module's own version, from its version resource: what was installed, whatever header
   this program was built with. A host checks it before the first call. */
static BOOL ReadModuleVersion(HMODULE module, WORD version[4]) {
    wchar_t path[MAX_PATH];
    DWORD size, ignored;
    void* info;
    VS_FIXEDFILEINFO* fixed = NULL;
    UINT length = 0;
    BOOL read = FALSE;
    if (!GetModuleFileNameW(module, path, MAX_PATH))
        return FALSE;
    size = GetFileVersionInfoSizeW(path, &ignored);
    info = size ? HeapAlloc(GetProcessHeap(), 0, size) : NULL;
    if (info && GetFileVersionInfoW(path, 0, size, info) &&
        VerQueryValueW(info, L"\\", (void**)&fixed, &length) && length >= sizeof *fixed) {
        version[0] = HIWORD(fixed->dwFileVersionMS);
        version[1] = LOWORD(fixed->dwFileVersionMS);
        version[2] = HIWORD(fixed->dwFileVersionLS);
        version[3] = LOWORD(fixed->dwFileVersionLS);
        read = TRUE;
    }
    if (info)
        HeapFree(GetProcessHeap(), 0, info);
    return read;
}

/* Same major version, and at least the minor version this program was built against. */
static BOOL IsCompatible(const WORD version[4]) {
    return version[0] == ZTSERVICEMSG_VERSION_MAJOR &&
           MAKELONG(version[1], version[0]) >=
               MAKELONG(ZTSERVICEMSG_VERSION_MINOR, ZTSERVICEMSG_VERSION_MAJOR);
}

/* The path goes to the module as ANSI text. A character that this system's ANSI code page
   cannot hold would be replaced by another one, and the module would open another name (or
   none): refuse it here, where the host still knows what it meant. */
static BOOL ToAnsiPath(const wchar_t* path, char* ansi, int size) {
    BOOL lost = FALSE;
    int length = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, path, -1, ansi, size, NULL, &lost);
    return length > 0 && !lost;
}

/* Fires inside the information dialog's own loop. It may close everything, but must not free
   the module: the module's loop is on the stack and runs again when this returns. */
static void CALLBACK CloseEverything(HWND window, UINT message, UINT_PTR id, DWORD time) {
    (void)window, (void)message, (void)time;
    KillTimer(NULL, id);
    g_dll.destroyOpenDlg();
    PostQuitMessage(0);
}

/* Fires in the host's loop while the viewer is open. CreateInfoDlg waits here until the
   dialog is confirmed or closed; the viewer and the host's own windows go on meanwhile, for
   the dialog has no owner. */
static void CALLBACK ShowInformation(HWND window, UINT message, UINT_PTR id, DWORD time) {
    (void)window, (void)message, (void)time;
    KillTimer(NULL, id);
    SetTimer(NULL, 0, 3000, CloseEverything);
    g_dll.createInfoDlg(0, 5000, 5001, g_lcid, 0, "Sample host", "Closes by itself in a few seconds.");
}

int main(void) {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    WORD version[4];
    MSG message;
    BOOL pathFits;
    if (!argv || argc != 2) {
        Say(L"usage: host LOGPATH\n");
        return 1;
    }
    pathFits = ToAnsiPath(argv[1], g_logPath, (int)sizeof g_logPath);
    LocalFree(argv);
    if (!pathFits) {
        Say(L"host: the log's path cannot be written in this system's ANSI code page\n");
        return 2;
    }

    /* The viewer's details ask a COM component for error texts: this thread is a
       single-threaded apartment, as a user-interface thread should be. */
    CoInitializeEx(NULL, COINIT_APARTMENTTHREADED);
    if (!LoadExports(&g_dll)) {
        Say(L"host: ZtServiceMsg.dll was not found beside the program\n");
        return 3;
    }
    if (!ReadModuleVersion(g_dll.module, version) || !IsCompatible(version)) {
        Say(L"host: ZtServiceMsg.dll is not of version %d.%d or a later %d.x\n", ZTSERVICEMSG_VERSION_MAJOR,
            ZTSERVICEMSG_VERSION_MINOR, ZTSERVICEMSG_VERSION_MAJOR);
        return 3;
    }
    Say(L"ZtServiceMsg.dll %d.%d.%d.%d, built against %d.%d.%d\n", version[0], version[1], version[2],
        version[3], ZTSERVICEMSG_VERSION_MAJOR, ZTSERVICEMSG_VERSION_MINOR, ZTSERVICEMSG_VERSION_PATCH);

    /* Texts in the user's language; the module falls back to English, then German. */
    g_lcid = MAKELCID(GetUserDefaultUILanguage(), SORT_DEFAULT);
    g_dll.createDiagnoseDlg(g_lcid, g_logPath);
    SetTimer(NULL, 0, 500, ShowInformation);

    /* The host's loop as it is: the viewer takes its keys through a hook of its own, so it
       needs no IsDialogMessage here, and keys of the host's windows stay the host's. */
    while (GetMessageW(&message, NULL, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }

    /* Out of the loop: no call of the module and no loop of its windows is on the stack, the
       close has been asked, and the loop has taken every message posted before WM_QUIT. Only
       now may the module go. */
#ifdef ZT_SAMPLE_LOAD_AT_RUN_TIME
    FreeLibrary(g_dll.module);
    if (GetModuleHandleW(L"ZtServiceMsg.dll")) {
        Say(L"host: ZtServiceMsg.dll is still loaded\n");
        return 4;
    }
    Say(L"ZtServiceMsg.dll unloaded\n");
#endif
    CoUninitialize();
    return 0;
}
