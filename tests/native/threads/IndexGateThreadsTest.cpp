// The index's gate as the viewer's thread takes it back after a loop of ours that opened it.
#include "viewer/reading/IndexGate.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

using viewer::IndexGate;

namespace {

// A loop of ours that closes says it waits, as a message does: the reading thread, which asks
// the gate between its steps, lets the viewer's thread in rather than step on.
TEST(IndexGate, ALoopThatClosesIsLetInBeforeTheReadingThreadsNextStep) {
    IndexGate gate;
    std::atomic<bool> stepping{false}, letIn{false};
    std::thread reading;
    gate.Lock(); // the message that runs the loop
    {
        viewer::OpenGate loop(gate);
        reading = std::thread([&] {
            const diagnose::GatedStep step(&gate);
            stepping = true;
            for (auto end = std::chrono::steady_clock::now() + std::chrono::seconds(3);
                 !letIn && std::chrono::steady_clock::now() < end;)
                letIn = gate.Busy(); // the viewer's thread waits: a load scans on, a search yields
        });
        while (!stepping)
            std::this_thread::yield();
    }
    reading.join();
    gate.Unlock();
    EXPECT_TRUE(letIn);
}

} // namespace
