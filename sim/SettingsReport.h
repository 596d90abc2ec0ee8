#pragma once

#include "CoreFoundation/CFPropertyList.h"
#include "common/SectionSettings.h"

#include <ostream>
#include <string>

// How the simulator prints property-list values and the settings in force: one stable line per value.
std::string describeValue(const CFPropertyList& value);
void printSettingsState(std::ostream& out, const SettingsState& state);
