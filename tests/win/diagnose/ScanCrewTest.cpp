// The scan crew on the system's slim locks: every task of every start runs once, and Wait returns
// only after the last of them has ended.
#include "diagnose/ScanCrew.h"

#include <gtest/gtest.h>

#include <vector>

TEST(ScanCrew, RunsEveryTaskOnceBeforeWaitReturns) {
    diagnose::ScanCrew crew(3);
    for (size_t round = 0; round < 2000; ++round) {
        const size_t count = 1 + round % 12;
        std::vector<unsigned> runs(count); // written by the tasks, read once Wait returned
        crew.Start(
            [&runs](size_t k) {
                volatile unsigned work = 0;
                for (unsigned i = 0; i < 200; ++i)
                    work = work + i; // long enough for the threads to meet
                ++runs[k];
            },
            count);
        crew.Wait();
        for (size_t k = 0; k < count; ++k)
            ASSERT_EQ(runs[k], 1u) << "task " << k << " of round " << round;
    }
}
