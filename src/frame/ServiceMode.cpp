// Whether the host runs as a service, read anew on every call.
#include "frame/ServiceMode.h"

#include "win/UniqueHandle.h"

BOOL IsServiceMode() {
    win::UniqueRegKey key;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kServiceControllerKey, 0, KEY_READ, key.put()) != ERROR_SUCCESS)
        return FALSE;
    DWORD mode = 0;
    DWORD size = sizeof(mode);
    // A value shorter than 4 bytes is not a number we can trust: only a full DWORD counts.
    if (::RegQueryValueExW(key.get(), L"Mode", nullptr, nullptr, reinterpret_cast<BYTE*>(&mode), &size) !=
            ERROR_SUCCESS ||
        size != sizeof(mode))
        return FALSE;
    return mode == 1 ? TRUE : FALSE;
}
