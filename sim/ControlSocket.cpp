#include "ControlSocket.h"

#include "Limits.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

// A request holds a command line and the client's folder; an answer may carry a whole event log.
constexpr std::size_t longestRequest = longestCommandLine + 4096;
constexpr std::size_t longestAnswer = std::size_t{1} << 30;
// A client that connects and then sends nothing does not hold the device up for longer than this.
constexpr std::chrono::seconds requestTimeout{5};

std::optional<sockaddr_un> socketAddress(const std::filesystem::path& path, std::string& error) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const auto text = path.string();
    if (text.size() >= sizeof address.sun_path) {
        error = "the socket path " + text + " is too long for a socket: choose a shorter device folder";
        return std::nullopt;
    }
    std::memcpy(address.sun_path, text.c_str(), text.size() + 1);
    return address;
}

bool writeAll(int connection, const char* bytes, std::size_t size) {
    while (size > 0) {
        const ssize_t written = ::send(connection, bytes, size, MSG_NOSIGNAL);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        bytes += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

bool readAll(int connection, char* bytes, std::size_t size) {
    while (size > 0) {
        const ssize_t count = ::recv(connection, bytes, size, 0);
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            return false;
        bytes += count;
        size -= static_cast<std::size_t>(count);
    }
    return true;
}

void appendNumber(std::string& frame, std::uint32_t number) {
    for (int shift = 24; shift >= 0; shift -= 8)
        frame.push_back(static_cast<char>((number >> shift) & 0xff));
}

std::uint32_t numberAt(std::string_view bytes) {
    std::uint32_t number = 0;
    for (int at = 0; at < 4; ++at)
        number = (number << 8) | static_cast<unsigned char>(bytes[static_cast<std::size_t>(at)]);
    return number;
}

bool writeFrame(int connection, const std::string& payload) {
    std::string frame;
    appendNumber(frame, static_cast<std::uint32_t>(payload.size()));
    frame += payload;
    return writeAll(connection, frame.data(), frame.size());
}

std::optional<std::string> readFrame(int connection, std::size_t longest, std::string& error) {
    char header[4];
    if (!readAll(connection, header, sizeof header)) {
        error = "the connection ended before a whole message came";
        return std::nullopt;
    }
    const std::size_t size = numberAt(std::string_view(header, sizeof header));
    if (size > longest) {
        error = "the message is longer than " + std::to_string(longest) + " bytes";
        return std::nullopt;
    }
    std::string payload(size, '\0');
    if (!readAll(connection, payload.data(), size)) {
        error = "the connection ended before a whole message came";
        return std::nullopt;
    }
    return payload;
}

} // namespace

void OwnedDescriptor::reset() {
    if (_descriptor >= 0)
        ::close(_descriptor);
    _descriptor = -1;
}

namespace ControlSocket {

std::filesystem::path runFolder(const std::filesystem::path& root) {
    return root / "var/run/orvane";
}

std::filesystem::path controlPath(const std::filesystem::path& root) {
    return runFolder(root) / "control.sock";
}

std::optional<OwnedDescriptor> connectTo(const std::filesystem::path& path, std::string& error) {
    const auto address = socketAddress(path, error);
    if (!address)
        return std::nullopt;
    OwnedDescriptor connection(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (!connection ||
        ::connect(connection.get(), reinterpret_cast<const sockaddr*>(&*address), sizeof *address) != 0) {
        error = "nothing listens at " + path.string() + ": " + std::strerror(errno);
        return std::nullopt;
    }
    return connection;
}

bool isStale(const std::filesystem::path& path) {
    struct stat status {};
    std::string error;
    return ::lstat(path.c_str(), &status) == 0 && S_ISSOCK(status.st_mode) && !connectTo(path, error);
}

std::optional<OwnedDescriptor> listenAt(const std::filesystem::path& path, std::string& error) {
    const auto address = socketAddress(path, error);
    if (!address)
        return std::nullopt;
    struct stat status {};
    if (::lstat(path.c_str(), &status) == 0) {
        if (!S_ISSOCK(status.st_mode)) {
            error = path.string() + " is not a socket of this device: remove it first";
            return std::nullopt;
        }
        if (!isStale(path)) {
            error = "a device already listens at " + path.string();
            return std::nullopt;
        }
        ::unlink(path.c_str());
    }
    OwnedDescriptor listening(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    // The socket is made without rights for others, so no other user ever can connect, even for a moment.
    const mode_t mask = ::umask(0177);
    const bool bound = listening && ::bind(listening.get(), reinterpret_cast<const sockaddr*>(&*address),
                                           sizeof *address) == 0;
    ::umask(mask);
    if (!bound || ::listen(listening.get(), 64) != 0) {
        error = "cannot listen at " + path.string() + ": " + std::strerror(errno);
        return std::nullopt;
    }
    return listening;
}

std::string encodeRequest(const DeviceRequest& request) {
    std::string payload = request.directory;
    payload.push_back('\0');
    for (const auto& word : request.words) {
        payload += word;
        payload.push_back('\0');
    }
    return payload;
}

std::optional<DeviceRequest> parseRequest(std::string_view payload, std::string& error) {
    if (payload.empty() || payload.back() != '\0' || payload[0] != '/') {
        error = "a malformed request: it needs an absolute folder and words, each ended by a zero byte";
        return std::nullopt;
    }
    if (payload.size() > longestRequest) {
        error = "the message is longer than " + std::to_string(longestRequest) + " bytes";
        return std::nullopt;
    }
    DeviceRequest request;
    std::size_t at = payload.find('\0');
    request.directory = payload.substr(0, at);
    std::size_t length = 0;
    for (++at; at < payload.size();) {
        const auto end = payload.find('\0', at);
        request.words.emplace_back(payload.substr(at, end - at));
        length += end - at + 1;
        at = end + 1;
    }
    if (length > longestCommandLine) {
        error = "the command is longer than " + std::to_string(longestCommandLine) + " bytes";
        return std::nullopt;
    }
    return request;
}

bool writeRequest(int connection, const DeviceRequest& request) {
    return writeFrame(connection, encodeRequest(request));
}

std::optional<DeviceRequest> readRequest(int connection, std::string& error) {
    const auto deadline = std::chrono::steady_clock::now() + requestTimeout;
    RequestReader reader;
    while (!reader.readFrom(connection)) {
        const auto left =
            std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        pollfd waiting = {connection, POLLIN, 0};
        if (left.count() <= 0 || (::poll(&waiting, 1, int(left.count())) < 0 && errno != EINTR)) {
            error = "the request did not come whole within " + std::to_string(requestTimeout.count()) +
                    " seconds";
            return std::nullopt;
        }
    }
    return reader.request(error);
}

bool RequestReader::readFrom(int connection) {
    constexpr std::size_t header = 4;
    while (!_done) {
        // Never more than the frame holds: what a client sends after it is not read.
        const std::size_t wanted =
            _bytes.size() < header ? header : header + numberAt(_bytes) - _bytes.size();
        if (_bytes.size() >= header && numberAt(_bytes) > longestRequest) {
            _error = "the message is longer than " + std::to_string(longestRequest) + " bytes";
            _done = true;
        } else if (_bytes.size() >= header && wanted == 0) {
            _done = true;
        } else {
            char chunk[16384];
            const ssize_t count = ::recv(connection, chunk, std::min(wanted, sizeof chunk), MSG_DONTWAIT);
            if (count < 0 && errno == EINTR)
                continue;
            if (count < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
                return false;
            if (count <= 0) {
                _error = "the connection ended before a whole message came";
                _done = true;
            } else {
                _bytes.append(chunk, static_cast<std::size_t>(count));
            }
        }
    }
    return true;
}

std::optional<DeviceRequest> RequestReader::request(std::string& error) const {
    if (!_done || !_error.empty()) {
        error = _done ? _error : "the request is not whole yet";
        return std::nullopt;
    }
    return parseRequest(std::string_view(_bytes).substr(4), error);
}

bool writeAnswer(int connection, const DeviceAnswer& answer) {
    // A client that stops reading its answer gives it up rather than holding the device.
    const timeval sendTimeout{requestTimeout.count(), 0};
    ::setsockopt(connection, SOL_SOCKET, SO_SNDTIMEO, &sendTimeout, sizeof sendTimeout);
    std::string payload;
    appendNumber(payload, static_cast<std::uint32_t>(answer.status));
    appendNumber(payload, static_cast<std::uint32_t>(answer.out.size()));
    payload += answer.out;
    payload += answer.errors;
    return writeFrame(connection, payload);
}

std::optional<DeviceAnswer> readAnswer(int connection, std::string& error) {
    const auto payload = readFrame(connection, longestAnswer, error);
    if (!payload)
        return std::nullopt;
    const std::size_t outSize = payload->size() >= 8 ? numberAt(std::string_view(*payload).substr(4)) : 0;
    if (payload->size() < 8 || outSize > payload->size() - 8) {
        error = "a malformed answer from the device";
        return std::nullopt;
    }
    return DeviceAnswer{static_cast<int>(numberAt(*payload)), payload->substr(8, outSize),
                        payload->substr(8 + outSize)};
}

std::optional<DeviceAnswer> exchange(const std::filesystem::path& path, const DeviceRequest& request,
                                     std::string& error) {
    const auto connection = connectTo(path, error);
    if (!connection)
        return std::nullopt;
    if (!writeRequest(connection->get(), request)) {
        error = "the device closed the connection";
        return std::nullopt;
    }
    return readAnswer(connection->get(), error);
}

} // namespace ControlSocket
