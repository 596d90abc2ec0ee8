#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <unistd.h>
#include <vector>

// File access for the Foundation backends. Paths here are host paths, already resolved below the device root.
namespace FileIO {

// Owns a file descriptor; -1 when the open failed.
class FileDescriptor {
  public:
    explicit FileDescriptor(int fd) : _fd(fd) {}
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    ~FileDescriptor() {
        if (_fd >= 0)
            ::close(_fd);
    }
    int get() const { return _fd; }
    bool close() {
        const int fd = _fd;
        _fd = -1;
        return ::close(fd) == 0;
    }

  private:
    int _fd;
};

// Writes every byte, going on after interrupted or partial writes.
bool writeAll(int fd, std::span<const std::uint8_t> bytes);

// The whole file into `bytes` (replacing what it held), or false when the file is missing, unreadable, not a
// regular file or larger than `limit`. Reusing one buffer spares the allocator a round trip per read.
bool readFile(const std::filesystem::path& path, std::size_t limit, std::vector<std::uint8_t>& bytes);
std::optional<std::vector<std::uint8_t>> readFile(const std::filesystem::path& path, std::size_t limit);

// Writes through a temporary file in the same folder, fsync and rename, so that a reader sees either the old
// file or the new one. Creates missing parent folders.
bool writeFileAtomically(const std::filesystem::path& path, std::span<const std::uint8_t> bytes);

bool writeFile(const std::filesystem::path& path, std::span<const std::uint8_t> bytes);

} // namespace FileIO
