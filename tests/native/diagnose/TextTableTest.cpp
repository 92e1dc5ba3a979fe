// The table of distinct texts against a plain list of them, through growth and the rollback's
// truncations inside runs of colliding slots, the wrap at the table's end included.
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
                const std::wstring text = std::to_wstring(set) + L"/" + std::to_wstring(random() % 45);
                const auto known = std::find(reference.begin(), reference.end(), text);
                const size_t expected = known - reference.begin();
                ASSERT_EQ(table.Intern(text), expected) << "set " << set << ", step " << step;
                if (known == reference.end())
                    reference.push_back(text);
            }
            ASSERT_EQ(table.size(), reference.size()) << "set " << set << ", step " << step;
            for (size_t number = 0; number < reference.size(); ++number)
                ASSERT_EQ(table.Intern(reference[number]), number) << "set " << set << ", step " << step;
        }
    }
}
