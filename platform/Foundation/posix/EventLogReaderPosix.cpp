#include "Foundation/EventLogHost.h"
#include "Foundation/posix/EventLogFile.h"

#include <cerrno>
#include <charconv>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Reading a word ends at the first character that is not one; answers the word and moves past it.
std::string_view takeWord(std::string_view& text) {
    std::size_t length = 0;
    while (length < text.size() && EventLogFile::isWordCharacter(text[length]))
        ++length;
    const auto word = text.substr(0, length);
    text.remove_prefix(length);
    return word;
}

bool takeEscape(std::string_view& text, std::string& value) {
    if (text.empty())
        return false;
    const char c = text.front();
    text.remove_prefix(1);
    switch (c) {
    case 'n':
        value += '\n';
        return true;
    case 'r':
        value += '\r';
        return true;
    case 't':
        value += '\t';
        return true;
    case 'x': {
        unsigned byte = 0;
        if (text.size() < 2 || std::from_chars(text.data(), text.data() + 2, byte, 16).ptr != text.data() + 2)
            return false;
        value += static_cast<char>(byte);
        text.remove_prefix(2);
        return true;
    }
    default:
        value += c;
        return c == '"' || c == '\\';
    }
}

std::optional<std::string> takeValue(std::string_view& text) {
    if (text.empty() || text.front() != '"') {
        const auto end = std::min(text.find(' '), text.size());
        std::string value(text.substr(0, end));
        text.remove_prefix(end);
        return value.empty() ? std::nullopt : std::optional(value);
    }
    std::string value;
    text.remove_prefix(1);
    while (!text.empty() && text.front() != '"') {
        const char c = text.front();
        text.remove_prefix(1);
        if (c != '\\')
            value += c;
        else if (!takeEscape(text, value))
            return std::nullopt;
    }
    if (text.empty())
        return std::nullopt;
    text.remove_prefix(1);
    return value;
}

bool parseFields(std::string_view text, EventLog::Event& event) {
    while (!text.empty()) {
        if (text.front() != ' ')
            return false;
        text.remove_prefix(1);
        const auto key = takeWord(text);
        if (key.empty() || text.empty() || text.front() != '=')
            return false;
        text.remove_prefix(1);
        auto value = takeValue(text);
        if (!value)
            return false;
        event.fields.emplace_back(key, std::move(*value));
    }
    return true;
}

bool parseProcess(std::string_view text, EventLog::Event& event) {
    const auto open = text.find('[');
    if (open == std::string_view::npos || open == 0 || text.back() != ']')
        return false;
    event.process = text.substr(0, open);
    const auto digits = text.substr(open + 1, text.size() - open - 2);
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), event.pid);
    return error == std::errc() && end == digits.data() + digits.size();
}

} // namespace

namespace EventLog {

const std::string* Event::field(std::string_view key) const {
    for (const auto& [name, value] : fields) {
        if (name == key)
            return &value;
    }
    return nullptr;
}

std::optional<Event> parseLine(std::string_view line) {
    Event event;
    const auto timeEnd = line.find(' ');
    const auto processEnd = timeEnd == std::string_view::npos ? timeEnd : line.find(' ', timeEnd + 1);
    if (processEnd == std::string_view::npos)
        return std::nullopt;
    event.time = line.substr(0, timeEnd);
    if (event.time.empty() || !parseProcess(line.substr(timeEnd + 1, processEnd - timeEnd - 1), event))
        return std::nullopt;
    auto rest = line.substr(processEnd + 1);
    event.body = rest;
    event.kind = takeWord(rest);
    if (event.kind.empty() || !parseFields(rest, event))
        return std::nullopt;
    return event;
}

std::string readLinesFrom(std::uint64_t& offset) {
    const auto file = EventLogFile::open(O_RDONLY);
    struct stat info {};
    if (file.get() < 0 || ::fstat(file.get(), &info) != 0)
        return {};
    // A log cleared since the last read starts again from its beginning.
    if (static_cast<std::uint64_t>(info.st_size) < offset)
        offset = 0;
    std::string text;
    char buffer[65536];
    for (;;) {
        const ssize_t count =
            ::pread(file.get(), buffer, sizeof buffer, static_cast<off_t>(offset + text.size()));
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            break;
        text.append(buffer, static_cast<std::size_t>(count));
    }
    text.resize(text.rfind('\n') + 1);
    offset += text.size();
    return text;
}

std::vector<Event> events() {
    std::uint64_t offset = 0;
    const auto text = readLinesFrom(offset);
    std::vector<Event> all;
    std::string_view rest = text;
    while (!rest.empty()) {
        const auto end = rest.find('\n');
        if (auto event = parseLine(rest.substr(0, end)))
            all.push_back(std::move(*event));
        rest.remove_prefix(end + 1);
    }
    return all;
}

bool clear() {
    const auto file = EventLogFile::open(O_WRONLY);
    if (file.get() < 0)
        return errno == ENOENT;
    return ::flock(file.get(), LOCK_EX) == 0 && ::ftruncate(file.get(), 0) == 0;
}

} // namespace EventLog
