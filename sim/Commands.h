#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <ostream>
#include <span>
#include <string>
#include <string_view>
#include <vector>

using Arguments = std::span<const std::string>;

// One command of an area of the simulator's language: its name, its usage, what it does, and the member of
// the area that runs it with the words after the name, answering the exit status. Each area keeps its table
// of these beside the functions it names.
template <class Area = void> struct CommandEntry {
    std::string_view name;
    std::string_view usage;
    std::string_view summary;
    int (Area::*run)(Arguments arguments, std::ostream& out, std::ostream& errors);
};

// The entry of an area that needs no state: a free function runs it.
template <> struct CommandEntry<void> {
    std::string_view name;
    std::string_view usage;
    std::string_view summary;
    int (*run)(Arguments arguments, std::ostream& out, std::ostream& errors);
};
using Command = CommandEntry<>;

// Which process of a booted device serves a command: SpringBoard (Control Center, the section, what is
// presented over it, the camera, help), the Settings application, whichever of the two is in front (a
// screenshot), every process (the device's clock), the supervisor (the device itself, and its files:
// settings and the event log), or the invoking process (letting time pass: the device's run loops go on
// meanwhile and serve other clients).
enum class Owner { SpringBoard, Preferences, Front, EveryProcess, Supervisor, Invoker };

// The commands of every area, bound to the objects that run them, in the order `help` lists them.
class CommandTable {
  public:
    struct Bound {
        std::string_view name;
        std::string_view usage;
        std::string_view summary;
        Owner owner;
        std::function<int(Arguments, std::ostream&, std::ostream&)> run;
    };

    // Adds an area's commands, run by `area`; with no area, only their names, usages and owners (the table
    // a process uses to route commands that others run).
    template <class Area> void add(Owner owner, Area* area, std::span<const CommandEntry<Area>> entries) {
        for (const auto& entry : entries) {
            Bound bound{entry.name, entry.usage, entry.summary, owner, {}};
            if (area)
                bound.run = [area, run = entry.run](Arguments arguments, std::ostream& out,
                                                    std::ostream& errors) {
                    return (area->*run)(arguments, out, errors);
                };
            _commands.push_back(std::move(bound));
        }
    }
    void add(Owner owner, std::span<const Command> entries);

    const Bound* find(std::string_view name) const;
    std::span<const Bound> commands() const { return _commands; }

    // Runs the command the first word names; an unknown command answers 2 after listing the table's names.
    // `NAME --help` prints that command's usage instead of running it.
    int run(Arguments words, std::ostream& out, std::ostream& errors) const;
    // `help [COMMAND]`: every command's usage, or one command's; an unknown one answers 2.
    int help(Arguments arguments, std::ostream& out, std::ostream& errors) const;

  private:
    int unknown(Arguments words, std::ostream& errors) const;
    std::vector<Bound> _commands;
};

// Prints the usage of the command `name` of an area's table; answers 2, the status of a malformed command.
template <class Entries>
int printUsageError(const Entries& entries, std::string_view name, std::ostream& errors) {
    for (const auto& entry : entries)
        if (entry.name == name)
            errors << "usage: " << entry.usage << "\n";
    return 2;
}

// The areas of commands that need no device beyond its file system, each from its own file.
// The settings store: defaults and watch.
std::span<const Command> settingsCommands();
// The device's event log: events.
std::span<const Command> eventsCommands();

// One settings command (its words after the options), answering the exit status.
int runCommand(Arguments words, std::ostream& out, std::ostream& errors);
