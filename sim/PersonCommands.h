#pragma once

#include "Commands.h"
#include "UIKit/PresentationHost.h"

#include <span>
#include <vector>

// The commands that play the person holding the device: see what is presented and dismiss it.
class PersonCommands {
  public:
    // The presentation host outlives these commands.
    explicit PersonCommands(PresentationStack& presented);
    PersonCommands(const PersonCommands&) = delete;
    PersonCommands& operator=(const PersonCommands&) = delete;

    std::span<const Command> commands() const { return _commands; }

  private:
    int presented(std::span<const std::string> arguments, std::ostream& out, std::ostream& errors);
    int dismiss(std::span<const std::string> arguments, std::ostream& out, std::ostream& errors);

    PresentationStack& _presented;
    std::vector<Command> _commands;
};
