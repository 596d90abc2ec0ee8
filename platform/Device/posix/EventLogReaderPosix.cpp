#include "Device/EventLogHost.h"
#include "Device/posix/EventLogFile.h"

#include <cerrno>
#include <charconv>
#include <cstring>
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

struct Reader::File {
    FileIO::FileDescriptor fd;
    std::uint64_t offset = 0;

    static std::unique_ptr<File> open(const std::filesystem::path& path) {
        auto fd = EventLogFile::open(path, O_RDONLY);
        if (fd.get() < 0)
            return nullptr;
        return std::unique_ptr<File>(new File{std::move(fd), 0});
    }
    std::uint64_t size() const {
        struct stat info {};
        return ::fstat(fd.get(), &info) == 0 ? static_cast<std::uint64_t>(info.st_size) : 0;
    }
};

namespace {

constexpr std::size_t firstBufferSize = 64 * 1024;

} // namespace

Reader::Reader()
    : _older(File::open(EventLogFile::olderPath())), _current(File::open(EventLogFile::path())),
      _buffer(firstBufferSize) {}

Reader::~Reader() = default;

std::optional<std::string_view> Reader::nextLine() {
    for (;;) {
        if (const auto line = takeLine())
            return line;
        if (!fill() && !moveOn())
            return std::nullopt;
    }
}

std::optional<std::string_view> Reader::takeLine() {
    while (_begin < _end) {
        const auto* start = _buffer.data() + _begin;
        const auto* newline = static_cast<const char*>(std::memchr(start, '\n', _end - _begin));
        if (!newline) {
            if (_skipping)
                _begin = _end;
            return std::nullopt;
        }
        const std::string_view line(start, static_cast<std::size_t>(newline - start));
        _begin += line.size() + 1;
        if (!_skipping)
            return line;
        _skipping = false;
    }
    return std::nullopt;
}

// Reads more of the file at hand into the buffer; false at its end.
bool Reader::fill() {
    File* file = _older ? _older.get() : _current.get();
    if (!file)
        return false;
    if (file->size() < file->offset) {
        file->offset = 0;
        _begin = _end = 0;
        _skipping = false;
    }
    if (_begin > 0) {
        std::memmove(_buffer.data(), _buffer.data() + _begin, _end - _begin);
        _end -= _begin;
        _begin = 0;
    }
    if (_end == _buffer.size()) {
        if (_buffer.size() < longestLine) {
            _buffer.resize(std::min(2 * _buffer.size(), longestLine));
        } else {
            _skipping = true;
            _end = 0;
        }
    }
    ssize_t count = -1;
    do
        count = ::pread(file->fd.get(), _buffer.data() + _end, _buffer.size() - _end,
                        static_cast<off_t>(file->offset));
    while (count < 0 && errno == EINTR);
    if (count <= 0)
        return false;
    _end += static_cast<std::size_t>(count);
    file->offset += static_cast<std::uint64_t>(count);
    return true;
}

// At the end of the file at hand: goes on to the next one when there is one. A partial line at the end of a
// finished file is never completed.
bool Reader::moveOn() {
    const auto path = EventLogFile::path();
    if (_older) {
        _older.reset();
    } else if (!_current) {
        _current = File::open(path);
        return _current != nullptr;
    } else if (EventLogFile::isAt(_current->fd.get(), path) || _current->size() > _current->offset) {
        // Still the log (or rotated with lines written before the rotation left to read).
        return false;
    } else {
        _current = File::open(path);
    }
    _begin = _end = 0;
    _skipping = false;
    if (!_current)
        _current = File::open(path);
    return _current != nullptr;
}

std::vector<Event> events() {
    std::vector<Event> all;
    Reader reader;
    while (const auto line = reader.nextLine()) {
        if (auto event = parseLine(*line))
            all.push_back(std::move(*event));
    }
    return all;
}

bool clear() {
    const auto file = EventLogFile::open(EventLogFile::path(), O_WRONLY);
    if (file.get() < 0 && errno != ENOENT)
        return false;
    if (file.get() >= 0 && (::flock(file.get(), LOCK_EX) != 0 || ::ftruncate(file.get(), 0) != 0))
        return false;
    return ::unlink(EventLogFile::olderPath().c_str()) == 0 || errno == ENOENT;
}

} // namespace EventLog
