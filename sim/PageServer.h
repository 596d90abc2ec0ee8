#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

// The device page's server: HTTP for the page's own files and a WebSocket for each open page, on 127.0.0.1
// only, turning on the main run loop (libwebsockets on the platform's libuv loop). Every request carries the
// token made at start (in the printed URL, then in a cookie the browser keeps for this origin only); its Host
// must be this server and its Origin, where it has one, this page, so that another page open in the same
// browser cannot drive the device. Requests, messages and what waits for a slow reader are bounded.
class PageServer {
  public:
    using Client = std::uint64_t;

    struct Limits {
        // A text message from the page: an action and its few numbers or names.
        std::size_t textMessage = 16 * 1024;
        // A picture for the camera, sent as one binary message: what `camera show` takes.
        std::size_t upload = 64u * 1024 * 1024;
        // Pages open at once; more are refused with 503.
        std::size_t clients = 8;
        // Text messages waiting for a client; past that it is dropped as one that reads nothing.
        std::size_t queuedBytes = 8u * 1024 * 1024;
    };

    // What the device does with what the page sends. Each runs on the main thread, inside a turn of the
    // run loop.
    struct Handlers {
        std::function<void(Client)> opened;
        std::function<void(Client, std::string_view)> message;
        // A binary message, saved whole to `file` (which the handler may remove).
        std::function<void(Client, const std::filesystem::path& file)> upload;
    };

    // Listens at 127.0.0.1:`port` (0: a free port the system chooses), serving the files of `pageFolder` and
    // saving uploads in `uploadFolder`. Nothing, with the reason, when it cannot.
    static std::unique_ptr<PageServer> start(std::uint16_t port, const std::filesystem::path& pageFolder,
                                             const std::filesystem::path& uploadFolder, Handlers handlers,
                                             Limits limits, std::string& error);
    ~PageServer();
    PageServer(const PageServer&) = delete;
    PageServer& operator=(const PageServer&) = delete;

    int port() const;
    // The address to open, with the token.
    std::string url() const;
    std::size_t clientCount() const;

    void send(Client client, std::string text);
    void broadcast(const std::string& text);
    // A client that has not taken the previous picture yet gets only this one.
    void broadcastPicture(std::shared_ptr<const std::string> png);

    struct State;

  private:
    explicit PageServer(std::unique_ptr<State> state);
    std::unique_ptr<State> _state;
};
