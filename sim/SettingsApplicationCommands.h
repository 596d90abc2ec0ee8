#pragma once

#include "Commands.h"
#include "SettingsApplication.h"

#include <span>
#include <string>

// The Settings application's command: `settings open|tap|set|back|show`. The application outlives it.
class SettingsApplicationCommands {
  public:
    explicit SettingsApplicationCommands(SettingsApplication& application);
    static std::span<const CommandEntry<SettingsApplicationCommands>> commandTable();

  private:
    int settings(Arguments arguments, std::ostream& out, std::ostream& errors);

    SettingsApplication& _application;
};

// The device's clock: `clock`.
std::span<const Command> clockCommands();
