#pragma once

#include "Caddex/CaddexLoader.h"
#include "Foundation/NSNotificationCenter.h"
#include "SpringBoard/SBControlCenterController.h"
#include "SpringBoard/SpringBoardHost.h"
#include "support/TemporaryDevice.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

// A fresh device with fresh SpringBoard objects, a loader on Control Center, and a list of the notifications
// posted on the default center, each with what Control Center looked like at that moment.
class LoaderTest : public ::testing::Test {
  protected:
    LoaderTest() {
        NSNotificationCenter::defaultCenter().addObserver(
            this,
            [this](const NSNotification& notification) { events.push_back(describe(notification.name)); }, "",
            nullptr);
    }
    ~LoaderTest() override {
        NSNotificationCenter::defaultCenter().removeObserver(this);
        loader.reset();
        SpringBoardHost::unregisterClasses();
        SpringBoardHost::reset();
    }

    // Fresh SpringBoard objects, registered, before the loader takes Control Center.
    static std::shared_ptr<SBControlCenterController> freshControlCenter() {
        SpringBoardHost::reset();
        SpringBoardHost::registerClasses();
        return SBControlCenterController::sharedInstance();
    }

    std::string describe(const std::string& name) const {
        const auto container = loader ? loader->containerView() : nullptr;
        std::string line = name + (controlCenter->isVisible() ? " visible" : " hidden");
        if (container)
            line += " " + std::to_string(static_cast<int>(container->frame().size.width)) + "x" +
                    std::to_string(static_cast<int>(container->frame().size.height));
        return line;
    }

    TemporaryDevice device;
    std::shared_ptr<SBControlCenterController> controlCenter = freshControlCenter();
    std::unique_ptr<CaddexLoader> loader = std::make_unique<CaddexLoader>(controlCenter);
    std::vector<std::string> events;
};
