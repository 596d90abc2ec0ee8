#include "Foundation/posix/FileIO.h"

#include <cerrno>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

using FileIO::FileDescriptor;

namespace {

bool makeParentFolders(const std::filesystem::path& path) {
    std::error_code error;
    std::filesystem::create_directories(path.parent_path(), error);
    return !error;
}

void syncFolder(const std::filesystem::path& folder) {
    FileDescriptor fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.get() >= 0)
        ::fsync(fd.get());
}

} // namespace

namespace FileIO {

bool writeAll(int fd, std::span<const std::uint8_t> bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        bytes = bytes.subspan(static_cast<std::size_t>(written));
    }
    return true;
}

bool readFile(const std::filesystem::path& path, std::size_t limit, std::vector<std::uint8_t>& bytes) {
    FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    struct stat info {};
    if (fd.get() < 0 || ::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode))
        return false;
    if (static_cast<std::uint64_t>(info.st_size) > limit)
        return false;
    bytes.resize(static_cast<std::size_t>(info.st_size));
    std::size_t filled = 0;
    while (filled < bytes.size()) {
        const ssize_t count = ::read(fd.get(), bytes.data() + filled, bytes.size() - filled);
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0)
            return false;
        if (count == 0)
            break;
        filled += static_cast<std::size_t>(count);
    }
    bytes.resize(filled);
    return true;
}

std::optional<std::vector<std::uint8_t>> readFile(const std::filesystem::path& path, std::size_t limit) {
    std::vector<std::uint8_t> bytes;
    if (!readFile(path, limit, bytes))
        return std::nullopt;
    return bytes;
}

bool writeFileAtomically(const std::filesystem::path& path, std::span<const std::uint8_t> bytes) {
    if (!makeParentFolders(path))
        return false;
    std::string name = ".";
    name += path.filename().string();
    name += ".XXXXXX";
    std::string temporary = (path.parent_path() / name).string();
    FileDescriptor fd(::mkostemp(temporary.data(), O_CLOEXEC));
    if (fd.get() < 0)
        return false;
    const bool written = ::fchmod(fd.get(), 0644) == 0 && writeAll(fd.get(), bytes) && ::fsync(fd.get()) == 0;
    if (!fd.close() || !written || ::rename(temporary.c_str(), path.c_str()) != 0) {
        ::unlink(temporary.c_str());
        return false;
    }
    syncFolder(path.parent_path());
    return true;
}

bool writeFile(const std::filesystem::path& path, std::span<const std::uint8_t> bytes) {
    if (!makeParentFolders(path))
        return false;
    FileDescriptor fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
    return fd.get() >= 0 && writeAll(fd.get(), bytes) && fd.close();
}

} // namespace FileIO
