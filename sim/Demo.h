#pragma once

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
