#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// A file descriptor this process owns, closed with it.
class OwnedDescriptor {
  public:
    OwnedDescriptor() = default;
    explicit OwnedDescriptor(int descriptor) : _descriptor(descriptor) {}
    ~OwnedDescriptor() { reset(); }
    OwnedDescriptor(OwnedDescriptor&& other) noexcept : _descriptor(std::exchange(other._descriptor, -1)) {}
    OwnedDescriptor& operator=(OwnedDescriptor&& other) noexcept {
        if (this != &other) {
            reset();
            _descriptor = std::exchange(other._descriptor, -1);
        }
        return *this;
    }
    int get() const { return _descriptor; }
    explicit operator bool() const { return _descriptor >= 0; }
    void reset();

  private:
    int _descriptor = -1;
};

// What a client asks of the booted device: the words of one command and the folder it runs in, so that the
// files the command names are the client's.
struct DeviceRequest {
    std::string directory;
    std::vector<std::string> words;
};

// What the command printed on its output and on its errors, and its exit status.
struct DeviceAnswer {
    int status = 0;
    std::string out;
    std::string errors;
};

// The control sockets of a booted device: UNIX stream sockets in the device root's run folder, mode 0600, one
// request and one answer per connection, each a length-prefixed frame.
namespace ControlSocket {

// The folder of the device's sockets and lock below its root.
std::filesystem::path runFolder(const std::filesystem::path& root);
std::filesystem::path controlPath(const std::filesystem::path& root);

// A socket listening at `path`, readable and writable by this user only. A socket left there by a process
// that died is cleared; a live one, or a file that is no socket, is refused with the reason.
std::optional<OwnedDescriptor> listenAt(const std::filesystem::path& path, std::string& error);
// A connection to the socket at `path`; nothing, with the reason, when nothing listens there.
std::optional<OwnedDescriptor> connectTo(const std::filesystem::path& path, std::string& error);
// Whether a socket at `path` is one that nothing listens at any more (a device that died left it).
bool isStale(const std::filesystem::path& path);

// A request as its frame carries it: the folder, then each word, each ended by a zero byte.
std::string encodeRequest(const DeviceRequest& request);
// The request a frame carries; nothing, with the reason, for a malformed one (no absolute folder, a word not
// ended) or one longer than a command line may be.
std::optional<DeviceRequest> parseRequest(std::string_view payload, std::string& error);

bool writeRequest(int connection, const DeviceRequest& request);
// The request of a connection; nothing, with the reason, for a malformed one, one longer than a command line
// may be, or a client that sends nothing in time.
std::optional<DeviceRequest> readRequest(int connection, std::string& error);
// A request read as its bytes come, so that a client that sends slowly or not at all holds up no other.
class RequestReader {
  public:
    // Takes what the connection holds now, without waiting; true once the request is whole or cannot be.
    bool readFrom(int connection);
    // The whole request; nothing, with the reason, for one that failed (or is not whole yet).
    std::optional<DeviceRequest> request(std::string& error) const;

  private:
    std::string _bytes;
    std::string _error;
    bool _done = false;
};
bool writeAnswer(int connection, const DeviceAnswer& answer);
std::optional<DeviceAnswer> readAnswer(int connection, std::string& error);

// One request and its answer over a new connection; nothing, with the reason, when the exchange fails.
std::optional<DeviceAnswer> exchange(const std::filesystem::path& path, const DeviceRequest& request,
                                     std::string& error);

} // namespace ControlSocket
