#include "Commands.h"

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

int printUsageError(std::span<const Command> commands, std::string_view name, std::ostream& errors) {
    const auto command = std::find_if(commands.begin(), commands.end(),
                                      [name](const Command& entry) { return entry.name == name; });
    errors << "usage: " << command->usage << "\n";
    return 2;
}

void printUsage(std::span<const Command> commands, std::ostream& out) {
    for (const auto& command : commands) {
        out << "  " << command.usage << "\n";
        out << "      " << command.summary << "\n";
    }
}

int runCommand(std::span<const std::string> words, std::ostream& out, std::ostream& errors) {
    return runCommandFrom(settingsCommands(), words, out, errors);
}
