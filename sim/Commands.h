#pragma once

#include <ostream>
#include <span>
#include <string>

// One simulator command (its words after the options), answering the exit status.
int runCommand(std::span<const std::string> words, std::ostream& out, std::ostream& errors);
