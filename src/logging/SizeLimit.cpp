// The size limit's decision.
#include "logging/SizeLimit.h"

namespace Zt {

bool ShouldCut(std::uint64_t size, std::uint32_t sizeLimit, std::uint32_t keepSize) {
    if (sizeLimit == kNoLimit || keepSize == kNoLimit)
        return false;
    return size > sizeLimit && keepSize > 0;
}

KeptTail TailToKeep(std::uint64_t size, std::uint32_t keepSize) {
    KeptTail tail;
    tail.length = keepSize < size ? keepSize : static_cast<std::uint32_t>(size);
    tail.offset = size - tail.length;
    if (tail.offset % 2 != 0) {
        ++tail.offset;
        --tail.length;
    }
    return tail;
}

} // namespace Zt
