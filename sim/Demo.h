#pragma once

#include <filesystem>
#include <optional>
#include <ostream>

// A scripted walk through the product on a fresh device: what `orvane-sim` does when given no command. The
// screenshots go to `screenshots`, or next to the device folder.
int runDemo(const std::optional<std::filesystem::path>& screenshots, std::ostream& out, std::ostream& errors);
