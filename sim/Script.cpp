#include "Script.h"

#include <sstream>

namespace {

// One line's words and status; a malformed line answers 2 without running anything. What the line printed is
// flushed, so that whoever reads the output through a pipe sees each command's answer as it comes.
int runLine(const CommandRunner& run, const std::string& line, std::ostream& out, std::ostream& errors) {
    std::string error;
    const auto words = splitCommandLine(line, error);
    if (!words) {
        errors << error << "\n";
        return 2;
    }
    const int status = words->empty() ? 0 : run(*words, out, errors);
    out << std::flush;
    return status;
}

} // namespace

std::optional<std::vector<std::string>> splitCommandLine(std::string_view line, std::string& error) {
    std::vector<std::string> words;
    std::size_t at = 0;
    while (true) {
        at = line.find_first_not_of(" \t\r", at);
        if (at == std::string_view::npos || line[at] == '#')
            return words;
        if (line[at] != '"') {
            const auto end = std::min(line.find_first_of(" \t\r", at), line.size());
            words.emplace_back(line.substr(at, end - at));
            at = end;
            continue;
        }
        const auto close = line.find('"', at + 1);
        if (close == std::string_view::npos) {
            error = "a quote is not closed";
            return std::nullopt;
        }
        words.emplace_back(line.substr(at + 1, close - at - 1));
        at = close + 1;
    }
}

int runScript(const CommandRunner& run, std::istream& lines, std::string_view source, std::ostream& out,
              std::ostream& errors) {
    std::string line;
    for (int number = 1; std::getline(lines, line); ++number) {
        std::ostringstream lineErrors;
        const int status = runLine(run, line, out, lineErrors);
        if (status != 0) {
            errors << source << ":" << number << ": " << line << "\n" << lineErrors.str() << std::flush;
            return status;
        }
        errors << lineErrors.str();
    }
    return 0;
}

int runPrompt(const CommandRunner& run, std::istream& lines, std::ostream& out, std::ostream& errors) {
    std::string line;
    while (out << "orvane> " << std::flush, std::getline(lines, line))
        runLine(run, line, out, errors);
    out << "\n";
    return 0;
}
