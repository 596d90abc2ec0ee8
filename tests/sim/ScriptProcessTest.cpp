#include "support/ChildProcess.h"
#include "support/TemporaryDevice.h"

#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>

// orvane-sim as a person runs it: scripts, profiles and the demo, with its standard error folded into the
// output that the test reads.
namespace {

using namespace std::chrono_literals;

struct Finished {
    int status;
    std::string output;
};

Finished runShell(const std::string& command) {
    ChildProcess process({"/bin/sh", "-c", command + " 2>&1"});
    // Reads to the end of the output: the text never comes.
    process.readUntil("\x04", 120s);
    return {process.wait(), process.output()};
}

std::string sim(const TemporaryDevice& device) {
    return std::string(ORVANE_SIM_PATH) + " --device " + device.root().string();
}

std::filesystem::path writeScript(const TemporaryDevice& device, std::string_view text) {
    const auto file = device.root().parent_path() / (device.root().filename().string() + ".script");
    std::ofstream(file) << text;
    return file;
}

TEST(SimulatorProcess, AScriptRunsLineByLineAndStopsAtTheFirstFailingLine) {
    TemporaryDevice device;
    const auto script = writeScript(device, "install\n# the row\nopen\nopen --width nan\ndescribe\n");
    const auto result = runShell(sim(device) + " script " + script.string());
    std::filesystem::remove(script);
    EXPECT_EQ(result.status, 2);
    EXPECT_NE(result.output.find("Control Center open, 320 wide; section 320 x 46\n"), std::string::npos)
        << result.output;
    EXPECT_NE(result.output.find(script.string() + ":4: open --width nan\nusage: open [--width W]\n"),
              std::string::npos)
        << result.output;
    EXPECT_EQ(result.output.find("UIButton"), std::string::npos) << "describe never ran";
}

TEST(SimulatorProcess, CommandsComeFromStandardInputWithOrWithoutADash) {
    for (const auto* dash : {" -", ""}) {
        TemporaryDevice device;
        const auto script = writeScript(device, "install\nopen --width 300\nclose\n");
        const auto result = runShell(sim(device) + dash + " < " + script.string());
        std::filesystem::remove(script);
        EXPECT_EQ(result.status, 0) << dash << result.output;
        EXPECT_NE(result.output.find("Control Center closed, 300 wide; section 300 x 46\n"),
                  std::string::npos)
            << dash << result.output;
    }
}

TEST(SimulatorProcess, ABadProfileIsReportedAndNothingRuns) {
    TemporaryDevice device;
    const auto profile =
        writeScript(device, xmlPlist("<dict><key>ScreenScale</key><string>2</string></dict>"));
    const auto result = runShell(sim(device) + " --profile " + profile.string() + " install");
    std::filesystem::remove(profile);
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.output,
              "bad device profile: " + profile.string() + ": ScreenScale must be a number from 1 to 3\n");
    EXPECT_FALSE(std::filesystem::exists(device.hostPath("/Library/Caddex")));
}

TEST(SimulatorProcess, AProfileFileChoosesTheDevice) {
    TemporaryDevice device;
    const auto result = runShell(sim(device) + " --profile " ORVANE_PROFILES_DIR "/ipad.plist open");
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.output, "Control Center open, 768 wide; no section (install it first)\n");
}

TEST(SimulatorProcess, ANotificationFromAnotherProcessArrivesWhileTheDeviceWaits) {
    TemporaryDevice device;
    const auto script = writeScript(device, "install\nopen\nwait 3\nclose\nopen\ndescribe\n");
    ChildProcess springBoard(
        {ORVANE_SIM_PATH, "--device", device.root().string(), "script", script.string()});
    ASSERT_TRUE(springBoard.readUntil("section 320 x 46\n", 20s)) << springBoard.output();
    EXPECT_EQ(runShell(sim(device) + " defaults write ICON_SIZE -int 30").status, 0);
    EXPECT_TRUE(springBoard.readUntil("UIButton frame 0 0 52.5 46, alpha 0.7, image 30 x 30\n", 20s))
        << springBoard.output();
    EXPECT_EQ(springBoard.wait(), 0);
    std::filesystem::remove(script);
}

TEST(SimulatorProcess, TheEventLogShowsWhatEveryProcessOnTheDeviceDid) {
    TemporaryDevice device;
    ChildProcess follower(
        {ORVANE_SIM_PATH, "--device", device.root().string(), "events", "--follow", "--seconds", "3"});
    EXPECT_EQ(runShell(sim(device) + " defaults write ICON_SIZE -int 30").status, 0);
    const auto printed = runShell(sim(device) + " events");
    EXPECT_EQ(printed.status, 0);
    const auto written = printed.output.find(
        " plist.written path=/var/mobile/Library/Preferences/com.velquin.orvane.plist keys=1\n");
    const auto posted = printed.output.find(" notify.posted name=com.velquin.orvane.changed\n");
    EXPECT_LT(written, posted) << printed.output;
    EXPECT_NE(posted, std::string::npos) << printed.output;
    EXPECT_EQ(std::count(printed.output.begin(), printed.output.end(), '\n'), 2) << printed.output;
    EXPECT_NE(printed.output.find(" sim["), std::string::npos) << "the process that wrote them";

    EXPECT_TRUE(follower.readUntil("notify.posted name=com.velquin.orvane.changed\n", 20s))
        << follower.output();
    EXPECT_EQ(follower.wait(), 0) << "--seconds ends the follow";
    EXPECT_EQ(runShell(sim(device) + " events --clear").output, "cleared the event log\n");
    EXPECT_EQ(runShell(sim(device) + " events").output, "");
    EXPECT_EQ(runShell(sim(device) + " events --follow --seconds soon").status, 2);
}

TEST(SimulatorProcess, TheDemoWritesAScreenshotAfterEachStep) {
    TemporaryDevice folder;
    const auto pictures = folder.root() / "pictures";
    const auto result = runShell(std::string(ORVANE_SIM_PATH) + " --screenshots " + pictures.string());
    EXPECT_EQ(result.status, 0) << result.output;
    EXPECT_NE(result.output.find("deleted the settings file"), std::string::npos)
        << "the settings walk is kept";
    int screenshots = 0;
    for (const auto& entry : std::filesystem::directory_iterator(pictures))
        screenshots += entry.path().extension() == ".png" && entry.file_size() > 0;
    EXPECT_EQ(screenshots, 16) << result.output;
    EXPECT_NE(result.output.find("springboard.openURL url=https://apps.apple.com/app/wechat/id414478124"),
              std::string::npos)
        << "the taps end with the App Store page in the event log";
}

TEST(SimulatorProcess, OptionsThatDoNotFitAreAUsageError) {
    for (const auto* arguments :
         {" --device", " --profile x.plist", " --device d --screenshots s open", " open"}) {
        const auto result = runShell(std::string(ORVANE_SIM_PATH) + arguments + " < /dev/null");
        EXPECT_EQ(result.status, 2) << arguments;
        EXPECT_EQ(result.output.rfind("usage: orvane-sim", 0), 0u) << arguments;
    }
}

TEST(SimulatorProcess, AFolderAsScriptAndAPipeAsProfileAreRefusedAtOnce) {
    TemporaryDevice device;
    const auto folder = runShell(sim(device) + " script " + device.root().string());
    EXPECT_EQ(folder.status, 1) << folder.output;
    EXPECT_NE(folder.output.find("cannot read the script"), std::string::npos) << folder.output;

    const auto pipe = device.root() / "profile.fifo";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0644), 0);
    const auto profile = runShell(sim(device) + " --profile " + pipe.string() + " describe");
    EXPECT_EQ(profile.status, 1) << profile.output;
    EXPECT_NE(profile.output.find("not a regular file"), std::string::npos) << profile.output;
}

} // namespace
