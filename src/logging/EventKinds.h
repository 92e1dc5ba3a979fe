// Event types and identifiers of the generic logger's levels, as the message file numbers them
// (severity in the top two bits, facility 2, code 0).
#pragma once

#include <cstdint>

#include "logging/DiagnoseEntry.h"

namespace Zt {

constexpr std::uint16_t kEventTypeError = 1;       // EVENTLOG_ERROR_TYPE
constexpr std::uint16_t kEventTypeWarning = 2;     // EVENTLOG_WARNING_TYPE
constexpr std::uint16_t kEventTypeInformation = 4; // EVENTLOG_INFORMATION_TYPE

constexpr std::uint32_t kEventIdInformation = 0x40020000u;
constexpr std::uint32_t kEventIdWarning = 0x80020000u;
constexpr std::uint32_t kEventIdError = 0xC0020000u;

struct EventKind {
    std::uint16_t type;
    std::uint32_t id;
};

// The type follows the level; the identifier too, except that reports with attached data use
// the information identifier at every level, as the message file expects.
constexpr EventKind EventKindFor(DiagnoseLevel level, bool withData) {
    switch (level) {
    case DiagnoseLevel::Info:
        return {kEventTypeInformation, kEventIdInformation};
    case DiagnoseLevel::Warning:
        return {kEventTypeWarning, withData ? kEventIdInformation : kEventIdWarning};
    case DiagnoseLevel::Error:
        break;
    }
    return {kEventTypeError, withData ? kEventIdInformation : kEventIdError};
}

} // namespace Zt
