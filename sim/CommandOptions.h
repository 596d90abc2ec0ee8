#pragma once

#include "Commands.h"

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// An option a command takes: `--NAME`, or `--NAME VALUE` and `--NAME=VALUE` when it takes a value.
struct CommandOption {
    const char* name;
    bool takesValue = false;
};

// A command's words parsed as getopt_long parses a program's: options anywhere among the operands, `--`
// ends them.
struct CommandOptions {
    std::vector<std::pair<std::string_view, std::string>> given;
    std::vector<std::string> operands;

    bool has(std::string_view name) const;
    std::optional<std::string> value(std::string_view name) const;
};

// Nothing for an option the command does not take, one without its value, or one given twice.
std::optional<CommandOptions> parseCommandOptions(Arguments words, std::span<const CommandOption> options);

// `--json`, which the commands that answer programs as well as people take.
inline constexpr CommandOption jsonOption[] = {{"json"}};
