#include "BootedDevice.h"
#include "CommandOptions.h"
#include "Demo.h"
#include "Foundation/FoundationHost.h"

#include "DeviceProcesses.h"
#include "Foundation/NSRunLoop.h"
#include "Foundation/RunLoopSourceHost.h"
#include "JsonOutput.h"
#include "Simulator.h"
#include "SpringBoard/SBControlCenterController.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <deque>
#include <fcntl.h>
#include <nlohmann/json.hpp>
#include <sstream>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using namespace std::chrono_literals;

// Booting waits this long for the device to be ready: under a sanitiser, loading takes a while.
constexpr auto bootTimeout = 60s;
std::string currentDirectory() {
    std::error_code error;
    const auto directory = std::filesystem::current_path(error);
    return error ? std::string("/") : directory.string();
}

// Whether what this process shows is in front: Control Center open in SpringBoard, the Settings application
// open in Preferences.
bool applicationInFront(std::string_view role, const Simulator& device) {
    if (role == BootedDevice::springBoardRole)
        return SBControlCenterController::sharedInstance()->isVisible();
    return device.settingsInFront();
}

DeviceAnswer pageFrame(std::string_view role, Simulator& device, const std::vector<std::string>& words) {
    if (words.size() != 4 || (words[2] != "front" && words[2] != "any") ||
        (words[3] != "fresh" && words[3] != "again"))
        return {2, {}, "usage: .frame FILE front|any fresh|again\n"};
    std::ostringstream out, errors;
    int status = BootedDevice::PageFrame::notInFront;
    if (words[2] == "any" || applicationInFront(role, device))
        status = device.pageFrame(words[1], words[3] == "fresh", out, errors);
    else
        device.run(std::vector<std::string>{"state"}, out, errors);
    return {status, out.str(), errors.str()};
}

DeviceAnswer runRequest(std::string_view role, Simulator& device, const DeviceRequest& request) {
    if (request.words.size() == 1 && request.words[0] == ".in-front")
        return {applicationInFront(role, device) ? 0 : 1, {}, {}};
    if (!request.words.empty() && request.words[0] == BootedDevice::PageFrame::request)
        return pageFrame(role, device, request.words);
    if (::chdir(request.directory.c_str()) != 0)
        return {1, {}, "cannot work in " + request.directory + ": " + std::strerror(errno) + "\n"};
    std::ostringstream out, errors;
    const int status = device.run(request.words, out, errors);
    [[maybe_unused]] const int back = ::chdir("/");
    return {status, out.str(), errors.str()};
}

void serveConnection(std::string_view role, Simulator& device, int connection) {
    std::string error;
    const auto request = ControlSocket::readRequest(connection, error);
    ControlSocket::writeAnswer(connection, request ? runRequest(role, device, *request)
                                                   : DeviceAnswer{2, {}, error + "\n"});
}

int notBooted(Arguments, std::ostream&, std::ostream& errors) {
    errors
        << "this device lives for this one process: orvane-sim --device DIR boot starts one that stays on\n";
    return 1;
}

int statusOfThisProcess(Arguments arguments, std::ostream& out, std::ostream& errors) {
    std::vector<std::string> words{"status"};
    words.insert(words.end(), arguments.begin(), arguments.end());
    const auto json = BootedDevice::statusRequest(words);
    if (!json)
        return notBooted(arguments, out, errors);
    if (*json)
        printJson({{"booted", false}, {"livesForPid", ::getpid()}}, out);
    else
        out << "the device is not booted: it lives for this process, pid " << ::getpid() << "\n";
    return 3;
}

} // namespace

namespace BootedDevice {

std::span<const Command> deviceCommands() {
    static constexpr Command commands[] = {
        {"boot", "boot [--lease] [--serve [--port N]]",
         "start the device; it stays on until shutdown (with --lease, until the process that ran orvane-sim "
         "ends); with --serve, serve its page as serve does",
         notBooted},
        {"status", "status [--json]",
         "whether the device is booted, its processes and its control socket; --json as one JSON object",
         statusOfThisProcess},
        {"shutdown", "shutdown", "end the booted device: Control Center closes and every process exits",
         notBooted},
        {"serve", "serve [--port N]",
         "put the booted device on a web page at 127.0.0.1 (port N, or a free one) and print its address, "
         "with the token that opens it",
         notBooted},
    };
    return commands;
}

bool runsInInvoker(const CommandTable& routes, std::span<const std::string> words) {
    if (words.empty())
        return false;
    const auto* command = routes.find(words[0]);
    return (command && command->owner == Owner::Invoker) || words[0] == "watch" ||
           (words[0] == "events" && std::ranges::find(words, "--follow") != words.end());
}

std::filesystem::path socketOf(const std::filesystem::path& root, std::string_view role) {
    std::string name(role);
    std::ranges::transform(name, name.begin(), [](unsigned char letter) { return std::tolower(letter); });
    return ControlSocket::runFolder(root) / (name + ".sock");
}

bool isBooted(const std::filesystem::path& root) {
    std::string error;
    return ControlSocket::connectTo(ControlSocket::controlPath(root), error).has_value();
}

int boot(const Place& place, bool lease, std::ostream& out, std::ostream& errors) {
    const auto folder = ControlSocket::runFolder(place.root);
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error || ::access(folder.c_str(), W_OK) != 0) {
        errors << "cannot use " << place.root.string()
               << " as a device: " << (error ? error.message() : std::strerror(errno)) << "\n";
        return 1;
    }
    std::string problem;
    const auto control = ControlSocket::controlPath(place.root);
    if (const auto answer = ControlSocket::exchange(control, {"/", {"boot"}}, problem)) {
        out << answer->out;
        errors << answer->errors;
        return answer->status;
    }
    std::vector<std::string> arguments{"--device", place.root.string()};
    if (place.profile)
        arguments.insert(arguments.end(), {"--profile", place.profile->string()});
    arguments.insert(arguments.end(), {"--serve", std::string(supervisorRole)});
    if (lease)
        arguments.insert(arguments.end(), {"--lease", std::to_string(::getppid())});
    const auto started = DeviceProcesses::start(arguments, bootTimeout);
    if (started.pid < 0) {
        errors << "cannot boot the device at " << place.root.string() << ": " << started.problem << "\n";
        return 1;
    }
    out << "booted the device at " << place.root.string() << "; control socket " << control.string() << "\n";
    return 0;
}

std::optional<bool> statusRequest(std::span<const std::string> words) {
    if (words.empty() || words[0] != "status")
        return std::nullopt;
    const auto options = parseCommandOptions(words.subspan(1), jsonOption);
    if (!options || !options->operands.empty())
        return std::nullopt;
    return options->has("json");
}

int statusWhenOff(const std::filesystem::path& root, bool json, std::ostream& out) {
    const auto control = ControlSocket::controlPath(root);
    const bool stale = ControlSocket::isStale(control);
    if (stale) {
        std::error_code error;
        std::filesystem::remove(control, error);
    }
    if (json) {
        printJson({{"booted", false},
                   {"root", root.string()},
                   {"clearedSocket", stale ? Json(control.string()) : Json()}},
                  out);
        return 3;
    }
    out << "the device at " << root.string() << " is off\n";
    if (stale)
        out << "cleared the socket a device that died left at " << control.string() << "\n";
    return 3;
}

int shutdownWhenOff(const std::filesystem::path& root, std::ostream& errors) {
    errors << "the device at " << root.string() << " is not booted\n";
    return 1;
}

CommandRunner forwarder(const std::filesystem::path& root) {
    CommandRunner forward = [control = ControlSocket::controlPath(root), root,
                             fallback = Simulator::routes()](std::span<const std::string> words,
                                                             std::ostream& out, std::ostream& errors) {
        if (BootedDevice::runsInInvoker(fallback, words))
            return fallback.run(words, out, errors);
        std::string problem;
        const auto answer = ControlSocket::exchange(
            control, {currentDirectory(), std::vector<std::string>(words.begin(), words.end())}, problem);
        if (!answer) {
            errors << "the device at " << root.string() << " does not answer: " << problem << "\n";
            return 1;
        }
        out << answer->out << std::flush;
        errors << answer->errors << std::flush;
        return answer->status;
    };
    // The tour runs here and sends each of its commands to the device.
    return [forward](std::span<const std::string> words, std::ostream& out, std::ostream& errors) {
        if (!words.empty() && words[0] == "tour" && !(words.size() == 2 && words[1] == "--help"))
            return runTourCommand(forward, words.subspan(1), out, errors);
        return forward(words, out, errors);
    };
}

int serveApplication(std::string_view role, Simulator& device, const std::filesystem::path& root, int ready) {
    // The application ends with the supervisor that started it, however that one ends.
    const pid_t supervisor = ::getppid();
    ::prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (::getppid() != supervisor)
        return 1;
    std::string error;
    const auto path = socketOf(root, role);
    auto listening = ControlSocket::listenAt(path, error);
    if (!listening) {
        DeviceProcesses::tellReady(ready, error);
        return 1;
    }
    ::fcntl(listening->get(), F_SETFL, O_NONBLOCK);
    auto& runLoop = NSRunLoop::mainRunLoop();
    bool stopping = false;
    std::deque<OwnedDescriptor> waiting;
    // A client wakes the run loop, which hands its connection over and returns. The request is served after
    // that turn, on the main thread: one at a time, each in full, as a person's actions reach a phone, and a
    // command that runs the loop itself (a scanner reading the camera's frames) never runs inside it.
    const auto requests = FoundationHost::readable(listening->get(), [&] {
        if (OwnedDescriptor connection(::accept4(listening->get(), nullptr, nullptr, SOCK_CLOEXEC));
            connection)
            waiting.push_back(std::move(connection));
        runLoop.stop();
    });
    const auto stop = [&] {
        stopping = true;
        runLoop.stop();
    };
    const RunLoopSource signals[] = {FoundationHost::signal(SIGTERM, stop),
                                     FoundationHost::signal(SIGINT, stop)};
    if (!requests || !signals[0] || !signals[1]) {
        DeviceProcesses::tellReady(ready, std::string(role) + " cannot watch its socket on its run loop");
        return 1;
    }
    DeviceProcesses::tellReady(ready);
    while (!stopping) {
        if (waiting.empty())
            runLoop.run();
        for (; !waiting.empty() && !stopping; waiting.pop_front())
            serveConnection(role, device, waiting.front().get());
    }
    if (role == springBoardRole && SBControlCenterController::sharedInstance()->isVisible()) {
        std::ostringstream ignored;
        const std::string close[] = {"close"};
        device.run(close, ignored, ignored);
    }
    std::error_code removed;
    std::filesystem::remove(path, removed);
    return 0;
}

} // namespace BootedDevice
