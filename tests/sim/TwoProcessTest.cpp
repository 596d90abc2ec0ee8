#include "sim/ChildProcess.h"
#include "support/TemporaryDevice.h"

#include <gtest/gtest.h>

namespace {

using namespace std::chrono_literals;

int runSim(const TemporaryDevice& device, std::vector<std::string> command) {
    std::vector<std::string> arguments = {ORVANE_SIM_PATH, "--device", device.root().string()};
    arguments.insert(arguments.end(), command.begin(), command.end());
    ChildProcess process(arguments);
    return process.wait();
}

TEST(TwoProcesses, AWatcherSeesEachChangeAnotherProcessWrites) {
    TemporaryDevice device;
    ChildProcess watcher({ORVANE_SIM_PATH, "--device", device.root().string(), "watch", "--notifications",
                          "2", "--seconds", "30"});
    ASSERT_TRUE(watcher.started());
    ASSERT_TRUE(watcher.readUntil("enabledCount 6, layoutDirty yes, iconsCurrent no\n", 10s))
        << watcher.output();

    ASSERT_EQ(runSim(device, {"defaults", "write", "ICON_SIZE", "-int", "30"}), 0);
    ASSERT_TRUE(watcher.readUntil("after notification 1:", 5s)) << watcher.output();
    ASSERT_TRUE(watcher.readUntil("iconsCurrent no\n", 5s, watcher.output().find("after notification 1:")));
    const auto first = watcher.output().substr(watcher.output().find("after notification 1:"));
    EXPECT_NE(first.find("iconSize 30"), std::string::npos) << first;
    EXPECT_NE(first.find("enabledCount 6, layoutDirty yes, iconsCurrent no"), std::string::npos) << first;

    ASSERT_EQ(runSim(device, {"defaults", "write", "BACKGROUND_RED", "-real", "0.5"}), 0);
    ASSERT_TRUE(watcher.readUntil("after notification 2:", 5s)) << watcher.output();
    EXPECT_EQ(watcher.wait(), 0) << "the watcher stops after the notifications it was asked to wait for";
    const auto second = watcher.output().substr(watcher.output().find("after notification 2:"));
    EXPECT_NE(second.find("background 0.5 0 0 alpha 0"), std::string::npos) << second;
    EXPECT_NE(second.find("layoutDirty no, iconsCurrent yes"), std::string::npos)
        << "a colour raises no flag";
}

TEST(TwoProcesses, AResetThatDeletesNothingPostsNothing) {
    TemporaryDevice device;
    ChildProcess watcher({ORVANE_SIM_PATH, "--device", device.root().string(), "watch", "--seconds", "1"});
    ASSERT_TRUE(watcher.readUntil("settings in force at start:", 10s));
    ASSERT_EQ(runSim(device, {"defaults", "reset"}), 0);
    EXPECT_EQ(watcher.wait(), 0);
    EXPECT_EQ(watcher.output().find("after notification"), std::string::npos) << watcher.output();
}

} // namespace
