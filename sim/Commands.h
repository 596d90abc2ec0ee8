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

// The commands that need no device beyond its file system: defaults and watch.
std::span<const Command> settingsCommands();

// One settings command (its words after the options), answering the exit status.
int runCommand(std::span<const std::string> words, std::ostream& out, std::ostream& errors);
