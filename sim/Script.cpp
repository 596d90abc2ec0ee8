#include "Script.h"

#include "Limits.h"

#include <cerrno>
#include <cstring>
#include <ext/stdio_filebuf.h>
#include <fcntl.h>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace {

constexpr std::size_t longestEcho = 200;

// One line without its newline, read no further than longestCommandLine: a stream without line ends is
// never gathered whole.
LineRead readLine(std::istream& lines, std::string& line) {
    line.clear();
    auto* buffer = lines.rdbuf();
    for (;;) {
        const int c = buffer->sbumpc();
        if (c == std::char_traits<char>::eof())
            return line.empty() ? LineRead::end : LineRead::line;
        if (c == '\n')
            return LineRead::line;
        if (line.size() == longestCommandLine)
            return LineRead::tooLong;
        line.push_back(static_cast<char>(c));
    }
}

std::string tooLong() {
    return "the line is longer than " + std::to_string(longestCommandLine) + " bytes";
}

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
    std::optional<std::string> word;
    const auto unclosed = [&] {
        error = "a quote is not closed";
        return std::nullopt;
    };
    for (std::size_t at = 0; at < line.size(); ++at) {
        const char c = line[at];
        if (c == ' ' || c == '\t' || c == '\r') {
            if (word)
                words.push_back(*std::exchange(word, std::nullopt));
            continue;
        }
        if (c == '#' && !word)
            break;
        auto& text = word ? *word : word.emplace();
        if (c == '\\') {
            if (++at == line.size()) {
                error = "the line ends with a backslash";
                return std::nullopt;
            }
            text += line[at];
        } else if (c == '\'') {
            const auto close = line.find('\'', at + 1);
            if (close == std::string_view::npos)
                return unclosed();
            text += line.substr(at + 1, close - at - 1);
            at = close;
        } else if (c == '"') {
            for (++at; at < line.size() && line[at] != '"'; ++at) {
                if (line[at] == '\\' && at + 1 < line.size() &&
                    std::string_view("\"\\$`").find(line[at + 1]) != std::string_view::npos)
                    ++at;
                text += line[at];
            }
            if (at == line.size())
                return unclosed();
        } else {
            text += c;
        }
    }
    if (word)
        words.push_back(std::move(*word));
    return words;
}

std::string printable(std::string_view text) {
    static constexpr char hex[] = "0123456789abcdef";
    std::string shown;
    for (const char c : text.substr(0, longestEcho)) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < ' ' || byte == 0x7f) {
            shown += "\\x";
            shown += hex[byte >> 4];
            shown += hex[byte & 0xf];
        } else {
            shown += c;
        }
    }
    if (text.size() > longestEcho)
        shown += "...";
    return shown;
}

int runScript(const CommandRunner& run, std::istream& lines, std::string_view source, std::ostream& out,
              std::ostream& errors) {
    std::string line;
    for (int number = 1;; ++number) {
        const auto read = readLine(lines, line);
        if (read == LineRead::end)
            return 0;
        if (read == LineRead::tooLong) {
            errors << source << ":" << number << ": " << tooLong() << "\n" << std::flush;
            return 2;
        }
        std::ostringstream lineErrors;
        const int status = runLine(run, line, out, lineErrors);
        if (status != 0) {
            errors << source << ":" << number << ": " << printable(line) << "\n"
                   << lineErrors.str() << source << ": stopped at line " << number << " (status " << status
                   << "): nothing after it runs\n"
                   << std::flush;
            return status;
        }
        errors << lineErrors.str();
    }
}

int runScriptFile(const CommandRunner& run, const std::string& file, std::ostream& out,
                  std::ostream& errors) {
    const auto refuse = [&](const std::string& reason) {
        errors << "cannot run the script " << printable(file) << ": " << reason << "\n";
        return 2;
    };
    struct stat info {};
    if (::stat(file.c_str(), &info) != 0)
        return refuse(std::strerror(errno));
    if (!S_ISREG(info.st_mode) && !S_ISFIFO(info.st_mode))
        return refuse("it is neither a regular file nor a pipe");
    if (S_ISREG(info.st_mode) && static_cast<std::uint64_t>(info.st_size) > longestScript)
        return refuse("it is larger than " + std::to_string(longestScript / (1024 * 1024)) + " MiB");
    // A pipe waits for its writer as a pipe does; a regular file never waits.
    const int fd =
        ::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | (S_ISREG(info.st_mode) ? O_NONBLOCK : 0));
    if (fd < 0)
        return refuse(std::strerror(errno));
    __gnu_cxx::stdio_filebuf<char> buffer(fd, std::ios::in);
    char first = 0;
    // What poses as a regular file may refuse every read (/proc/self/mem): it is no script.
    if (::fstat(fd, &info) != 0 || (!S_ISREG(info.st_mode) && !S_ISFIFO(info.st_mode)))
        return refuse("it is neither a regular file nor a pipe");
    if (S_ISREG(info.st_mode) && ::pread(fd, &first, 1, 0) < 0)
        return refuse(std::strerror(errno));
    std::istream lines(&buffer);
    return runScript(run, lines, file, out, errors);
}

int runPrompt(const CommandRunner& run, const LineSource& lines, std::ostream& out, std::ostream& errors) {
    std::string line;
    for (;;) {
        const auto read = lines(line);
        if (read == LineRead::end)
            break;
        if (read == LineRead::line)
            runLine(run, line, out, errors);
        else
            errors << tooLong() << "\n";
    }
    out << "\n";
    return 0;
}

int runPrompt(const CommandRunner& run, std::istream& lines, std::ostream& out, std::ostream& errors) {
    const LineSource prompted = [&](std::string& line) {
        out << "orvane> " << std::flush;
        const auto read = readLine(lines, line);
        if (read == LineRead::tooLong)
            while (readLine(lines, line) == LineRead::tooLong) {
            }
        return read;
    };
    return runPrompt(run, prompted, out, errors);
}
