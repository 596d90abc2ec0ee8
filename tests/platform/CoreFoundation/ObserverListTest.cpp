#include "CoreFoundation/ObserverList.h"
#include "Foundation/NSNotificationCenter.h"

#include <gtest/gtest.h>
#include <memory>
#include <string>

namespace {

struct Registration {
    int key;
    std::function<void()> action;
};

const auto any = [](const Registration&) { return true; };
const auto run = [](const Registration& entry) { entry.action(); };

TEST(ObserverList, ARegistrationMayRemoveItselfAndOthersWhileItRuns) {
    ObserverList<Registration> list;
    std::string calls;
    // The capture is released with the registration: touching it after removal must still be safe.
    const auto label = std::make_shared<std::string>("a");
    list.add({1, [&, label] {
                  list.removeIf([](const Registration& entry) { return entry.key <= 2; });
                  calls += *label;
              }});
    list.add({2, [&] { calls += "b"; }});
    list.add({3, [&] {
                  calls += "c";
                  list.add({4, [&] { calls += "d"; }});
              }});
    list.notify(any, run);
    EXPECT_EQ(calls, "ac") << "removed before its turn, b is skipped; d joins after this dispatch";
    calls.clear();
    list.notify(any, run);
    EXPECT_EQ(calls, "cd");
    EXPECT_EQ(list.count([](const Registration& entry) { return entry.key == 4; }), 2u);
}

// An object that observes while it lives, as a section does.
class Listener {
  public:
    Listener(std::string name, std::string& calls) : _name(std::move(name)) {
        NSNotificationCenter::defaultCenter().addObserver(
            this, [this, &calls](const NSNotification&) { calls += _name; }, "Tick", nullptr);
    }
    ~Listener() { NSNotificationCenter::defaultCenter().removeObserver(this); }

  private:
    std::string _name;
};

TEST(ObserverList, AnObserverDestroyedDuringAPostIsNotCalled) {
    auto& center = NSNotificationCenter::defaultCenter();
    std::string calls;
    std::unique_ptr<Listener> doomed;
    center.addObserver(
        &calls, [&](const NSNotification&) { doomed.reset(); }, "Tick", nullptr);
    // Registered after the registration that destroys it: reaching it would be a call into freed memory.
    doomed = std::make_unique<Listener>("doomed", calls);
    const Listener survivor("survivor", calls);
    center.postNotificationName("Tick", nullptr);
    center.removeObserver(&calls);
    EXPECT_EQ(doomed, nullptr);
    EXPECT_EQ(calls, "survivor");
}

} // namespace
