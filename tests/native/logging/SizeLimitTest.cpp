// The size limit's decision and the tail that survives a cut.
#include "logging/SizeLimit.h"

#include <gtest/gtest.h>

using namespace Zt;

TEST(SizeLimit, CutsOnlyAboveTheLimitWithBothSettingsGiven) {
    EXPECT_TRUE(ShouldCut(1500, 1000, 400));
    EXPECT_FALSE(ShouldCut(1000, 1000, 400)) << "a file of exactly the limit stays";
    EXPECT_FALSE(ShouldCut(1500, 1000, 0));
    EXPECT_FALSE(ShouldCut(1500, kNoLimit, 400));
    EXPECT_FALSE(ShouldCut(1500, 1000, kNoLimit));
}

TEST(SizeLimit, TheKeptTailStartsOnAWholeCodeUnit) {
    KeptTail tail = TailToKeep(1500, 400);
    EXPECT_EQ(tail.offset, 1100u);
    EXPECT_EQ(tail.length, 400u);

    tail = TailToKeep(1500, 401);
    EXPECT_EQ(tail.offset, 1100u);
    EXPECT_EQ(tail.length, 400u);

    tail = TailToKeep(1501, 400);
    EXPECT_EQ(tail.offset, 1102u);
    EXPECT_EQ(tail.length, 399u);

    tail = TailToKeep(300, 400);
    EXPECT_EQ(tail.offset, 0u);
    EXPECT_EQ(tail.length, 300u);
}
