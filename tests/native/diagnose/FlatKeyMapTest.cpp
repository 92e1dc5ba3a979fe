// The open-addressed key map against the standard one, through growth and erasures inside runs
// of colliding keys, the wrap at the table's end included.
#include "diagnose/FlatKeyMap.h"

#include <gtest/gtest.h>

#include <random>
#include <unordered_map>

TEST(FlatKeyMap, AgreesWithAStandardMapThroughInsertsAndErasures) {
    std::mt19937 random(7);
    // Each set has at most 45 keys in a table of 64 slots: runs form, wrap round its end and
    // break, in other places for each set.
    for (uint64_t set = 0; set < 40; ++set) {
        diagnose::FlatKeyMap map;
        std::unordered_map<uint64_t, uint32_t> reference;
        for (uint32_t step = 0; step < 2000; ++step) {
            const uint64_t key = set << 40 | random() % 45;
            if (random() % 3 == 0) {
                map.Erase(key);
                reference.erase(key);
            } else if (!reference.count(key)) {
                map.Insert(key, step);
                reference.emplace(key, step);
            }
            ASSERT_EQ(map.size(), reference.size()) << "set " << set << ", step " << step;
            for (const auto& [known, value] : reference)
                ASSERT_TRUE(map.Find(known) && *map.Find(known) == value)
                    << "set " << set << ", step " << step << ", key " << known;
            ASSERT_EQ(map.Find(key) != nullptr, reference.count(key) == 1)
                << "set " << set << ", step " << step;
        }
    }
    diagnose::FlatKeyMap map;
    map.Insert(1, 2);
    map.Clear();
    EXPECT_EQ(map.Find(1), nullptr);
    map.Erase(1); // nothing to take out: no effect
    EXPECT_EQ(map.size(), 0u);
}
