#pragma once

#include "Commands.h"
#include "Script.h"

#include <filesystem>
#include <optional>
#include <ostream>

struct DemoOptions {
    // Where the screenshots go; next to the device folder when absent.
    std::optional<std::filesystem::path> screenshots;
    // Orvane's Debian package, to install the plug-ins from as a device would; the build's bundles when
    // absent.
    std::optional<std::filesystem::path> package;
    // Whether the device the tour made stays after it; it is removed otherwise (the screenshots stay).
    bool keep = false;
};

// A scripted walk through the product on a fresh device: what `orvane-sim` does when given no command.
int runDemo(const DemoOptions& options, std::ostream& out, std::ostream& errors);

inline constexpr const char* tourUsage = "tour [CHAPTER [--screenshots DIR] [--package FILE]]";
// `tour` lists the tour's chapters; `tour CHAPTER` plays one on the device `run` drives, each of its
// commands as a separate invocation's: on a booted device, chapter after chapter, the device keeps what the
// ones before did.
int runTourCommand(const CommandRunner& run, Arguments arguments, std::ostream& out, std::ostream& errors);
