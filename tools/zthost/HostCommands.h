// zthost: the project's reference client. Loads ZtServiceMsg.dll the way a suite process does
// and calls its exports from the command line.
#pragma once

#include <windows.h>
#include <string>
#include <vector>

struct HostOptions {
    std::wstring command;                // diagnose, info, notify, close
    std::vector<std::wstring> arguments; // the command's own arguments
    DWORD closeAfterMs = 0;              // 0: run until the operator closes the window
    std::wstring screenshotPath;         // saved just before closing, when given
    std::vector<std::wstring> actions;   // operator steps on the viewer before the screenshot
    std::wstring dllPath = L"ZtServiceMsg.dll";
};

// Parses the command line; false (with a message in `error`) when it does not make sense.
bool ParseHostOptions(int argc, wchar_t** argv, HostOptions& options, std::wstring& error);

// Runs the command; answers the process exit code.
int RunHostCommand(const HostOptions& options);

// The usage text.
const wchar_t* HostUsage();
