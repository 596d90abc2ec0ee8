#include "Commands.h"

#include "Defaults.h"
#include "Watch.h"

int runCommand(std::span<const std::string> words, std::ostream& out, std::ostream& errors) {
    if (!words.empty() && words.front() == "defaults")
        return runDefaults(words.subspan(1), out, errors);
    if (!words.empty() && words.front() == "watch")
        return runWatch(words.subspan(1), out, errors);
    errors << "unknown command";
    for (const auto& word : words)
        errors << " " << word;
    errors << "\ncommands: defaults read|write|delete|reset, watch\n";
    return 2;
}
