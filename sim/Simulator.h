#pragma once

#include "Caddex/CaddexLoader.h"
#include "Commands.h"
#include "DeviceProfile.h"

#include <filesystem>
#include <memory>
#include <ostream>
#include <span>
#include <string>
#include <vector>

// A simulated device in this process: the profile's screen and SpringBoard, the section loader on Control
// Center, and the command language a person uses on it. Only one may exist at a time.
class Simulator {
  public:
    // `stagedBundles` holds the bundles as the build lays them out (OrvaneCC.bundle, ...); `install` copies
    // them onto the device.
    explicit Simulator(const DeviceProfile& profile,
                       std::filesystem::path stagedBundles = ORVANE_STAGED_BUNDLES);
    ~Simulator();
    Simulator(const Simulator&) = delete;
    Simulator& operator=(const Simulator&) = delete;

    // One command, after which the run loop delivers what has come in (notifications from other processes).
    int run(std::span<const std::string> words, std::ostream& out, std::ostream& errors);
    std::span<const Command> commands() const { return _commands; }

    const CaddexLoader& loader() const { return *_loader; }

  private:
    std::vector<Command> makeCommands();

    int install(std::span<const std::string> arguments, std::ostream& out, std::ostream& errors);
    int open(std::span<const std::string> arguments, std::ostream& out, std::ostream& errors);
    int close(std::span<const std::string> arguments, std::ostream& out, std::ostream& errors);
    int width(std::span<const std::string> arguments, std::ostream& out, std::ostream& errors);
    int lock(std::span<const std::string> arguments, std::ostream& out, std::ostream& errors);
    int unlock(std::span<const std::string> arguments, std::ostream& out, std::ostream& errors);
    int setLocked(bool locked, std::string_view name, std::span<const std::string> arguments,
                  std::ostream& out, std::ostream& errors);
    int screenshot(std::span<const std::string> arguments, std::ostream& out, std::ostream& errors);
    int describe(std::span<const std::string> arguments, std::ostream& out, std::ostream& errors);
    int wait(std::span<const std::string> arguments, std::ostream& out, std::ostream& errors);
    int help(std::span<const std::string> arguments, std::ostream& out, std::ostream& errors);

    // Prints the command's usage; answers the status of a malformed command.
    int usageError(std::string_view name, std::ostream& errors) const;
    // The section, loaded when it is installed and not loaded yet.
    bool sectionLoaded();
    void printControlCenter(std::ostream& out) const;

    std::filesystem::path _stagedBundles;
    std::unique_ptr<CaddexLoader> _loader;
    std::vector<Command> _commands;
};
