// A worker reads the elements below a count it was handed while the owner goes on appending:
// nothing it reads may move, be freed or change under it.
#include "diagnose/ChunkedArray.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

TEST(ChunkedArrayThreads, ElementsBelowAHandedCountStayWhileTheOwnerAppends) {
    diagnose::ChunkedArray<uint64_t, 4> numbers; // small blocks: the table is replaced often
    diagnose::ChunkedArray<std::wstring, 2> texts;
    std::atomic<size_t> handed{0};
    std::atomic<bool> wrong{false};
    std::thread reader([&] {
        for (size_t seen = 0; seen < 20000;) {
            const size_t count = handed.load(std::memory_order_acquire);
            for (size_t i = seen; i < count; ++i)
                if (numbers[i] != i * 3 || texts[i] != std::to_wstring(i))
                    wrong = true;
            seen = count;
        }
    });
    for (size_t i = 0; i < 20000; ++i) {
        numbers.push_back(i * 3);
        texts.push_back(std::to_wstring(i));
        handed.store(i + 1, std::memory_order_release);
    }
    reader.join();
    EXPECT_FALSE(wrong);
}
