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

namespace {

void printCommand(const CommandTable::Bound& command, std::ostream& out) {
    out << "  " << command.usage << "\n";
    out << "      " << command.summary << "\n";
}

} // namespace

int CommandTable::run(Arguments words, std::ostream& out, std::ostream& errors) const {
    const auto* found = words.empty() ? nullptr : find(words.front());
    if (found && words.size() == 2 && words[1] == "--help")
        return help(words.first(1), out, errors);
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
    return unknown(words, errors);
}

int CommandTable::unknown(Arguments words, std::ostream& errors) const {
    std::string typed;
    for (const auto& word : words)
        typed += " " + word;
    errors << "unknown command" << printable(typed) << "\ncommands:";
    for (const auto& command : _commands)
        errors << " " << command.name;
    errors << "\n";
    return 2;
}

int CommandTable::help(Arguments arguments, std::ostream& out, std::ostream& errors) const {
    if (arguments.empty()) {
        out << "commands:\n";
        for (const auto& command : _commands)
            printCommand(command, out);
        return 0;
    }
    const auto* found = arguments.size() == 1 ? find(arguments[0]) : nullptr;
    if (!found)
        return unknown(arguments, errors);
    out << "usage:\n";
    printCommand(*found, out);
    return 0;
}

int runCommand(Arguments words, std::ostream& out, std::ostream& errors) {
    CommandTable table;
    table.add(Owner::Supervisor, settingsCommands());
    return table.run(words, out, errors);
}
