#include "Commands.h"

#include "Defaults.h"
#include "Watch.h"

#include <algorithm>

int runCommandFrom(std::span<const Command> commands, std::span<const std::string> words, std::ostream& out,
                   std::ostream& errors) {
    const auto found =
        words.empty() ? commands.end()
                      : std::find_if(commands.begin(), commands.end(),
                                     [&](const Command& command) { return command.name == words.front(); });
    if (found != commands.end())
        return found->run(words.subspan(1), out, errors);
    errors << "unknown command";
    for (const auto& word : words)
        errors << " " << word;
    errors << "\ncommands:";
    for (const auto& command : commands)
        errors << " " << command.name;
    errors << "\n";
    return 2;
}

void printUsage(std::span<const Command> commands, std::ostream& out) {
    for (const auto& command : commands) {
        out << "  " << command.usage << "\n";
        out << "      " << command.summary << "\n";
    }
}

std::span<const Command> settingsCommands() {
    static const Command commands[] = {
        {"defaults", "defaults read [KEY] | write KEY [-int|-real|-bool|-string] VALUE | delete KEY | reset",
         "the settings file, changed as the settings pane does, with the change notification", runDefaults},
        {"watch", "watch [--notifications N] [--seconds S]",
         "print the settings as the section reads them, at start and after each change notification",
         runWatch},
    };
    return commands;
}

int runCommand(std::span<const std::string> words, std::ostream& out, std::ostream& errors) {
    return runCommandFrom(settingsCommands(), words, out, errors);
}
