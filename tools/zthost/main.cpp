// zthost: the project's reference client of ZtServiceMsg.dll.
#include "HostCommands.h"

#include <cstdio>
#include <gdiplus.h>

int wmain(int argc, wchar_t** argv) {
    HostOptions options;
    std::wstring error;
    if (!ParseHostOptions(argc, argv, options, error)) {
        std::fwprintf(stderr, L"zthost: %ls\n%ls", error.c_str(), HostUsage());
        return 2;
    }
    // The host's own GDI+, for screenshots; the module starts its own use independently.
    ULONG_PTR token = 0;
    Gdiplus::GdiplusStartupInput input;
    Gdiplus::GdiplusStartup(&token, &input, nullptr);
    int code = RunHostCommand(options);
    Gdiplus::GdiplusShutdown(token);
    return code;
}
