#include "Demo.h"

#include "Commands.h"
#include "Foundation/DeviceRoot.h"
#include "Watch.h"

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

struct Step {
    const char* says;
    std::vector<std::string> command;
};

// clang-format off
const std::vector<Step> walk = {
    {"The settings pane stores a smaller icon size; the section reads it and raises both flags.",
     {"defaults", "write", "ICON_SIZE", "-int", "30"}},
    {"35 is no icon size: the section keeps 30 and raises nothing.",
     {"defaults", "write", "ICON_SIZE", "-int", "35"}},
    {"Emptying slot 3 lowers enabledCount and marks the row for a new layout.",
     {"defaults", "write", "FUNCTION_3", "DISABLED"}},
    {"A new background colour takes effect at the next appearance without raising a flag.",
     {"defaults", "write", "BACKGROUND_RED", "-real", "0.5"}},
    {"A height below 26 points is refused.",
     {"defaults", "write", "VIEW_HEIGHT", "-real", "25.9"}},
    {"Scan is a Photos action, so SYS-Photo takes it.",
     {"defaults", "write", "DEFAULT_ACTION_SYS-Photo", "Scan"}},
    {"Mail has no Scan action: it keeps Mail.",
     {"defaults", "write", "DEFAULT_ACTION_SYS-Mail", "Scan"}},
    {"What the file holds now.",
     {"defaults", "read"}},
    {"Resetting everything deletes the file; the section falls back to every default.",
     {"defaults", "reset"}},
};
// clang-format on

std::filesystem::path freshDeviceRoot() {
    std::string pattern = (std::filesystem::temp_directory_path() / "orvane-demo-XXXXXX").string();
    if (!::mkdtemp(pattern.data()))
        return {};
    return pattern;
}

} // namespace

int runDemo(std::ostream& out, std::ostream& errors) {
    const auto root = freshDeviceRoot();
    if (root.empty()) {
        errors << "could not make a device folder\n";
        return 1;
    }
    DeviceRoot::set(root);
    out << "Orvane on a fresh simulated device at " << root.string() << "\n\n";
    out << "The section starts with no settings file.\n";
    SettingsWatcher section(out);
    section.start();
    for (const auto& step : walk) {
        out << "\n" << step.says << "\n$";
        for (const auto& word : step.command)
            out << " " << word;
        out << "\n";
        if (const int status = runCommand(step.command, out, errors); status != 0)
            return status;
    }
    return 0;
}
