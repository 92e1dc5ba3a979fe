// The viewer's memory budget in the host that runs it.
#include "viewer/reading/HostBudget.h"

#include "win/UniqueHandle.h"

#include <windows.h>

namespace viewer {

diagnose::HostMemory MeasureHostMemory() {
    diagnose::HostMemory host;
    host.wideAddresses = sizeof(void*) == 8;
    MEMORYSTATUSEX status{};
    status.dwLength = sizeof status;
    if (::GlobalMemoryStatusEx(&status)) {
        host.freeAddressSpace = status.ullAvailVirtual;
        host.freePhysical = status.ullAvailPhys;
    }
    return host;
}

uint32_t ConfiguredBudgetMegabytes() {
    win::UniqueRegKey key;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kBudgetKey, 0, KEY_READ, key.put()) != ERROR_SUCCESS)
        return 0;
    DWORD megabytes = 0, type = 0, size = sizeof megabytes;
    if (::RegQueryValueExW(key.get(), kBudgetValue, nullptr, &type, reinterpret_cast<BYTE*>(&megabytes),
                           &size) != ERROR_SUCCESS ||
        type != REG_DWORD || size != sizeof megabytes)
        return 0;
    return megabytes;
}

uint64_t ViewerBudgetNow() {
    return diagnose::ViewerBudget(MeasureHostMemory(), ConfiguredBudgetMegabytes());
}

} // namespace viewer
