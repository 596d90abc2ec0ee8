#include "Device/DeviceRoot.h"
#include "Device/EventLog.h"
#include "Device/EventLogHost.h"
#include "Device/posix/EventLogFile.h"
#include "Device/posix/FileIO.h"

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

std::string& processRole() {
    static std::string role = program_invocation_short_name;
    return role;
}

void appendWord(std::string& line, std::string_view word) {
    if (word.empty())
        line += '_';
    for (const char c : word)
        line += EventLogFile::isWordCharacter(c) ? c : '_';
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

} // namespace

namespace EventLog {

void record(std::string_view kind, std::span<const Field> fields) {
    // Until a host chooses a device root, the root is this machine's own: its /var/log is not ours to fill.
    if (DeviceRoot::current() == "/")
        return;
    const auto line = formatLine(kind, fields);
    const auto path = EventLogFile::path();
    std::error_code error;
    std::filesystem::create_directories(path.parent_path(), error);
    // A writer that waited for the lock may find the file rotated away by another: it opens the fresh one.
    for (int attempt = 0; attempt < 3; ++attempt) {
        const auto file = EventLogFile::open(path, O_WRONLY | O_APPEND | O_CREAT);
        // One write per line, under an exclusive lock that every writer of the device takes: lines from
        // several processes never interleave, whatever their length.
        if (file.get() < 0 || ::flock(file.get(), LOCK_EX) != 0)
            return;
        if (!EventLogFile::isAt(file.get(), path))
            continue;
        struct stat info {};
        if (::fstat(file.get(), &info) != 0)
            return;
        const auto size = static_cast<std::uint64_t>(info.st_size);
        if (size > 0 && size + line.size() > rotationSize) {
            if (::rename(path.c_str(), EventLogFile::olderPath().c_str()) != 0)
                return;
            continue;
        }
        FileIO::writeAll(file.get(),
                         std::span(reinterpret_cast<const std::uint8_t*>(line.data()), line.size()));
        return;
    }
}

void setProcessRole(Badge<DeviceHost>, std::string_view role) {
    processRole() = role;
}

} // namespace EventLog
