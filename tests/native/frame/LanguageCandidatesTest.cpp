// The fallback chain of the language libraries.
#include "frame/LanguageCandidates.h"

#include <gtest/gtest.h>

using frame::LanguageCandidates;

TEST(LanguageCandidates, RequestThenPrimaryDefaultThenEnglish) {
    EXPECT_EQ(LanguageCandidates(0x0807), (std::array<uint32_t, 3>{0x0807, 0x0407, 0x0409}));
    EXPECT_EQ(LanguageCandidates(0x0C0A), (std::array<uint32_t, 3>{0x0C0A, 0x040A, 0x0409}));
}

TEST(LanguageCandidates, DefaultSublanguageIsTriedEvenWhenItRepeatsTheRequest) {
    EXPECT_EQ(LanguageCandidates(0x0407), (std::array<uint32_t, 3>{0x0407, 0x0407, 0x0409}));
}

TEST(LanguageCandidates, SortBitsStayForTheRequestAndGoForTheFallback) {
    const auto candidates = LanguageCandidates(0x00010407);
    EXPECT_EQ(candidates[0], 0x00010407u);
    EXPECT_EQ(candidates[1], 0x0407u);
}

TEST(LanguageCandidates, NeutralAndOddIdentifiersStayWithinSixteenBits) {
    EXPECT_EQ(LanguageCandidates(0)[1], 0x0400u);
    EXPECT_EQ(LanguageCandidates(0xFFFFFFFF)[1], 0x07FFu);
}
