#pragma once

#include <functional>
#include <ostream>
#include <span>
#include <string>
#include <string_view>

// One command of the simulator's language: its name, its usage, what it does, and what runs it with the words
// after the name, answering the exit status.
struct Command {
    using Run =
        std::function<int(std::span<const std::string> arguments, std::ostream& out, std::ostream& errors)>;
    std::string_view name;
    std::string_view usage;
    std::string_view summary;
    Run run;
};

// Runs the command the first word names; an unknown command answers 2 after listing the table's names.
int runCommandFrom(std::span<const Command> commands, std::span<const std::string> words, std::ostream& out,
                   std::ostream& errors);
void printUsage(std::span<const Command> commands, std::ostream& out);
// Prints the usage of the command `name` of the table; answers 2, the status of a malformed command.
int printUsageError(std::span<const Command> commands, std::string_view name, std::ostream& errors);

// The areas of commands that need no device beyond its file system, each from its own file.
// The settings store: defaults and watch.
std::span<const Command> settingsCommands();
// The device's event log: events.
std::span<const Command> eventsCommands();

// One settings command (its words after the options), answering the exit status.
int runCommand(std::span<const std::string> words, std::ostream& out, std::ostream& errors);
