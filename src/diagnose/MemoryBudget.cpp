// How much of its host's memory the viewer may take.
#include "diagnose/MemoryBudget.h"

#include <algorithm>

namespace diagnose {
namespace {

constexpr uint64_t kNarrowReserve = 256 * kMegabyte;

} // namespace

uint64_t ViewerBudget(const HostMemory& host, uint32_t configuredMegabytes) {
    uint64_t budget = 0;
    if (configuredMegabytes) {
        budget = configuredMegabytes * kMegabyte;
        if (!host.wideAddresses)
            budget = std::min(
                budget, host.freeAddressSpace > kNarrowReserve ? host.freeAddressSpace - kNarrowReserve : 0);
    } else if (host.wideAddresses) {
        budget = std::clamp(host.freePhysical / 2, 1024 * kMegabyte, 8192 * kMegabyte);
    } else {
        budget = std::min(host.freeAddressSpace / 2, 1024 * kMegabyte);
    }
    return std::max(budget, kLeastBudget);
}

size_t IndexBudget(uint64_t viewerBudget) {
    const uint64_t index = viewerBudget / 10 * 7;
    return static_cast<size_t>(std::min<uint64_t>(index, SIZE_MAX));
}

} // namespace diagnose
