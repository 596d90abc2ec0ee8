#include "Commands.h"

#include "Script.h"

#include <algorithm>
#include <filesystem>

void CommandTable::add(Owner owner, std::span<const Command> entries) {
    for (const auto& entry : entries)
        _commands.push_back({entry.name, entry.usage, entry.summary, owner, entry.run});
}

const CommandTable::Bound* CommandTable::find(std::string_view name) const {
    const auto found = std::ranges::find(_commands, name, &Bound::name);
    return found == _commands.end() ? nullptr : &*found;
}

int CommandTable::run(Arguments words, std::ostream& out, std::ostream& errors) const {
    const auto* found = words.empty() ? nullptr : find(words.front());
    if (found && found->run) {
        // A file-system call that throws (a name too long, a loop of links, a folder that may not be read)
        // fails the command with its reason, never the process.
        try {
            return found->run(words.subspan(1), out, errors);
        } catch (const std::filesystem::filesystem_error& error) {
            errors << found->name << ": " << printable(error.code().message());
            for (const auto* path : {&error.path1(), &error.path2()})
                if (!path->empty())
                    errors << ": " << printable(path->string());
            errors << "\n";
            return 1;
        }
    }
    std::string typed;
    for (const auto& word : words)
        typed += " " + word;
    errors << "unknown command" << printable(typed) << "\ncommands:";
    for (const auto& command : _commands)
        errors << " " << command.name;
    errors << "\n";
    return 2;
}

void CommandTable::printUsage(std::ostream& out) const {
    for (const auto& command : _commands) {
        out << "  " << command.usage << "\n";
        out << "      " << command.summary << "\n";
    }
}

int runCommand(Arguments words, std::ostream& out, std::ostream& errors) {
    CommandTable table;
    table.add(Owner::Supervisor, settingsCommands());
    return table.run(words, out, errors);
}
