#include "BootedDevice.h"
#include "CommandOptions.h"
#include "Demo.h"
#include "Device/DeviceHost.h"
#include "Device/DeviceRoot.h"
#include "Device/EventLogHost.h"
#include "DeviceProfile.h"
#include "ParseNumber.h"
#include "Prompt.h"
#include "Script.h"
#include "Simulator.h"

#include <fstream>
#include <getopt.h>
#include <iostream>
#include <malloc.h>
#include <optional>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

// Every picture of the screen draws into surfaces of a few megabytes that are freed as soon as it is
// written. Left to malloc's defaults they come from fresh mappings each time, and faulting their pages in
// again costs more than the drawing; kept in the heap (up to a bound), the next picture reuses them.
void keepScreenSizedBlocks() {
    constexpr int largestHeapBlock = 32 << 20;
    constexpr int keptFreeTop = 64 << 20;
    mallopt(M_MMAP_THRESHOLD, largestHeapBlock);
    mallopt(M_TRIM_THRESHOLD, keptFreeTop);
}

constexpr const char* usage =
    "usage: orvane-sim [--screenshots DIR] [--package FILE] [--keep]\n"
    "                                                          the demo, on a fresh device, installed from\n"
    "                                                          FILE when given; --keep keeps the device\n"
    "       orvane-sim --device DIR [--profile FILE] boot [--lease] [--serve [--port N]]\n"
    "                                                          start the device at DIR; it stays on until\n"
    "                                                          shutdown (with --lease, until the invoking\n"
    "                                                          process ends); with --serve, on its page too\n"
    "       orvane-sim --device DIR status | shutdown          the booted device's processes; end it\n"
    "       orvane-sim --device DIR serve [--port N]           the booted device on a web page at "
    "127.0.0.1:\n"
    "                                                          prints the address to open\n"
    "       orvane-sim --device DIR [--profile FILE] COMMAND   one command on the device at DIR: the booted\n"
    "                                                          device, else one that lives for this command\n"
    "       orvane-sim --device DIR [--profile FILE] script FILE\n"
    "                                                          the commands of FILE, one a line\n"
    "       orvane-sim --device DIR [--profile FILE] [-]       commands from the standard input, with a\n"
    "                                                          prompt when it is a terminal\n"
    "       orvane-sim --device DIR tour [N [--screenshots DIR] [--package FILE]]\n"
    "                                                          the tour's chapters, or chapter N played on\n"
    "                                                          the device\n"
    "       orvane-sim help [COMMAND] | COMMAND --help         the commands, or one command's usage\n"
    "       orvane-sim --help | --version\n"
    "options take their value as --device DIR or --device=DIR; -- ends them\n"
    "exit status: 0 done, 1 refused or failed, 2 misuse (a malformed command or options)\n";

struct Options {
    std::optional<std::string> device;
    std::optional<std::string> profile;
    std::optional<std::string> screenshots;
    std::optional<std::string> package;
    // The device's own processes, which boot starts: not for people.
    std::optional<std::string> serve;
    std::optional<std::string> ready;
    std::optional<std::string> lease;
    bool keep = false;
    bool help = false;
    bool version = false;
    std::vector<std::string> command;
};

// The options before the command: the command's own words (`boot --lease`, `describe --json`) are its own.
std::optional<Options> parseOptions(int argc, char** argv) {
    enum : int { device = 1000, profile, screenshots, package, serve, ready, lease, version, keep };
    static const ::option longOptions[] = {
        {"device", required_argument, nullptr, device},
        {"profile", required_argument, nullptr, profile},
        {"screenshots", required_argument, nullptr, screenshots},
        {"package", required_argument, nullptr, package},
        {"serve", required_argument, nullptr, serve},
        {"ready", required_argument, nullptr, ready},
        {"lease", required_argument, nullptr, lease},
        {"keep", no_argument, nullptr, keep},
        {"help", no_argument, nullptr, 'h'},
        {"version", no_argument, nullptr, version},
        {nullptr, 0, nullptr, 0},
    };
    Options options;
    for (int option; (option = ::getopt_long(argc, argv, "+h", longOptions, nullptr)) != -1;) {
        auto* value = option == device        ? &options.device
                      : option == profile     ? &options.profile
                      : option == screenshots ? &options.screenshots
                      : option == package     ? &options.package
                      : option == serve       ? &options.serve
                      : option == ready       ? &options.ready
                      : option == lease       ? &options.lease
                                              : nullptr;
        if (value)
            *value = optarg;
        else if (option == 'h')
            options.help = true;
        else if (option == version)
            options.version = true;
        else if (option == keep)
            options.keep = true;
        else
            return std::nullopt;
    }
    options.command.assign(argv + optind, argv + argc);
    return options;
}

// Whether the options make one of the invocations the usage lists.
bool fits(const Options& options) {
    const bool demo = !options.device && !options.profile && options.command.empty() && !options.serve;
    const bool device = options.device && !options.screenshots && !options.package && !options.keep;
    const bool served = !options.serve || (options.ready && options.command.empty());
    return (demo || device) && served;
}

// `help [COMMAND]` and `COMMAND --help` need no device: the table of every command answers them. Nothing
// for any other command.
std::optional<int> help(std::span<const std::string> command) {
    if (command.size() == 2 && command[1] == "--help")
        return Simulator::routes().help(command.first(1), std::cout, std::cerr);
    if (!command.empty() && command[0] == "help")
        return Simulator::routes().help(command.subspan(1), std::cout, std::cerr);
    return std::nullopt;
}

// The folders a device's file system has at its top, one of which any device that has run holds.
bool looksLikeDevice(const std::filesystem::path& folder) {
    std::error_code error;
    for (const auto* top : {"System", "Library", "var"})
        if (std::filesystem::is_directory(folder / top, error))
            return true;
    return false;
}

std::optional<std::filesystem::path> existingDevice(const std::string& folder, std::ostream& errors) {
    std::error_code error;
    auto root = std::filesystem::canonical(folder, error);
    if (error) {
        errors << "cannot use " << folder << " as a device: " << error.message() << "\n";
        return std::nullopt;
    }
    return root;
}

// The device at `folder`, made when there is none yet (which is said, so that a mistyped folder shows); a
// folder that holds other files is no device and is left alone.
std::optional<std::filesystem::path> deviceFolder(const std::string& folder, std::ostream& errors) {
    std::error_code error;
    const auto refuse = [&](const std::string& reason) {
        errors << "cannot use " << folder << " as a device: " << reason << "\n";
        return std::nullopt;
    };
    if (!std::filesystem::exists(folder, error) && !error) {
        errors << "making a new device at " << folder << "\n";
        std::filesystem::create_directories(folder, error);
    } else if (!error && !std::filesystem::is_directory(folder, error)) {
        return refuse("it is not a folder");
    } else if (!error && !looksLikeDevice(folder) && !std::filesystem::is_empty(folder, error) && !error) {
        return refuse("it holds other files (a device's folder holds System, Library and var)");
    }
    if (error)
        return refuse(error.message());
    return existingDevice(folder, errors);
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

int runCommands(const CommandRunner& run, const std::vector<std::string>& command) {
    const bool fromInput = command.empty() || (command.size() == 1 && command[0] == "-");
    if (fromInput && ::isatty(STDIN_FILENO)) {
        std::cout << "Orvane's simulated device. Type help for the commands, end with Ctrl-D.\n";
        return runTerminalPrompt(run, std::cout, std::cerr);
    }
    if (fromInput)
        return runScript(run, std::cin, "stdin", std::cout, std::cerr);
    if (command.size() == 2 && command[0] == "script")
        return runScriptFile(run, command[1], std::cout, std::cerr);
    return run(command, std::cout, std::cerr);
}

// One of the booted device's own processes.
int serve(const Options& options, const BootedDevice::Place& place) {
    int ready = parsePositive<int>(*options.ready).value_or(-1);
    DeviceHost::setProcessRole(*options.serve);
    if (*options.serve == BootedDevice::supervisorRole) {
        const auto lease = options.lease ? parsePositive<int>(*options.lease) : std::nullopt;
        return BootedDevice::serveSupervisor(place, ready,
                                             lease ? std::optional<pid_t>(*lease) : std::nullopt);
    }
    if (*options.serve != BootedDevice::springBoardRole && *options.serve != BootedDevice::preferencesRole)
        return 2;
    const auto profile = chosenProfile(options);
    if (!profile)
        return 1;
    Simulator device(*profile);
    return BootedDevice::serveApplication(*options.serve, device, place.root, ready);
}

struct BootOptions {
    bool lease = false;
    // The serve command to run once booted, if any.
    std::vector<std::string> serve;
};

// boot [--lease] [--serve [--port N]]
std::optional<BootOptions> bootOptions(const std::vector<std::string>& command) {
    static constexpr CommandOption bootFlags[] = {{"lease"}, {"serve"}, {"port", true}};
    const auto given = parseCommandOptions(std::span(command).subspan(1), bootFlags);
    if (!given || !given->operands.empty() || (given->has("port") && !given->has("serve")))
        return std::nullopt;
    BootOptions options;
    options.lease = given->has("lease");
    if (given->has("serve"))
        options.serve = {"serve"};
    if (const auto port = given->value("port"))
        options.serve.insert(options.serve.end(), {"--port", *port});
    return options;
}

// The commands that manage the booted device itself; nothing for any other command.
std::optional<int> manageDevice(const BootedDevice::Place& place, const std::vector<std::string>& command,
                                bool booted) {
    const auto& name = command.empty() ? std::string() : command[0];
    if (name == "boot") {
        const auto boot = bootOptions(command);
        if (!boot) {
            std::cerr << "usage: boot [--lease] [--serve [--port N]]\n";
            return 2;
        }
        const int status = BootedDevice::boot(place, boot->lease, std::cout, std::cerr);
        if (status != 0 || boot->serve.empty())
            return status;
        return BootedDevice::forwarder(place.root)(boot->serve, std::cout, std::cerr);
    }
    if (booted)
        return std::nullopt;
    if (const auto json = BootedDevice::statusRequest(command))
        return BootedDevice::statusWhenOff(place.root, *json, std::cout);
    if (name == "shutdown" && command.size() == 1)
        return BootedDevice::shutdownWhenOff(place.root, std::cerr);
    return std::nullopt;
}

} // namespace

int main(int argc, char** argv) {
    keepScreenSizedBlocks();
    DeviceHost::setProcessRole("sim");
    const auto options = parseOptions(argc, argv);
    if (options && options->help) {
        std::cout << usage;
        return 0;
    }
    if (options && options->version) {
        std::cout << "orvane-sim " ORVANE_VERSION "\n";
        return 0;
    }
    if (const auto helped = options && !options->serve ? help(options->command) : std::nullopt)
        return *helped;
    if (!options || !fits(*options)) {
        std::cerr << usage;
        return 2;
    }
    if (!options->device)
        return runDemo({options->screenshots, options->package, options->keep}, std::cout, std::cerr);
    const auto root = options->serve ? existingDevice(*options->device, std::cerr)
                                     : deviceFolder(*options->device, std::cerr);
    if (!root)
        return 1;
    // The device's own processes work from "/", so they are given the root's whole path.
    DeviceHost::setRoot(options->serve ? *root : std::filesystem::path(*options->device));
    BootedDevice::Place place{*root, std::nullopt};
    std::error_code error;
    if (options->profile)
        place.profile = std::filesystem::absolute(*options->profile, error);
    if (options->serve)
        return serve(*options, place);
    const bool booted = BootedDevice::isBooted(*root);
    if (const auto managed = manageDevice(place, options->command, booted))
        return *managed;
    if (booted)
        return runCommands(BootedDevice::forwarder(*root), options->command);
    const auto profile = chosenProfile(*options);
    if (!profile)
        return 1;
    Simulator device(*profile);
    const CommandRunner run = [&device](std::span<const std::string> words, std::ostream& out,
                                        std::ostream& errors) { return device.run(words, out, errors); };
    return runCommands(run, options->command);
}
