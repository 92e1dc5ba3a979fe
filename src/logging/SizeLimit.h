// The size limit's decision: whether a log file is cut and which tail of it survives.
#pragma once

#include <cstdint>

namespace Zt {

constexpr std::uint32_t kNoLimit = 0xFFFFFFFFu;

// Positions are 64-bit: a log may grow past 4 GiB before anyone sets a limit.
struct KeptTail {
    std::uint64_t offset = 0; // where the kept bytes start in the old file
    std::uint32_t length = 0; // how many bytes are kept
};

// Whether a file of `size` bytes is cut: only when both settings are given, the size exceeds
// the limit and something is to be kept. The tail holds at most `keepSize` bytes and starts at
// an even offset, so that no UTF-16 code unit is split.
bool ShouldCut(std::uint64_t size, std::uint32_t sizeLimit, std::uint32_t keepSize);
KeptTail TailToKeep(std::uint64_t size, std::uint32_t keepSize);

} // namespace Zt
