#include "sim/ChildProcess.h"
#include "sim/ControlSocket.h"
#include "support/TemporaryDevice.h"

#include <csignal>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <nlohmann/json.hpp>
#include <regex>
#include <sys/socket.h>
#include <thread>

// The booted device as people use it: separate orvane-sim invocations against one device that stays on.
namespace {

using namespace std::chrono_literals;

bool has(const std::string& text, std::string_view part) {
    return text.find(part) != std::string::npos;
}

Finished runShell(const std::string& command) {
    ChildProcess process({"/bin/sh", "-c", command + " 2>&1"});
    process.readUntil("\x04", 120s);
    return {process.wait(), process.output()};
}

// Whether the process is gone (a zombie counts: it runs no more).
bool ended(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text(std::istreambuf_iterator<char>(stat), {});
    const auto state = text.rfind(')');
    return text.empty() || (state != std::string::npos && text.substr(state + 2, 1) == "Z");
}

bool endsWithin(pid_t pid, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!ended(pid) && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(10ms);
    return ended(pid);
}

class BootedDeviceTest : public ::testing::Test {
  protected:
    // Booted with a lease on this test program, so that a test that aborts leaves nothing running.
    void SetUp() override {
        ChildProcess booting({ORVANE_SIM_PATH, "--device", device.root().string(), "boot", "--lease"});
        booting.readUntil("\x04", 120s);
        ASSERT_EQ(booting.wait(), 0) << booting.output();
        ASSERT_TRUE(has(booting.output(), "booted the device at ")) << booting.output();
    }
    void TearDown() override { sim("shutdown"); }

    Finished sim(const std::string& words) {
        return runShell(std::string(ORVANE_SIM_PATH) + " --device " + device.root().string() + " " + words);
    }
    std::string ok(const std::string& words) {
        const auto result = sim(words);
        EXPECT_EQ(result.status, 0) << words << ": " << result.output;
        return result.output;
    }
    // The pid `status` gives for a role.
    pid_t pidOf(std::string_view role) {
        const auto report = sim("status").output;
        std::smatch found;
        const std::regex line(std::string(role) + " pid ([0-9]+)");
        return std::regex_search(report, found, line) ? std::stoi(found[1]) : -1;
    }
    std::filesystem::path runFolder() const { return ControlSocket::runFolder(device.root()); }

    TemporaryDevice device;
};

TEST_F(BootedDeviceTest, TheWeChatPromptIsSeenAndAnsweredFromOtherInvocationsAndShutdownLeavesNothing) {
    ok("install");
    ok("defaults write FUNCTION_1 APP-WeChat");
    EXPECT_TRUE(has(ok("open"), "Control Center open"));
    EXPECT_EQ(ok("tap 1"), "tapped button 1\n");
    EXPECT_TRUE(has(ok("alert"), "message: \"Open App Store to download \\\"WeChat\\\"?\"\n"));
    EXPECT_EQ(ok("choose OK"), "chose \"OK\"\n");
    const auto events = ok("events");
    EXPECT_TRUE(has(events, "springboard.openURL url=https://apps.apple.com/app/wechat/id414478124"))
        << events;
    EXPECT_TRUE(std::regex_search(events, std::regex(" SpringBoard\\[[0-9]+\\] springboard.openURL ")))
        << events;
    EXPECT_TRUE(
        std::regex_search(events, std::regex(" supervisor\\[[0-9]+\\] device.respring reason=install")))
        << events;

    const pid_t pids[] = {pidOf("supervisor"), pidOf("SpringBoard"), pidOf("Preferences")};
    const auto down = sim("shutdown");
    EXPECT_EQ(down.status, 0) << down.output;
    for (const pid_t pid : pids) {
        ASSERT_GT(pid, 0);
        EXPECT_TRUE(endsWithin(pid, 5s)) << pid;
    }
    EXPECT_TRUE(has(ok("events"), "controlcenter.closed")) << "Control Center closes as the device ends";
    EXPECT_TRUE(std::filesystem::is_empty(runFolder())) << "no socket or lock is left";
    const auto off = sim("status");
    EXPECT_EQ(off.status, 3);
    EXPECT_EQ(off.output, "the device at " + device.root().string() + " is off\n");
}

TEST_F(BootedDeviceTest, ANewLanguageRespringsAndTheNextAppearanceSpeaksIt) {
    ok("install");
    ok("defaults write FUNCTION_1 APP-WeChat");
    const pid_t springBoard = pidOf("SpringBoard");
    const auto changed = ok("language zh-Hans");
    EXPECT_TRUE(has(changed, "respring: SpringBoard and Preferences started again\n")) << changed;
    EXPECT_NE(pidOf("SpringBoard"), springBoard) << "a loaded table is never read again in place";
    EXPECT_TRUE(std::regex_search(ok("events"),
                                  std::regex(" supervisor\\[[0-9]+\\] device.respring reason=language")));
    ok("open");
    ok("tap 1");
    const auto prompt = ok("alert");
    EXPECT_TRUE(has(prompt, "打开 App Store 下载“微信”？")) << prompt;
    EXPECT_EQ(ok("defaults read FUNCTION_1"), "FUNCTION_1 = \"APP-WeChat\"\n")
        << "the settings keep the English ids";
}

TEST_F(BootedDeviceTest, RemovingThePackageEndsWithARespringAsInstallingDoes) {
    ok("install");
    EXPECT_TRUE(has(ok("remove com.velquin.orvane"), "respring: SpringBoard and Preferences started again"));
    EXPECT_TRUE(
        std::regex_search(ok("events"), std::regex(" supervisor\\[[0-9]+\\] device.respring reason=remove")));
    EXPECT_TRUE(has(ok("open"), "no section (install it first)"));
}

TEST_F(BootedDeviceTest, TheLockAndTheOrientationHoldBetweenCommands) {
    ok("install");
    EXPECT_EQ(ok("lock"), "device locked\n");
    EXPECT_TRUE(has(ok("open"), ", hidden")) << "the section hides on a locked device";
    ok("close");
    ok("unlock");
    ok("defaults write FUNCTION_1 SYS-Photo");
    ok("defaults write DEFAULT_ACTION_SYS-Photo Scan");
    ok("open");
    ok("orientation 3");
    ok("tap 1");
    EXPECT_TRUE(has(ok("alert"), "Landscape mode is currently not supported.")) << sim("alert").output;
}

TEST_F(BootedDeviceTest, ScriptsAndStandardInputDriveTheBootedDeviceAndEventsFollowIt) {
    const auto script = device.root().parent_path() / (device.root().filename().string() + ".script");
    std::ofstream(script) << "install\ndefaults write FUNCTION_1 APP-WeChat\nopen\n";
    const auto ran = sim("script " + script.string());
    std::filesystem::remove(script);
    EXPECT_EQ(ran.status, 0) << ran.output;
    EXPECT_TRUE(has(ran.output, "respring: SpringBoard and Preferences started again\n")) << ran.output;
    EXPECT_EQ(runShell("printf 'tap 1\\n' | " + std::string(ORVANE_SIM_PATH) + " --device " +
                       device.root().string() + " -")
                  .status,
              0);
    EXPECT_TRUE(has(ok("alert"), "Open App Store to download")) << "the script's Control Center stayed open";
    const auto followed = sim("events --follow --seconds 1");
    EXPECT_EQ(followed.status, 0) << followed.output;
    EXPECT_TRUE(std::regex_search(followed.output, std::regex(" SpringBoard\\[[0-9]+\\] uikit.presented ")))
        << followed.output;
}

TEST_F(BootedDeviceTest, BootAgainChangesNothingAndStatusNamesEveryProcess) {
    const pid_t springBoard = pidOf("SpringBoard");
    EXPECT_EQ(ok("boot"), "the device at " + device.root().string() + " is already booted\n");
    EXPECT_EQ(pidOf("SpringBoard"), springBoard);
    const auto report = ok("status");
    EXPECT_TRUE(has(report, "control socket " + ControlSocket::controlPath(device.root()).string() + "\n"));
    for (const auto* role : {"supervisor pid ", "SpringBoard pid ", "Preferences pid "})
        EXPECT_TRUE(has(report, role)) << report;
    EXPECT_TRUE(has(report, ", leased to pid " + std::to_string(::getpid()))) << report;
    const auto json = nlohmann::json::parse(ok("status --json"));
    EXPECT_EQ(json["booted"], true);
    EXPECT_EQ(json["controlSocket"], ControlSocket::controlPath(device.root()).string());
    ASSERT_EQ(json["processes"].size(), 3u) << json.dump(2);
    EXPECT_EQ(json["processes"][0]["leasedTo"], ::getpid());
    EXPECT_EQ(json["processes"][1]["role"], "SpringBoard");
    EXPECT_EQ(json["processes"][1]["pid"], springBoard);
    EXPECT_EQ(json["processes"][2]["running"], true);
}

TEST_F(BootedDeviceTest, AKilledSpringBoardIsReportedAndBootBringsItBackWithTheSettings) {
    ok("defaults write FUNCTION_1 SYS-Photo");
    ok("clock 2015-06-01 08:30:00");
    const pid_t springBoard = pidOf("SpringBoard");
    ASSERT_GT(springBoard, 0);
    ASSERT_EQ(::kill(springBoard, SIGKILL), 0);
    ASSERT_TRUE(endsWithin(springBoard, 5s));
    std::this_thread::sleep_for(300ms);
    const auto report = sim("status");
    EXPECT_EQ(report.status, 1);
    EXPECT_TRUE(has(report.output, "SpringBoard pid " + std::to_string(springBoard) +
                                       " not running: it was killed by signal 9 (Killed)"))
        << report.output;
    const auto refused = sim("open");
    EXPECT_EQ(refused.status, 1);
    EXPECT_TRUE(has(refused.output, "SpringBoard is not running: it was killed by signal 9"))
        << refused.output;
    EXPECT_TRUE(has(ok("settings open"), "Settings")) << "the Settings application runs on";

    EXPECT_TRUE(has(ok("boot"), "SpringBoard started again, pid "));
    EXPECT_NE(pidOf("SpringBoard"), springBoard);
    EXPECT_TRUE(has(ok("open"), "Control Center open"));
    EXPECT_TRUE(has(ok("defaults read FUNCTION_1"), "SYS-Photo"));
    EXPECT_EQ(ok("clock"), "device clock 2015-06-01 08:30:00\n") << "the device's clock is the device's";
    EXPECT_EQ(sim("status").status, 0);
}

TEST_F(BootedDeviceTest, ScreenshotsDrawWhatIsInFront) {
    ok("install");
    const auto file = device.root().parent_path() / (device.root().filename().string() + ".png");
    ok("settings open");
    const auto settings = ok("screenshot " + file.string());
    ok("open");
    const auto section = ok("screenshot " + file.string());
    std::filesystem::remove(file);
    EXPECT_EQ(section, "wrote " + file.string() + ", 640 x 124 pixels\n");
    EXPECT_TRUE(has(settings, "wrote " + file.string())) << settings;
    EXPECT_NE(settings, section) << "the Settings application was in front";
}

TEST_F(BootedDeviceTest, TwoClientsAtOnceEachGetTheirOwnAnswers) {
    ok("install");
    const auto control = ControlSocket::controlPath(device.root());
    const auto client = [&control](int first, std::vector<std::string>& problems) {
        for (int at = 0; at < 1000; ++at) {
            const auto width = std::to_string(first + at % 100);
            std::string error;
            const auto answer = ControlSocket::exchange(control, {"/", {"width", width}}, error);
            if (!answer || answer->status != 0 || !has(answer->out, ", " + width + " wide;"))
                problems.push_back(width + ": " + (answer ? answer->out + answer->errors : error));
        }
    };
    std::vector<std::string> first, second;
    std::thread one(client, 200, std::ref(first));
    std::thread two(client, 400, std::ref(second));
    one.join();
    two.join();
    EXPECT_TRUE(first.empty()) << first.size() << " wrong, the first " << first.front();
    EXPECT_TRUE(second.empty()) << second.size() << " wrong, the first " << second.front();
}

TEST_F(BootedDeviceTest, BadRequestsFailForTheirClientAndTheDeviceKeepsRunning) {
    const auto control = ControlSocket::controlPath(device.root());
    for (const std::string& bytes : {std::string("garbage\n"), std::string(6 << 20, 'x')}) {
        std::string error;
        auto connection = ControlSocket::connectTo(control, error);
        ASSERT_TRUE(connection) << error;
        ::send(connection->get(), bytes.data(), bytes.size(), MSG_NOSIGNAL);
        const auto answer = ControlSocket::readAnswer(connection->get(), error);
        ASSERT_TRUE(answer) << error;
        EXPECT_EQ(answer->status, 2);
        EXPECT_TRUE(has(answer->errors, "longer than")) << answer->errors;
    }
    const auto unknown = sim("jump");
    EXPECT_EQ(unknown.status, 2);
    EXPECT_TRUE(has(unknown.output, "unknown command jump")) << unknown.output;
    const auto outside = sim("defaults write FUNCTION_1");
    EXPECT_EQ(outside.status, 2) << outside.output;
    EXPECT_TRUE(has(ok("describe"), "Control Center closed"));
    EXPECT_EQ(sim("status").status, 0);
}

TEST_F(BootedDeviceTest, AClientThatLeavesMidRequestOrMidCommandLeavesTheDeviceConsistent) {
    ok("install");
    ok("defaults write FUNCTION_1 APP-WeChat");
    const auto control = ControlSocket::controlPath(device.root());
    std::string error;
    {
        // Half a request: the frame announces more than ever comes.
        auto connection = ControlSocket::connectTo(control, error);
        ASSERT_TRUE(connection) << error;
        const std::string half("\0\0\0\x40/\0op", 8);
        ::send(connection->get(), half.data(), half.size(), MSG_NOSIGNAL);
    }
    for (const auto& command : {std::vector<std::string>{"open"}, {"tap", "1"}}) {
        // A whole request whose client is gone before the answer comes.
        auto connection = ControlSocket::connectTo(control, error);
        ASSERT_TRUE(connection) << error;
        ASSERT_TRUE(ControlSocket::writeRequest(connection->get(), {"/", command}));
    }
    // Requests are served in turn, so this one comes after both: each ran whole, once.
    EXPECT_TRUE(has(ok("alert"), "Open App Store to download \\\"WeChat\\\"?")) << sim("alert").output;
    const auto events = ok("events");
    const std::regex opened("controlcenter\\.opened");
    EXPECT_EQ(
        std::distance(std::sregex_iterator(events.begin(), events.end(), opened), std::sregex_iterator()), 1)
        << events;
    EXPECT_EQ(ok("choose OK"), "chose \"OK\"\n");
    EXPECT_EQ(sim("status").status, 0);
}

TEST_F(BootedDeviceTest, WaitingInOneTerminalHoldsNoOtherClientUp) {
    ok("install");
    const auto started = std::chrono::steady_clock::now();
    ChildProcess waiting({ORVANE_SIM_PATH, "--device", device.root().string(), "wait", "20"});
    ASSERT_TRUE(waiting.started());
    EXPECT_TRUE(has(ok("open"), "Control Center open"));
    EXPECT_TRUE(has(ok("describe"), "Control Center open"));
    EXPECT_LT(std::chrono::steady_clock::now() - started, 15s) << "the other client waited for the wait";
    EXPECT_FALSE(ended(waiting.pid())) << "time passes for the one who waits";
    ::kill(waiting.pid(), SIGTERM);
    // Time does not pass inside the device's processes, which must go on serving.
    std::string error;
    const auto refused =
        ControlSocket::exchange(ControlSocket::controlPath(device.root()), {"/", {"wait", "5"}}, error);
    ASSERT_TRUE(refused) << error;
    EXPECT_EQ(refused->status, 2);
    EXPECT_EQ(refused->errors, "wait runs in the invoking process only\n");
}

TEST_F(BootedDeviceTest, AClientThatSendsNothingHoldsNoOtherClientUp) {
    std::string error;
    auto idle = ControlSocket::connectTo(ControlSocket::controlPath(device.root()), error);
    ASSERT_TRUE(idle) << error;
    ::send(idle->get(), "\0\0", 2, MSG_NOSIGNAL);
    EXPECT_TRUE(has(ok("describe"), "Control Center closed"));
    // Served while the idle client is still given its time, not after it ran out.
    char byte;
    EXPECT_EQ(::recv(idle->get(), &byte, 1, MSG_DONTWAIT), -1) << "the idle client was served first";
    const auto answer = ControlSocket::readAnswer(idle->get(), error);
    ASSERT_TRUE(answer) << error;
    EXPECT_EQ(answer->status, 2);
    EXPECT_TRUE(has(answer->errors, "no whole request came within")) << answer->errors;
}

TEST(BootedDevice, ASocketPathThatIsNotOursOrARootThatCannotBeWrittenIsRefused) {
    TemporaryDevice device;
    const auto control = ControlSocket::controlPath(device.root());
    std::filesystem::create_directories(control.parent_path());
    std::ofstream(control) << "someone else's";
    const auto refused =
        runShell(std::string(ORVANE_SIM_PATH) + " --device " + device.root().string() + " boot");
    EXPECT_EQ(refused.status, 1);
    EXPECT_TRUE(has(refused.output, "is not a socket of this device")) << refused.output;
    EXPECT_TRUE(std::filesystem::is_regular_file(control)) << "the file is left alone";

    const auto file = device.root() / "a-file";
    std::ofstream(file) << "";
    const auto unwritable = runShell(std::string(ORVANE_SIM_PATH) + " --device " + file.string() + " boot");
    EXPECT_EQ(unwritable.status, 1);
    EXPECT_TRUE(has(unwritable.output, "cannot use " + file.string() + " as a device")) << unwritable.output;
}

TEST(BootedDevice, ALeasedDeviceEndsWithTheProcessThatBootedIt) {
    TemporaryDevice device;
    const auto sim = std::string(ORVANE_SIM_PATH) + " --device " + device.root().string();
    // The shell runs orvane-sim and then ends, taking the lease with it.
    const auto booted = runShell(sim + " boot --lease; true");
    ASSERT_EQ(booted.status, 0) << booted.output;
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (std::filesystem::exists(ControlSocket::controlPath(device.root())) &&
           std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(20ms);
    EXPECT_EQ(runShell(sim + " status").status, 3);
    EXPECT_TRUE(std::filesystem::is_empty(ControlSocket::runFolder(device.root())));
}

} // namespace
