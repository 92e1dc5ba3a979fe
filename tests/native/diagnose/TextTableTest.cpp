// The table of distinct texts against a plain list of them, through growth and the rollback's
// truncations inside runs of colliding slots, the wrap at the table's end included; texts of
// every length, longer than a block of characters among them.
#include "diagnose/TextTable.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

TEST(TextTable, NumbersTextsInOrderAndForgetsWhatWasTruncated) {
    std::mt19937 random(7);
    // At most 45 texts in a table of 64 slots: runs form, wrap round its end and break, in other
    // places for each set.
    for (int set = 0; set < 40; ++set) {
        diagnose::TextTable table;
        std::vector<std::wstring> reference;
        for (int step = 0; step < 1000; ++step) {
            if (random() % 3 == 0) {
                const size_t count = random() % (reference.size() + 1);
                table.Truncate(count);
                reference.resize(std::min(count, reference.size()));
            } else {
                const unsigned pick = random() % 45;
                // Some empty, some longer than any block of characters, most of a few characters.
                const size_t padding = set % 8 == 0 && pick == 22 ? 40000 : pick % 5;
                const std::wstring text =
                    pick % 23 == 0
                        ? std::wstring()
                        : std::to_wstring(set) + L"/" + std::to_wstring(pick) + std::wstring(padding, L'.');
                const auto known = std::find(reference.begin(), reference.end(), text);
                const size_t expected = known - reference.begin();
                ASSERT_EQ(table.Intern(text), expected) << "set " << set << ", step " << step;
                if (known == reference.end())
                    reference.push_back(text);
            }
            ASSERT_EQ(table.size(), reference.size()) << "set " << set << ", step " << step;
            for (size_t number = 0; number < reference.size(); ++number) {
                ASSERT_EQ(table.Intern(reference[number]), number) << "set " << set << ", step " << step;
                ASSERT_EQ(table[number], reference[number]) << "set " << set << ", step " << step;
            }
        }
    }
}

// A follower files the provisional last line again at every look: the texts it brings and takes
// back must not pile up.
TEST(TextTable, TextsTakenBackGiveBackTheirRoom) {
    diagnose::TextTable table;
    for (int name = 0; name < 1000; ++name)
        table.Intern(L"PC" + std::to_wstring(name));
    const size_t held = table.MemoryBytes();
    for (int look = 0; look < 100000; ++look) {
        ASSERT_EQ(table.Intern(L"new computer " + std::to_wstring(look % 7)), 1000u);
        table.Truncate(1000);
    }
    EXPECT_EQ(table.MemoryBytes(), held);
    EXPECT_EQ(table[999], L"PC999");
}
