#include <gtest/gtest.h>

#include <thread>

#include "platform/MainQueue.h"

TEST(MainQueue, WorkFromAnotherThreadRunsOnTheMainThreadAndWaits) {
    platform::markMainThread();
    bool ranOnMain = false;
    bool done = false;
    std::thread worker([&] {
        platform::performOnMainThread([&] { ranOnMain = platform::isMainThread(); }, true);
        done = true;  // only after the main thread ran it
    });
    for (int i = 0; i < 1000 && !done; ++i) {
        platform::drainMainQueue(0);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    worker.join();
    EXPECT_TRUE(ranOnMain);
    EXPECT_TRUE(done);
}

TEST(MainQueue, WaitingOnTheMainThreadRunsAtOnce) {
    platform::markMainThread();
    int runs = 0;
    platform::performOnMainThread([&] { ++runs; }, true);
    EXPECT_EQ(runs, 1);
    platform::performOnMainThread([&] { ++runs; }, false);
    EXPECT_EQ(runs, 1);
    platform::drainMainQueue(0);
    EXPECT_EQ(runs, 2);
}

TEST(MainQueue, DelayedCallsRunOnceDueAndNeverInTheirOwnTurn) {
    platform::markMainThread();
    platform::drainMainQueue(10.0);
    std::vector<int> order;
    platform::performAfterDelay(1.0, [&] { order.push_back(1); });
    platform::performAfterDelay(0.0, [&] {
        order.push_back(0);
        platform::performAfterDelay(0.0, [&] { order.push_back(2); });
    });
    platform::drainMainQueue(10.5);
    EXPECT_EQ(order, (std::vector<int>{0}));
    platform::drainMainQueue(11.0);
    EXPECT_EQ(order, (std::vector<int>{0, 1, 2}));
}
