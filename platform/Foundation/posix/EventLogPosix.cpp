#include "Foundation/DeviceRoot.h"
#include "Foundation/EventLog.h"
#include "Foundation/EventLogHost.h"
#include "Foundation/posix/FileIO.h"

#include <cerrno>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::filesystem::path logPath() {
    return DeviceRoot::resolve(EventLog::devicePath);
}

std::string& processRole() {
    static std::string role = program_invocation_short_name;
    return role;
}

// Kinds, keys and roles are words of their own: anything else would let one event pass for another.
bool isWordCharacter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
           c == '_' || c == '-';
}

void appendWord(std::string& line, std::string_view word) {
    if (word.empty())
        line += '_';
    for (const char c : word)
        line += isWordCharacter(c) ? c : '_';
}

bool needsQuotes(std::string_view value) {
    if (value.empty())
        return true;
    for (const char c : value) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte <= ' ' || byte == 0x7f || c == '"' || c == '\\')
            return true;
    }
    return false;
}

void appendEscaped(std::string& line, char c) {
    static constexpr char hex[] = "0123456789abcdef";
    const auto byte = static_cast<unsigned char>(c);
    switch (c) {
    case '"':
    case '\\':
        line += '\\';
        line += c;
        return;
    case '\n':
        line += "\\n";
        return;
    case '\r':
        line += "\\r";
        return;
    case '\t':
        line += "\\t";
        return;
    default:
        if (byte < ' ' || byte == 0x7f) {
            line += "\\x";
            line += hex[byte >> 4];
            line += hex[byte & 0xf];
        } else {
            line += c;
        }
    }
}

void appendValue(std::string& line, std::string_view value) {
    if (!needsQuotes(value)) {
        line += value;
        return;
    }
    line += '"';
    for (const char c : value)
        appendEscaped(line, c);
    line += '"';
}

// UTC, to the microsecond, so that lines from several processes sort by time.
std::string timestamp() {
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    const auto micros = std::chrono::duration_cast<std::chrono::microseconds>(now).count();
    const std::time_t seconds = static_cast<std::time_t>(micros / 1000000);
    std::tm utc{};
    ::gmtime_r(&seconds, &utc);
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%06ldZ", utc.tm_year + 1900,
                  utc.tm_mon + 1, utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec,
                  static_cast<long>(micros % 1000000));
    return text;
}

std::string formatLine(std::string_view kind, std::span<const EventLog::Field> fields) {
    std::string line = timestamp();
    line += ' ';
    appendWord(line, processRole());
    line += '[' + std::to_string(::getpid()) + "] ";
    appendWord(line, kind);
    for (const auto& field : fields) {
        line += ' ';
        appendWord(line, field.key);
        line += '=';
        appendValue(line, field.value);
    }
    line += '\n';
    return line;
}

FileIO::FileDescriptor openLog(int flags) {
    return FileIO::FileDescriptor(::open(logPath().c_str(), flags | O_CLOEXEC, 0644));
}

// Reading a word ends at the first character that is not one; answers the word and moves past it.
std::string_view takeWord(std::string_view& text) {
    std::size_t length = 0;
    while (length < text.size() && isWordCharacter(text[length]))
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

void record(std::string_view kind, std::span<const Field> fields) {
    // Until a host chooses a device root, the root is this machine's own: its /var/log is not ours to fill.
    if (DeviceRoot::current() == "/")
        return;
    const auto line = formatLine(kind, fields);
    std::error_code error;
    std::filesystem::create_directories(logPath().parent_path(), error);
    const auto file = openLog(O_WRONLY | O_APPEND | O_CREAT);
    if (file.get() < 0)
        return;
    // One write per line, under an exclusive lock that every writer of the device takes: lines from several
    // processes never interleave, whatever their length.
    if (::flock(file.get(), LOCK_EX) != 0)
        return;
    FileIO::writeAll(file.get(), std::span(reinterpret_cast<const std::uint8_t*>(line.data()), line.size()));
}

void setProcessRole(std::string_view role) {
    processRole() = role;
}

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
    const auto file = openLog(O_RDONLY);
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
    const auto file = openLog(O_WRONLY);
    if (file.get() < 0)
        return errno == ENOENT;
    return ::flock(file.get(), LOCK_EX) == 0 && ::ftruncate(file.get(), 0) == 0;
}

} // namespace EventLog
