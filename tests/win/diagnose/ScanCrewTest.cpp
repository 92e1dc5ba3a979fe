// The scan crew on the system's slim locks: every task of every start runs once, and a Wait
// returns only after the last task of its start, and of every start before it, has ended.
#include "diagnose/ScanCrew.h"

#include <gtest/gtest.h>

#include <vector>

TEST(ScanCrew, RunsEveryTaskOnceBeforeTheWaitForItsStartReturns) {
    diagnose::ScanCrew crew(3);
    for (size_t round = 0; round < 1000; ++round) {
        // One to three starts queued before the first is waited for, as a read queues the parts
        // of a batch behind those of the one before.
        const size_t starts = 1 + round % 3;
        std::vector<std::vector<unsigned>> runs(starts); // written by the tasks, read after a Wait
        std::vector<diagnose::ScanCrew::Ticket> tickets;
        for (size_t s = 0; s < starts; ++s) {
            runs[s].resize(1 + (round + s) % 12);
            tickets.push_back(crew.Start(
                [&runs, s](size_t k) {
                    volatile unsigned work = 0;
                    for (unsigned i = 0; i < 200; ++i)
                        work = work + i; // long enough for the threads to meet
                    ++runs[s][k];
                },
                runs[s].size()));
        }
        const size_t waited = round % starts;
        crew.Wait(tickets[waited]);
        for (size_t s = 0; s <= waited; ++s)
            for (size_t k = 0; k < runs[s].size(); ++k)
                ASSERT_EQ(runs[s][k], 1u) << "task " << k << " of start " << s << " of round " << round;
        crew.WaitAll();
        for (size_t s = 0; s < starts; ++s)
            for (size_t k = 0; k < runs[s].size(); ++k)
                ASSERT_EQ(runs[s][k], 1u) << "task " << k << " of start " << s << " of round " << round;
    }
}
