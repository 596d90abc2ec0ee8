#pragma once

#include <functional>
#include <istream>
#include <optional>
#include <ostream>
#include <span>
#include <string>
#include <string_view>
#include <vector>

using CommandRunner =
    std::function<int(std::span<const std::string> words, std::ostream& out, std::ostream& errors)>;

// The words of one command line: separated by blanks, a double-quoted word may hold blanks, and a word that
// starts with '#' begins a comment. Nothing, with the reason in `error`, for an unterminated quote.
std::optional<std::vector<std::string>> splitCommandLine(std::string_view line, std::string& error);

// Runs a script, one command per line. It stops at the first line that fails, reported as
// "SOURCE:LINE: ..." on `errors`, and answers that line's status (0 when every line succeeded).
int runScript(const CommandRunner& run, std::istream& lines, std::string_view source, std::ostream& out,
              std::ostream& errors);

// Runs commands typed at a prompt until the input ends; a failing command is reported and the session goes
// on.
int runPrompt(const CommandRunner& run, std::istream& lines, std::ostream& out, std::ostream& errors);
