#include "Prompt.h"

#include "Limits.h"

#include <cstdio>
#include <cstdlib>
#include <editline/readline.h>
#include <filesystem>
#include <memory>
#include <optional>

namespace {

constexpr int historyLength = 1000;

std::optional<std::filesystem::path> historyFile() {
    const char* home = std::getenv("HOME");
    if (!home || !*home)
        return std::nullopt;
    return std::filesystem::path(home) / ".orvane-sim_history";
}

// One line from the terminal, kept in the history unless it is blank or repeats the line kept before.
LineRead typedLine(std::string& line, std::string& kept) {
    const std::unique_ptr<char, decltype(&std::free)> typed(::readline("orvane> "), &std::free);
    if (!typed)
        return LineRead::end;
    line = typed.get();
    if (line.size() > longestCommandLine)
        return LineRead::tooLong;
    if (line.find_first_not_of(" \t") != std::string::npos && line != kept) {
        ::add_history(line.c_str());
        kept = line;
    }
    return LineRead::line;
}

} // namespace

int runTerminalPrompt(const CommandRunner& run, std::ostream& out, std::ostream& errors) {
    const auto history = historyFile();
    ::stifle_history(historyLength);
    if (history)
        ::read_history(history->c_str());
    std::string kept;
    const int status = runPrompt(
        run, [&kept](std::string& line) { return typedLine(line, kept); }, out, errors);
    // History that cannot be kept (no home, a read-only one) is only lost.
    if (history)
        ::write_history(history->c_str());
    return status;
}
