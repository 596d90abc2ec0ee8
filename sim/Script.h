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

// The words of one command line, split as a shell splits them: blanks separate words; single quotes keep
// what they hold as it is; double quotes keep blanks, with \" \\ \$ \` escaped; a backslash outside quotes
// keeps the next character; a word that starts with '#' begins a comment. Nothing, with the reason in
// `error`, for an unterminated quote or a line that ends with a backslash.
std::optional<std::vector<std::string>> splitCommandLine(std::string_view line, std::string& error);

// Text from a person's input made fit to print on one terminal line: control bytes escaped (`\x1b`), and cut
// with an ellipsis past a few hundred bytes.
std::string printable(std::string_view text);

// Runs a script, one command per line; a line longer than longestCommandLine ends it with status 2. It stops
// at the first line that fails, reported as "SOURCE:LINE: ..." on `errors` with a last line saying that
// nothing after it ran, and answers that line's status (0 when every line succeeded).
int runScript(const CommandRunner& run, std::istream& lines, std::string_view source, std::ostream& out,
              std::ostream& errors);

// Runs the script in the host file FILE: a regular file (of at most longestScript bytes) or a pipe. Anything
// else (a device, a folder, a file that cannot be read) ends with status 2 and the reason, nothing run.
int runScriptFile(const CommandRunner& run, const std::string& file, std::ostream& out, std::ostream& errors);
inline constexpr std::size_t longestScript = 16 * 1024 * 1024;

// Where a prompt's lines come from: the next line without its newline, or the end of the input, or a line
// longer than longestCommandLine (skipped whole).
enum class LineRead { line, end, tooLong };
using LineSource = std::function<LineRead(std::string& line)>;

// Runs commands typed at a prompt until the input ends; a failing command is reported and the session goes
// on, as does a line that is too long, which is skipped.
int runPrompt(const CommandRunner& run, const LineSource& lines, std::ostream& out, std::ostream& errors);
// The same with lines from a stream, the prompt written before each.
int runPrompt(const CommandRunner& run, std::istream& lines, std::ostream& out, std::ostream& errors);
