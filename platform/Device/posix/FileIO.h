#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string_view>
#include <sys/types.h>
#include <unistd.h>
#include <vector>

// File access for the Foundation backends. Host paths are the host's own; device paths resolve below the
// device root, and neither ".." nor a symbolic link on the way leads out of it.
namespace FileIO {

// Owns a file descriptor; -1 when the open failed.
class FileDescriptor {
  public:
    explicit FileDescriptor(int fd) : _fd(fd) {}
    FileDescriptor(FileDescriptor&& other) noexcept : _fd(other.release()) {}
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    ~FileDescriptor() {
        if (_fd >= 0)
            ::close(_fd);
    }
    int get() const { return _fd; }
    int release() {
        const int fd = _fd;
        _fd = -1;
        return fd;
    }
    bool close() {
        const int fd = _fd;
        _fd = -1;
        return ::close(fd) == 0;
    }

  private:
    int _fd;
};

// Symbolic links followed while resolving one path, as the kernel allows.
inline constexpr int maximumLinks = 40;

// Writes every byte, going on after interrupted or partial writes.
bool writeAll(int fd, std::span<const std::uint8_t> bytes);

// Opens `relative` below the folder `folderFd` as if that folder were "/": "..", absolute symbolic links and
// relative ones all stay inside it. -1 with errno set on failure.
int openBelow(int folderFd, const std::filesystem::path& relative, int flags, mode_t mode = 0);

// A device path as the components below the root; ".." at the root stays there.
std::filesystem::path relativeDevicePath(std::string_view devicePath);

// The host path of a device path whose last component is taken as it is, not followed: what a rename onto
// the path, or a removal, acts on.
std::filesystem::path resolveKeepingName(std::string_view devicePath);

// Why a read gave no bytes.
enum class ReadStatus { read, missing, notRegularFile, tooLarge, failed };
struct ReadResult {
    ReadStatus status = ReadStatus::failed;
    int error = 0; // errno, for `failed`
    explicit operator bool() const { return status == ReadStatus::read; }
};

// The whole file into `bytes` (replacing what it held); never blocks on a pipe or a device. Reusing one
// buffer spares the allocator a round trip per read.
ReadResult readFile(const std::filesystem::path& path, std::size_t limit, std::vector<std::uint8_t>& bytes);
std::optional<std::vector<std::uint8_t>> readFile(const std::filesystem::path& path, std::size_t limit);
ReadResult readDeviceFile(std::string_view devicePath, std::size_t limit, std::vector<std::uint8_t>& bytes);

// The temporary file of an atomic write to `path`: "." + its name + "." + six characters, beside it.
bool isTemporaryFileOf(std::string_view fileName, std::string_view name);

// Writes through a temporary file in the same folder, fsync and rename, so that a reader sees either the old
// file or the new one. Creates missing parent folders. A symbolic link at the path is replaced, not followed.
bool writeDeviceFileAtomically(std::string_view devicePath, std::span<const std::uint8_t> bytes);
bool writeDeviceFile(std::string_view devicePath, std::span<const std::uint8_t> bytes);

} // namespace FileIO
