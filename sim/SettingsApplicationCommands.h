#pragma once

#include "Commands.h"
#include "SettingsApplication.h"

#include <vector>

// The Settings application's commands: `settings open|tap|set|back|show` and `clock`. The application lives
// as long as the simulator that owns it.
std::vector<Command> settingsApplicationCommands(SettingsApplication& application);
// Draws the application's page into FILE (a PNG), reporting as `screenshot` does.
int runSettingsScreenshot(const SettingsApplication& application, const std::string& file, std::ostream& out,
                          std::ostream& errors);
