#include "CoreFoundation/CFNotificationCenter.h"
#include "Device/DeviceHost.h"
#include "Foundation/NSRunLoop.h"
#include "support/TemporaryDevice.h"

#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>
#include <set>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

using namespace std::chrono_literals;

// Long enough for a loaded machine; a passing run returns as soon as the condition holds.
constexpr auto generousDeadline = 10s;

constexpr std::string_view name = "com.velquin.orvane.changed";

void post(std::string_view which = name) {
    CFNotificationCenterPostNotification(CFNotificationCenterGetDarwinNotifyCenter(), which, nullptr, nullptr,
                                         true);
}

// Runs `work` in a child process and waits for it to end; a child that hangs fails the test instead of
// stalling it.
template <typename Work> void inAnotherProcess(Work work) {
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        work();
        ::_exit(0);
    }
    int status = 0;
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (::waitpid(child, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            ::kill(child, SIGKILL);
            ::waitpid(child, &status, 0);
            FAIL() << "the posting process hung";
        }
        std::this_thread::sleep_for(1ms);
    }
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

TEST(DarwinNotifyCenter, APostInThisProcessArrivesOnceAndAtOnce) {
    TemporaryDevice device;
    NotificationCounter counter(name);
    NotificationCounter other("com.example.other");
    post();
    EXPECT_EQ(counter.received, 1);
    NSRunLoop::mainRunLoop().runForInterval(50ms);
    EXPECT_EQ(counter.received, 1) << "the process's own post came back through the file system";
    EXPECT_EQ(other.received, 0);
}

TEST(DarwinNotifyCenter, APostInAnotherProcessArrivesWithinABoundedWait) {
    TemporaryDevice device;
    NotificationCounter counter(name);
    inAnotherProcess([] { post(); });
    EXPECT_TRUE(NSRunLoop::mainRunLoop().runUntil([&] { return counter.received > 0; }, generousDeadline));
    NSRunLoop::mainRunLoop().runForInterval(50ms);
    EXPECT_EQ(counter.received, 1) << "one post, one delivery";
}

TEST(DarwinNotifyCenter, ABurstOfPostsIsCoalescedIntoOneDelivery) {
    TemporaryDevice device;
    NotificationCounter counter(name);
    inAnotherProcess([] {
        for (int count = 0; count < 20; ++count)
            post();
    });
    EXPECT_TRUE(NSRunLoop::mainRunLoop().runUntil([&] { return counter.received > 0; }, generousDeadline));
    NSRunLoop::mainRunLoop().runForInterval(50ms);
    EXPECT_EQ(counter.received, 1);
}

TEST(DarwinNotifyCenter, TheRunFolderHoldsOneFilePerNameHoweverManyProcessesPost) {
    TemporaryDevice device;
    NotificationCounter counter(name);
    for (int process = 0; process < 5; ++process)
        inAnotherProcess([] {
            post();
            post("com.example.other");
        });
    EXPECT_TRUE(NSRunLoop::mainRunLoop().runUntil([&] { return counter.received > 0; }, 2s));
    std::set<std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(device.hostPath("/var/run/notifyd")))
        files.insert(entry.path().filename().string());
    EXPECT_EQ(files, (std::set<std::string>{std::string(name), "com.example.other"}));
}

TEST(DarwinNotifyCenter, OnlyTheSameDeviceHearsAPost) {
    TemporaryDevice device;
    TemporaryDevice elsewhere; // the child posts on this one
    DeviceHost::setRoot(device.root());
    NotificationCounter counter(name);
    NotificationCounter marker("com.example.marker");
    inAnotherProcess([&] {
        DeviceHost::setRoot(elsewhere.root());
        post();
        DeviceHost::setRoot(device.root());
        post("com.example.marker");
    });
    // The marker, posted after the other device's post, shows that what came in has been delivered.
    EXPECT_TRUE(NSRunLoop::mainRunLoop().runUntil([&] { return marker.received > 0; }, generousDeadline));
    EXPECT_EQ(counter.received, 0);
}

struct SelfRemover {
    int calls = 0;
    static void callback(CFNotificationCenterRef center, void* observer, CFStringRef, const void*,
                         CFDictionaryRef) {
        auto& self = *static_cast<SelfRemover*>(observer);
        ++self.calls;
        CFNotificationCenterRemoveEveryObserver(center, observer);
    }
};

TEST(DarwinNotifyCenter, AnObserverMayLeaveWhileItIsCalled) {
    TemporaryDevice device;
    SelfRemover first;
    SelfRemover second;
    auto* center = CFNotificationCenterGetDarwinNotifyCenter();
    CFNotificationCenterAddObserver(center, &first, SelfRemover::callback, name, nullptr,
                                    CFNotificationSuspensionBehaviorCoalesce);
    CFNotificationCenterAddObserver(center, &second, SelfRemover::callback, name, nullptr,
                                    CFNotificationSuspensionBehaviorCoalesce);
    post();
    post();
    EXPECT_EQ(first.calls, 1);
    EXPECT_EQ(second.calls, 1);
}

TEST(DarwinNotifyCenter, ARemovedObserverHearsNothingMore) {
    TemporaryDevice device;
    int received = 0;
    {
        NotificationCounter counter(name);
        post();
        received = counter.received;
    }
    NotificationCounter later(name);
    inAnotherProcess([] { post(); });
    EXPECT_TRUE(NSRunLoop::mainRunLoop().runUntil([&] { return later.received > 0; }, generousDeadline));
    EXPECT_EQ(received, 1);
}

} // namespace
