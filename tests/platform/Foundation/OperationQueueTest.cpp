#include "Foundation/NSOperationQueue.h"
#include "Foundation/NSRunLoop.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

using namespace std::chrono_literals;

TEST(NSOperationQueue, BlocksFromOtherThreadsRunOnTheMainThreadInOrder) {
    auto& queue = NSOperationQueue::mainQueue();
    const auto mainThread = std::this_thread::get_id();
    std::vector<int> ran;
    bool allOnMain = true;
    std::thread worker([&] {
        for (int i = 0; i < 100; ++i)
            queue.addOperationWithBlock([&, i] {
                allOnMain &= std::this_thread::get_id() == mainThread;
                ran.push_back(i);
            });
    });
    worker.join();
    EXPECT_TRUE(ran.empty()) << "blocks wait for the loop";
    EXPECT_TRUE(NSRunLoop::mainRunLoop().runUntil([&] { return ran.size() == 100; }, 10s));
    EXPECT_TRUE(allOnMain);
    for (int i = 0; i < 100; ++i)
        EXPECT_EQ(ran[i], i);
    EXPECT_EQ(queue.operationCount(), 0u);
}
