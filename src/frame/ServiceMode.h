// Whether the host runs as a service, from the suite's service-controller setting.
#pragma once

#include <windows.h>

constexpr wchar_t kServiceControllerKey[] = L"SOFTWARE\\MORVANE\\Vistral\\Services\\ZtServiceController";

// 1 when "Mode" under the service-controller key is the number 1; 0 for any other number, a
// missing key or value, or a value that is not exactly a 4-byte number.
BOOL IsServiceMode();
