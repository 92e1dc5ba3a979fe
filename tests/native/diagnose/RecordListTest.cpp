// A record list in packed blocks: the random-access range the viewer searches and copies, across
// block bounds and packed widths, grown and taken back.
#include "diagnose/RecordList.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

using diagnose::RecordId;
using diagnose::RecordList;

TEST(RecordList, ARangeAcrossBlocksThatShrinksBackAsItGrew) {
    RecordList list;
    for (RecordId id = 0; id < 140000; ++id)
        list.push_back(id * 2); // packed blocks of 128: 1093 full, one begun
    ASSERT_EQ(list.size(), 140000u);
    EXPECT_EQ(list[65535] + list[65536] + list[139999], 131070u + 131072u + 279998u);
    EXPECT_EQ(*std::lower_bound(list.begin(), list.end(), RecordId(131071)), 131072u);
    EXPECT_EQ(std::find_if(list.rbegin(), list.rend(), [](RecordId id) { return id < 131072; }).base() -
                  list.begin(),
              65536);
    const std::vector<RecordId> copy(list.begin() + 65534, list.begin() + 65538);
    EXPECT_EQ(copy, (std::vector<RecordId>{131068, 131070, 131072, 131074}));
    while (list.size() > 65535)
        list.pop_back();
    list.push_back(7);
    EXPECT_EQ(list.back() + list[65534] + list.size(), 7u + 131068u + 65536u);
}

// Blocks whose records lie close together, far apart and out of order: each packed as it needs,
// read back the same, unpacked again as the list shrinks, and packed smaller than plain ids.
TEST(RecordList, BlocksOfEveryWidthReadBackAsTheyWereFiled) {
    std::vector<RecordId> ids;
    RecordId id = 5;
    for (RecordId gap : {1u, 300u, 70000u, 3u})
        for (int i = 0; i < 128; ++i)
            ids.push_back(id += gap);
    ids.push_back(0xFFFFFFF0u);
    for (int i = 0; i < 128; ++i) // out of order: the distances wrap
        ids.push_back(i % 2 ? 0xFFFFFFFFu - i : RecordId(i));
    ids.push_back(42);
    RecordList list(ids.begin(), ids.end());
    ASSERT_TRUE(std::equal(list.begin(), list.end(), ids.begin(), ids.end()));
    EXPECT_LT(list.MemoryBytes(), ids.size() * sizeof(RecordId));
    while (!list.empty()) {
        ids.pop_back();
        list.pop_back();
        if (ids.size() % 61 == 0)
            ASSERT_TRUE(std::equal(list.begin(), list.end(), ids.begin(), ids.end())) << ids.size();
    }
    EXPECT_EQ(RecordList({1, 2, 3}), RecordList({1, 2, 3}));
}
