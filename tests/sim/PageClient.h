#pragma once

#include <arpa/inet.h>
#include <cctype>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <netinet/in.h>
#include <optional>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <unistd.h>
#include <utility>

// A raw client of the device page's server for tests: it says exactly the bytes a test gives, malformed or
// hostile, and reads what comes back.
class PageClient {
  public:
    explicit PageClient(int port) {
        _socket = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<std::uint16_t>(port));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (::connect(_socket, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
            ::close(_socket);
            _socket = -1;
        }
    }
    ~PageClient() {
        if (_socket >= 0)
            ::close(_socket);
    }
    PageClient(const PageClient&) = delete;
    PageClient& operator=(const PageClient&) = delete;

    bool connected() const { return _socket >= 0; }

    bool say(const std::string& bytes) {
        std::size_t sent = 0;
        while (sent < bytes.size()) {
            const auto written = ::send(_socket, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
            if (written <= 0)
                return false;
            sent += static_cast<std::size_t>(written);
        }
        return true;
    }

    // What arrives until the server closes, `until` appears in it, or the time runs out.
    std::string read(std::chrono::milliseconds timeout = std::chrono::milliseconds(20000),
                     const std::string& until = {}) {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        while (std::chrono::steady_clock::now() < deadline) {
            if (!until.empty() && _received.find(until) != std::string::npos)
                break;
            pollfd entry{_socket, POLLIN, 0};
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            if (::poll(&entry, 1, static_cast<int>(std::max<long>(left.count(), 1))) <= 0)
                continue;
            char buffer[65536];
            const auto count = ::recv(_socket, buffer, sizeof buffer, 0);
            if (count <= 0) {
                _closed = true;
                break;
            }
            _received.append(buffer, static_cast<std::size_t>(count));
        }
        return _received;
    }
    bool closed() const { return _closed; }

    // One HTTP response: its head, then as many bytes as its Content-Length says (or until the server
    // closes, or the time runs out).
    std::string readResponse(std::chrono::milliseconds timeout = std::chrono::milliseconds(20000)) {
        read(timeout, "\r\n\r\n");
        const auto headEnd = _received.find("\r\n\r\n");
        if (headEnd == std::string::npos)
            return _received;
        std::string head = _received.substr(0, headEnd);
        for (auto& c : head)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        const auto length = head.find("content-length:");
        if (length == std::string::npos)
            return read(timeout);
        const auto body = std::strtoull(head.c_str() + length + 15, nullptr, 10);
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        while (_received.size() < headEnd + 4 + body && !_closed &&
               std::chrono::steady_clock::now() < deadline)
            read(std::chrono::milliseconds(50));
        return _received;
    }
    void forget() { _received.clear(); }

    // The status code of the first response line ("HTTP/1.1 403 ..."), or 0.
    static int status(const std::string& response) {
        if (!response.starts_with("HTTP/1."))
            return 0;
        return std::atoi(response.c_str() + 9);
    }

    // A GET with these headers (each ending in CRLF), answered whole.
    static std::string get(int port, const std::string& target, const std::string& headers) {
        PageClient client(port);
        client.say("GET " + target + " HTTP/1.1\r\n" + headers + "Connection: close\r\n\r\n");
        return client.readResponse();
    }

    // The opening handshake of the page's socket, from `origin` with `cookie`.
    static std::string upgrade(int port, const std::string& origin, const std::string& cookie,
                               const std::string& path = "/socket") {
        std::string request = "GET " + path + " HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(port) +
                              "\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n"
                              "Sec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\nSec-WebSocket-Version: 13\r\n";
        if (!origin.empty())
            request += "Origin: " + origin + "\r\n";
        if (!cookie.empty())
            request += "Cookie: " + cookie + "\r\n";
        return request + "\r\n";
    }

    // A client's frame: masked, as clients must send them; `opcode` 1 text, 2 binary; `final` false for a
    // fragment that more follow (opcode 0).
    static std::string frame(const std::string& payload, int opcode = 1, bool final = true) {
        std::string bytes;
        bytes += static_cast<char>((final ? 0x80 : 0) | opcode);
        const std::uint64_t size = payload.size();
        if (size < 126) {
            bytes += static_cast<char>(0x80 | size);
        } else if (size < 65536) {
            bytes += static_cast<char>(0x80 | 126);
            bytes += static_cast<char>(size >> 8);
            bytes += static_cast<char>(size & 0xff);
        } else {
            bytes += static_cast<char>(0x80 | 127);
            for (int shift = 56; shift >= 0; shift -= 8)
                bytes += static_cast<char>((size >> shift) & 0xff);
        }
        const char mask[4] = {0x11, 0x22, 0x33, 0x44};
        bytes.append(mask, 4);
        for (std::size_t index = 0; index < payload.size(); ++index)
            bytes += static_cast<char>(payload[index] ^ mask[index % 4]);
        return bytes;
    }

  private:
    int _socket = -1;
    std::string _received;
    bool _closed = false;
};
