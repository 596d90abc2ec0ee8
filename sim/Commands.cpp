#include "Commands.h"

#include <algorithm>

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
    if (found && found->run)
        return found->run(words.subspan(1), out, errors);
    errors << "unknown command";
    for (const auto& word : words)
        errors << " " << word;
    errors << "\ncommands:";
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
