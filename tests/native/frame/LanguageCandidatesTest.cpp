// The fallback chain of the language libraries.
#include "frame/LanguageCandidates.h"

#include <gtest/gtest.h>

TEST(LanguageCandidates, RequestThenPrimaryDefaultThenEnglish) {
    using Candidates = std::array<uint32_t, 3>;
    const std::pair<uint32_t, Candidates> cases[] = {
        {0x0807, {0x0807, 0x0407, 0x0409}},
        {0x0C0A, {0x0C0A, 0x040A, 0x0409}},
        {0x0407, {0x0407, 0x0407, 0x0409}},         // the default sublanguage is tried again
        {0x00010407, {0x00010407, 0x0407, 0x0409}}, // sort bits stay for the request only
        {0, {0, 0x0400, 0x0409}},
        {0xFFFFFFFF, {0xFFFFFFFF, 0x07FF, 0x0409}},
    };
    for (const auto& [lcid, candidates] : cases)
        EXPECT_EQ(frame::LanguageCandidates(lcid), candidates) << std::hex << lcid;
}
