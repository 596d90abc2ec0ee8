#include "Demo.h"
#include "DeviceProfile.h"
#include "Foundation/DeviceRoot.h"
#include "Foundation/EventLogHost.h"
#include "Foundation/PlatformHost.h"
#include "Script.h"
#include "Simulator.h"

#include <fstream>
#include <iostream>
#include <optional>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr const char* usage =
    "usage: orvane-sim [--screenshots DIR] [--package FILE]    the demo, on a fresh device, installed from\n"
    "                                                          FILE when given\n"
    "       orvane-sim --device DIR [--profile FILE] COMMAND   one command on the device at DIR\n"
    "       orvane-sim --device DIR [--profile FILE] script FILE\n"
    "                                                          the commands of FILE, one a line\n"
    "       orvane-sim --device DIR [--profile FILE] [-]       commands from the standard input, with a\n"
    "                                                          prompt when it is a terminal\n"
    "       orvane-sim --device DIR help                       the commands\n";

struct Options {
    std::optional<std::string> device;
    std::optional<std::string> profile;
    std::optional<std::string> screenshots;
    std::optional<std::string> package;
    std::vector<std::string> command;
};

std::optional<Options> parseOptions(const std::vector<std::string>& words) {
    Options options;
    std::size_t at = 0;
    for (; at + 1 < words.size(); at += 2) {
        auto* option = words[at] == "--device"        ? &options.device
                       : words[at] == "--profile"     ? &options.profile
                       : words[at] == "--screenshots" ? &options.screenshots
                       : words[at] == "--package"     ? &options.package
                                                      : nullptr;
        if (!option)
            break;
        *option = words[at + 1];
    }
    options.command.assign(words.begin() + static_cast<std::ptrdiff_t>(at), words.end());
    const bool demo = !options.device && !options.profile && options.command.empty();
    const bool device = options.device && !options.screenshots && !options.package;
    if (!demo && !device)
        return std::nullopt;
    return options;
}

std::optional<DeviceProfile> chosenProfile(const Options& options) {
    if (!options.profile)
        return defaultDeviceProfile();
    std::string error;
    auto profile = readDeviceProfile(*options.profile, error);
    if (!profile)
        std::cerr << "bad device profile: " << error << "\n";
    return profile;
}

int runCommands(Simulator& device, const std::vector<std::string>& command) {
    const CommandRunner run = [&device](std::span<const std::string> words, std::ostream& out,
                                        std::ostream& errors) { return device.run(words, out, errors); };
    const bool fromInput = command.empty() || (command.size() == 1 && command[0] == "-");
    if (fromInput && ::isatty(STDIN_FILENO)) {
        std::cout << "Orvane's simulated device. Type help for the commands, end with Ctrl-D.\n";
        return runPrompt(run, std::cin, std::cout, std::cerr);
    }
    if (fromInput)
        return runScript(run, std::cin, "stdin", std::cout, std::cerr);
    if (command.size() == 2 && command[0] == "script") {
        std::error_code error;
        std::ifstream file(command[1]);
        // A folder opens as a stream that merely reads nothing.
        if (!file || std::filesystem::is_directory(command[1], error)) {
            std::cerr << "cannot read the script " << command[1] << "\n";
            return 1;
        }
        return runScript(run, file, command[1], std::cout, std::cerr);
    }
    return device.run(command, std::cout, std::cerr);
}

} // namespace

int main(int argc, char** argv) {
    EventLog::setProcessRole(PlatformHost::badge(), "sim");
    const auto options = parseOptions(std::vector<std::string>(argv + 1, argv + argc));
    if (!options) {
        std::cerr << usage;
        return 2;
    }
    if (!options->device)
        return runDemo({options->screenshots, options->package}, std::cout, std::cerr);
    std::error_code error;
    std::filesystem::create_directories(*options->device, error);
    if (error) {
        std::cerr << "cannot use " << *options->device << " as a device: " << error.message() << "\n";
        return 1;
    }
    DeviceRoot::set(PlatformHost::badge(), *options->device);
    const auto profile = chosenProfile(*options);
    if (!profile)
        return 1;
    Simulator device(*profile);
    return runCommands(device, options->command);
}
