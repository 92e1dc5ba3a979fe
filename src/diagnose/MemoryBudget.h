// How much of its host's memory the viewer may take. The viewer lives in an operator station's
// process, whose own allocations must not fail because a log was large. No platform headers:
// the viewer measures its host and hands the figures in.
#pragma once

#include <cstddef>
#include <cstdint>

namespace diagnose {

constexpr uint64_t kMegabyte = uint64_t(1) << 20;
// The least budget a viewer gets, whatever the host has or sets.
constexpr uint64_t kLeastBudget = 16 * kMegabyte;

// What the host has when the viewer opens.
struct HostMemory {
    uint64_t freeAddressSpace = 0; // of the process
    uint64_t freePhysical = 0;     // of the machine
    bool wideAddresses = false;    // a 64-bit process
};

// The viewer's budget in bytes. A 32-bit host keeps at least half of its free address space: the
// smaller of 1 GiB and that half. A 64-bit one the smaller of 8 GiB and half the free physical
// memory, at least 1 GiB. `configuredMegabytes` (0: none) replaces that, though never below
// 16 MB, and in a 32-bit host never so high as to leave it less than 256 MB.
uint64_t ViewerBudget(const HostMemory& host, uint32_t configuredMegabytes);

// The index's part of the viewer's budget; the rest is for the rows that windows list (a few
// bytes a record each) and the reading buffers.
size_t IndexBudget(uint64_t viewerBudget);

} // namespace diagnose
