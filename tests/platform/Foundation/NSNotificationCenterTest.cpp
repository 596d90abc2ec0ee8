#include "Foundation/NSNotificationCenter.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

TEST(NSNotificationCenter, DeliversByNameAndSender) {
    auto& center = NSNotificationCenter::defaultCenter();
    int sender = 0;
    int otherSender = 0;
    std::vector<std::string> heard;
    int anyName = 0;
    center.addObserver(
        &heard, [&](const NSNotification& note) { heard.push_back(note.name); }, "Appear", nullptr);
    center.addObserver(
        &anyName, [&](const NSNotification&) { ++anyName; }, "", &sender);

    center.postNotificationName("Appear", &otherSender);
    center.postNotificationName("Disappear", &sender);
    center.postNotificationName("Disappear", nullptr);
    EXPECT_EQ(heard, std::vector<std::string>{"Appear"});
    EXPECT_EQ(anyName, 1);

    center.removeObserver(&heard);
    center.removeObserver(&anyName);
    center.postNotificationName("Appear", &sender);
    EXPECT_EQ(heard.size(), 1u);
    EXPECT_EQ(anyName, 1);
}

TEST(NSNotificationCenter, ObserversRemovedDuringAPostAreNotCalled) {
    auto& center = NSNotificationCenter::defaultCenter();
    int first = 0;
    int second = 0;
    center.addObserver(
        &first,
        [&](const NSNotification&) {
            ++first;
            center.removeObserver(&second);
        },
        "Ping", nullptr);
    center.addObserver(
        &second, [&](const NSNotification&) { ++second; }, "Ping", nullptr);
    center.postNotificationName("Ping", nullptr);
    center.removeObserver(&first);
    EXPECT_EQ(first, 1);
    EXPECT_EQ(second, 0);
}

} // namespace
