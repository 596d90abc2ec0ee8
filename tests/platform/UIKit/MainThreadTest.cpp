#include "CoreFoundation/MainThread.h"
#include "CoreFoundation/CFNotificationCenter.h"
#include "Foundation/NSNotificationCenter.h"
#include "Foundation/NSRunLoop.h"
#include "UIKit/UIViewController.h"

#include <gtest/gtest.h>
#include <thread>

namespace {

template <typename Work> void onAnotherThread(Work work) {
    std::thread(work).join();
}

TEST(MainThread, IsTheThreadThatStartedTheProcess) {
    EXPECT_TRUE(isMainThread());
    bool elsewhere = true;
    onAnotherThread([&] { elsewhere = isMainThread(); });
    EXPECT_FALSE(elsewhere);
}

TEST(MainThreadDeathTest, ObserversPostsPresentationDrawingAndTheRunLoopAbortOffTheMainThread) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    auto& center = NSNotificationCenter::defaultCenter();
    EXPECT_DEATH(onAnotherThread([&] {
                     center.addObserver(
                         &center, [](const NSNotification&) {}, "A", nullptr);
                 }),
                 "adding an observer off the main thread");
    EXPECT_DEATH(onAnotherThread([&] { center.postNotificationName("A", nullptr); }),
                 "posting to observers off the main thread");
    EXPECT_DEATH(onAnotherThread([] {
                     CFNotificationCenterPostNotification(CFNotificationCenterGetDarwinNotifyCenter(), "A",
                                                          nullptr, nullptr, true);
                 }),
                 "posting a Darwin notification off the main thread");
    EXPECT_DEATH(onAnotherThread([] { UIView::make(CGRectMake(0, 0, 1, 1))->drawViewHierarchyInRect({}); }),
                 "drawing a view hierarchy off the main thread");
    const auto root = UIViewController::make();
    EXPECT_DEATH(
        onAnotherThread([&] { root->presentViewController(UIViewController::make(), true, nullptr); }),
        "presenting a view controller off the main thread");
    EXPECT_DEATH(onAnotherThread([&] { root->dismissViewControllerAnimated(true, nullptr); }),
                 "dismissing a view controller off the main thread");
    EXPECT_DEATH(onAnotherThread([] { NSRunLoop::mainRunLoop().performBlock([] {}); }),
                 "performing a block on the main run loop off the main thread");
}

} // namespace
