#pragma once

#include "Caddex/CaddexLoader.h"
#include "Commands.h"
#include "UIKit/PresentationHost.h"

#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

// The commands that play SpringBoard's Control Center and the section in it: install, open, close, width,
// lock, unlock, describe, and the screenshot of them.
class ControlCenterCommands {
  public:
    // `stagedBundles` holds the bundles as the build lays them out (OrvaneCC.bundle, ...); `install` copies
    // them onto the device. The loader and what is presented outlive these commands.
    ControlCenterCommands(CaddexLoader& loader, const PresentationStack& presented,
                          std::filesystem::path stagedBundles);
    ControlCenterCommands(const ControlCenterCommands&) = delete;
    ControlCenterCommands& operator=(const ControlCenterCommands&) = delete;

    static std::span<const CommandEntry<ControlCenterCommands>> commandTable();
    // Draws the section over Control Center into FILE (a PNG), with what is presented over it.
    int screenshot(const std::string& file, std::ostream& out, std::ostream& errors);

  private:
    int install(std::span<const std::string> arguments, std::ostream& out, std::ostream& errors);
    int installFromPackage(const std::string& package, std::ostream& out, std::ostream& errors);
    int open(std::span<const std::string> arguments, std::ostream& out, std::ostream& errors);
    int close(std::span<const std::string> arguments, std::ostream& out, std::ostream& errors);
    int width(std::span<const std::string> arguments, std::ostream& out, std::ostream& errors);
    int lock(std::span<const std::string> arguments, std::ostream& out, std::ostream& errors);
    int unlock(std::span<const std::string> arguments, std::ostream& out, std::ostream& errors);
    int setLocked(bool locked, std::string_view name, std::span<const std::string> arguments,
                  std::ostream& out, std::ostream& errors);
    int describe(std::span<const std::string> arguments, std::ostream& out, std::ostream& errors);

    int usageError(std::string_view name, std::ostream& errors) const;
    // The section, loaded when it is installed and not loaded yet.
    bool sectionLoaded();
    // Why the installed section bundle gives no section; nothing when it is loaded or none is installed.
    std::optional<std::string> sectionLoadProblem();
    void printControlCenter(std::ostream& out) const;

    CaddexLoader& _loader;
    const PresentationStack& _presented;
    std::filesystem::path _stagedBundles;
};
