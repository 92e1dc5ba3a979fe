// The fallback chain of the language libraries, as arithmetic on locale identifiers.
#pragma once

#include <array>
#include <cstdint>

namespace frame {

constexpr uint32_t kEnglishUnitedStates = 0x0409;

// The languages tried for a requested one, in order: the request as it is (sort bits
// included); the default sublanguage of its primary language (sort bits dropped, tried even
// when it equals the first); English (United States).
std::array<uint32_t, 3> LanguageCandidates(uint32_t lcid);

} // namespace frame
