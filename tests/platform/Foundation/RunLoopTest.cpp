#include "Foundation/NSRunLoop.h"
#include "Foundation/NSTimer.h"

#include "support/TemporaryDevice.h"

#include <gtest/gtest.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using namespace std::chrono_literals;

// Long enough for a loaded machine; a passing run returns as soon as the condition holds.
constexpr auto generousDeadline = 10s;

TEST(NSTimer, AOneShotTimerFiresOnceAndEndsInvalid) {
    int fired = 0;
    std::weak_ptr<NSTimer> watched =
        NSTimer::scheduledTimerWithTimeInterval(0.01, false, [&](NSTimer&) { ++fired; });
    EXPECT_FALSE(watched.expired()) << "the run loop keeps a scheduled timer alive";
    EXPECT_TRUE(NSRunLoop::mainRunLoop().runUntil([&] { return fired > 0; }, generousDeadline));
    NSRunLoop::mainRunLoop().runForInterval(30ms);
    EXPECT_EQ(fired, 1);
    EXPECT_TRUE(watched.expired());
}

TEST(NSTimer, ARepeatingTimerRunsUntilItInvalidatesItself) {
    int fired = 0;
    std::weak_ptr<NSTimer> watched =
        NSTimer::scheduledTimerWithTimeInterval(0.002, true, [&](NSTimer& timer) {
            if (++fired == 3)
                timer.invalidate();
        });
    EXPECT_TRUE(NSRunLoop::mainRunLoop().runUntil([&] { return fired >= 3; }, generousDeadline));
    EXPECT_TRUE(watched.expired()) << "the run loop let go of the invalidated timer";
    NSRunLoop::mainRunLoop().runForInterval(20ms);
    EXPECT_EQ(fired, 3);
}

TEST(NSTimer, AnInvalidatedTimerNeverFires) {
    int fired = 0;
    auto timer = NSTimer::scheduledTimerWithTimeInterval(0.005, false, [&](NSTimer&) { ++fired; });
    timer->invalidate();
    EXPECT_FALSE(timer->isValid());
    NSRunLoop::mainRunLoop().runForInterval(30ms);
    EXPECT_EQ(fired, 0);
}

TEST(NSRunLoop, RunReturnsWhenStopped) {
    NSTimer::scheduledTimerWithTimeInterval(0.005, false, [](NSTimer&) { NSRunLoop::mainRunLoop().stop(); });
    auto keepsLoopBusy = NSTimer::scheduledTimerWithTimeInterval(10, false, [](NSTimer&) {});
    const auto start = std::chrono::steady_clock::now();
    NSRunLoop::mainRunLoop().run();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
    keepsLoopBusy->invalidate();
}

TEST(NSRunLoop, AFileWatchNeverKeepsATimedRunWaiting) {
    TemporaryDevice device;
    NotificationCounter watching("com.example.watch");
    for (const auto interval : {0ms, 1ms, 5ms}) {
        const auto start = std::chrono::steady_clock::now();
        NSRunLoop::mainRunLoop().runForInterval(interval);
        EXPECT_LT(std::chrono::steady_clock::now() - start, 1s) << interval.count() << " ms";
    }
}

TEST(NSRunLoop, PendingEventsAreDeliveredWithoutWaiting) {
    TemporaryDevice device;
    NotificationCounter counter("com.example.pending");
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        CFNotificationCenterPostNotification(CFNotificationCenterGetDarwinNotifyCenter(),
                                             "com.example.pending", nullptr, nullptr, true);
        ::_exit(0);
    }
    ASSERT_EQ(::waitpid(child, nullptr, 0), child);
    const auto start = std::chrono::steady_clock::now();
    NSRunLoop::mainRunLoop().runPendingEvents();
    EXPECT_EQ(counter.received, 1);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 1s);
}

} // namespace

namespace {

TEST(NSRunLoop, PerformedBlocksRunInOrderOnLaterTurns) {
    auto& runLoop = NSRunLoop::mainRunLoop();
    std::string calls;
    runLoop.performBlock([&] {
        calls += "a";
        runLoop.performBlock([&] { calls += "c"; });
    });
    runLoop.performBlock([&] { calls += "b"; });
    EXPECT_EQ(calls, "") << "never at once";
    runLoop.runPendingEvents();
    EXPECT_EQ(calls, "ab") << "a block given while blocks run waits for the next turn";
    EXPECT_TRUE(runLoop.runUntil([&] { return calls == "abc"; }, 5s));
}

} // namespace
