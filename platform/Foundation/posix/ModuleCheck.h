#pragma once

#include <filesystem>
#include <optional>
#include <string>

// dlopen maps a module's segments as its headers describe them, and touching a page beyond the end of the
// file kills the process with SIGBUS. A module is checked first: a whole ELF shared object for this machine,
// its headers and segments inside the file. Answers what is wrong, or nothing.
std::optional<std::string> moduleProblem(const std::filesystem::path& module);
