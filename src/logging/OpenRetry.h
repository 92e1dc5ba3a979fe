// Which failures to open a log file pass by themselves, so that the open is worth trying again.
#pragma once

#include <cstdint>

namespace Zt {

// Another writer holds the file for one piece (a sharing violation), or another writer is
// removing the file it found empty: the platform then answers access denied with the status
// STATUS_DELETE_PENDING until the file is gone. Any other failure is final.
constexpr bool IsPassingOpenFailure(std::uint32_t error, std::uint32_t ntStatus) {
    constexpr std::uint32_t kAccessDenied = 5;
    constexpr std::uint32_t kSharingViolation = 32;
    constexpr std::uint32_t kStatusDeletePending = 0xC0000056u;
    return error == kSharingViolation || (error == kAccessDenied && ntStatus == kStatusDeletePending);
}

} // namespace Zt
