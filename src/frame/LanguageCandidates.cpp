// The fallback chain of the language libraries.
#include "frame/LanguageCandidates.h"

namespace frame {

std::array<uint32_t, 3> LanguageCandidates(uint32_t lcid) {
    const uint32_t primaryDefault = ((lcid & 0xFFFF) & 0x3FF) | 0x400;
    return {lcid, primaryDefault, kEnglishUnitedStates};
}

} // namespace frame
