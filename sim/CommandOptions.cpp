#include "CommandOptions.h"

#include <algorithm>
#include <getopt.h>

bool CommandOptions::has(std::string_view name) const {
    return std::ranges::find(given, name, &std::pair<std::string_view, std::string>::first) != given.end();
}

std::optional<std::string> CommandOptions::value(std::string_view name) const {
    const auto found = std::ranges::find(given, name, &std::pair<std::string_view, std::string>::first);
    return found == given.end() ? std::nullopt : std::optional<std::string>(found->second);
}

std::optional<CommandOptions> parseCommandOptions(Arguments words, std::span<const CommandOption> options) {
    // Each option answers its index past the characters getopt answers for a misuse.
    constexpr int first = 256;
    std::vector<::option> table;
    for (const auto& option : options)
        table.push_back({option.name, option.takesValue ? required_argument : no_argument, nullptr,
                         first + static_cast<int>(table.size())});
    table.push_back({nullptr, 0, nullptr, 0});
    // getopt permutes what it is given: it gets copies, the first standing for the command's name.
    std::vector<std::string> copies{"command"};
    copies.insert(copies.end(), words.begin(), words.end());
    std::vector<char*> argv;
    for (auto& copy : copies)
        argv.push_back(copy.data());
    argv.push_back(nullptr);
    CommandOptions parsed;
    // 0 starts a fresh parse (GNU getopt); the command reports a misuse itself, with its usage.
    optind = 0;
    opterr = 0;
    const int count = static_cast<int>(copies.size());
    for (int found; (found = ::getopt_long(count, argv.data(), "", table.data(), nullptr)) != -1;) {
        // An option given twice is a misuse too: which of the two was meant is not for the command to guess.
        if (found < first || parsed.has(options[static_cast<std::size_t>(found - first)].name))
            return std::nullopt;
        parsed.given.emplace_back(options[static_cast<std::size_t>(found - first)].name,
                                  optarg ? optarg : "");
    }
    parsed.operands.assign(argv.begin() + optind, argv.end() - 1);
    return parsed;
}
