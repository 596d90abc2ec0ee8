#pragma once

#include "CoreFoundation/CFPropertyList.h"

#include <optional>
#include <ostream>
#include <span>
#include <string>

// `defaults read [KEY]`, `defaults write KEY [-int|-real|-bool|-string] VALUE`, `defaults delete KEY` and
// `defaults reset`: raw access to the settings file through the settings pane's writer, so every change is
// followed by the change notification. Answers the exit status.
int runDefaults(std::span<const std::string> arguments, std::ostream& out, std::ostream& errors);

// VALUE with an optional type flag; without one, the type is the one the text reads as (integer, real,
// boolean, else string). Nothing when the text does not fit the type asked for.
std::optional<CFPropertyList> parseTypedValue(std::span<const std::string> words);
