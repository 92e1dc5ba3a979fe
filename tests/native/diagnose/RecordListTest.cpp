// A record list in fixed blocks: the random-access range the viewer searches and copies, across
// block bounds, grown and taken back.
#include "diagnose/RecordList.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

using diagnose::RecordId;
using diagnose::RecordList;

TEST(RecordList, ARangeAcrossBlocksThatShrinksBackAsItGrew) {
    RecordList list;
    for (RecordId id = 0; id < 140000; ++id)
        list.push_back(id * 2); // blocks of 65536: two full, one begun
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
