#include "Device/posix/FileIO.h"

#include "Device/DeviceRoot.h"

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <linux/openat2.h>
#include <string>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>
#include <vector>

namespace {

using FileIO::FileDescriptor;

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

FileIO::ReadResult failure(FileIO::ReadStatus status, int error = 0) {
    return {status, error};
}

FileIO::ReadResult readOpened(int fd, std::size_t limit, std::vector<std::uint8_t>& bytes) {
    if (fd < 0)
        return failure(errno == ENOENT ? FileIO::ReadStatus::missing : FileIO::ReadStatus::failed, errno);
    struct stat info {};
    if (::fstat(fd, &info) != 0)
        return failure(FileIO::ReadStatus::failed, errno);
    if (!S_ISREG(info.st_mode))
        return failure(FileIO::ReadStatus::notRegularFile);
    if (static_cast<std::uint64_t>(info.st_size) > limit)
        return failure(FileIO::ReadStatus::tooLarge);
    bytes.resize(static_cast<std::size_t>(info.st_size));
    std::size_t filled = 0;
    while (filled < bytes.size()) {
        const ssize_t count = ::read(fd, bytes.data() + filled, bytes.size() - filled);
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0)
            return failure(FileIO::ReadStatus::failed, errno);
        if (count == 0)
            break;
        filled += static_cast<std::size_t>(count);
    }
    bytes.resize(filled);
    return {FileIO::ReadStatus::read, 0};
}

bool& componentWalkForced() {
    static bool forced = false;
    return forced;
}

// What openat2 with RESOLVE_IN_ROOT does, one component at a time: each folder on the way is opened with
// O_NOFOLLOW, a link is read and its target walked instead ("/" being the folder `rootFd`), ".." stops at
// that folder. A link swapped in between the look and the open makes the open fail, never escape.
int openByWalking(int rootFd, const std::filesystem::path& relative, int flags, mode_t mode) {
    std::vector<FileDescriptor> folders; // below the root, innermost last
    std::vector<std::string> names;      // still to walk, the next one last
    for (const auto& name : relative)
        names.insert(names.begin(), name.string());
    const auto folder = [&] { return folders.empty() ? rootFd : folders.back().get(); };
    int links = 0;
    while (!names.empty()) {
        const std::string name = std::move(names.back());
        names.pop_back();
        if (name.empty() || name == "." || name == "/")
            continue;
        if (name == "..") {
            if (!folders.empty())
                folders.pop_back();
            continue;
        }
        const bool last = names.empty();
        struct stat info {};
        const bool isLink =
            ::fstatat(folder(), name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(info.st_mode);
        if (isLink && !(last && (flags & O_NOFOLLOW))) {
            if (++links > FileIO::maximumLinks) {
                errno = ELOOP;
                return -1;
            }
            char target[PATH_MAX];
            const ssize_t length = ::readlinkat(folder(), name.c_str(), target, sizeof target);
            if (length <= 0)
                return -1;
            const std::filesystem::path link(std::string(target, static_cast<std::size_t>(length)));
            if (link.is_absolute())
                folders.clear();
            std::vector<std::string> inLink;
            for (const auto& part : link.relative_path())
                inLink.insert(inLink.begin(), part.string());
            names.insert(names.end(), inLink.begin(), inLink.end());
            continue;
        }
        if (last)
            return ::openat(folder(), name.c_str(), flags | O_NOFOLLOW | O_CLOEXEC, mode);
        FileDescriptor next(::openat(folder(), name.c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        if (next.get() < 0)
            return -1;
        folders.push_back(std::move(next));
    }
    // The root itself, or a folder the walk ended in.
    return ::openat(folder(), ".", flags | O_CLOEXEC, mode);
}

} // namespace

namespace DeviceRoot {

void forceComponentWalk(Badge<DeviceHost>, bool forced) {
    componentWalkForced() = forced;
}

} // namespace DeviceRoot

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

int openBelow(int folderFd, const std::filesystem::path& relative, int flags, mode_t mode) {
    if (componentWalkForced())
        return openByWalking(folderFd, relative, flags, mode);
    open_how how{};
    how.flags = static_cast<std::uint64_t>(flags | O_CLOEXEC);
    how.mode = (flags & O_CREAT) ? mode : 0;
    how.resolve = RESOLVE_IN_ROOT | RESOLVE_NO_MAGICLINKS;
    const char* path = relative.empty() ? "." : relative.c_str();
    long fd = -1;
    do
        fd = ::syscall(SYS_openat2, folderFd, path, &how, sizeof how);
    while (fd < 0 && errno == EAGAIN);
    if (fd < 0 && errno == ENOSYS) {
        componentWalkForced() = true;
        return openByWalking(folderFd, relative, flags, mode);
    }
    return static_cast<int>(fd);
}

std::filesystem::path relativeDevicePath(std::string_view devicePath) {
    return (std::filesystem::path("/") / devicePath).lexically_normal().relative_path();
}

std::filesystem::path resolveKeepingName(std::string_view devicePath) {
    const auto relative = relativeDevicePath(devicePath);
    if (relative.empty())
        return DeviceRoot::resolve("/");
    return DeviceRoot::resolve(("/" / relative.parent_path()).native()) / relative.filename();
}

ReadResult readFile(const std::filesystem::path& path, std::size_t limit, std::vector<std::uint8_t>& bytes) {
    FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    return readOpened(fd.get(), limit, bytes);
}

std::optional<std::vector<std::uint8_t>> readFile(const std::filesystem::path& path, std::size_t limit) {
    std::vector<std::uint8_t> bytes;
    if (!readFile(path, limit, bytes))
        return std::nullopt;
    return bytes;
}

ReadResult readDeviceFile(std::string_view devicePath, std::size_t limit, std::vector<std::uint8_t>& bytes) {
    FileDescriptor root(::open(DeviceRoot::current().c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (root.get() < 0)
        return readOpened(-1, limit, bytes);
    FileDescriptor fd(openBelow(root.get(), relativeDevicePath(devicePath), O_RDONLY | O_NONBLOCK));
    return readOpened(fd.get(), limit, bytes);
}

bool isTemporaryFileOf(std::string_view fileName, std::string_view name) {
    constexpr std::size_t uniquePart = 6;
    return fileName.size() == name.size() + 2 + uniquePart && fileName.front() == '.' &&
           fileName.substr(1, name.size()) == name && fileName[name.size() + 1] == '.';
}

bool writeDeviceFileAtomically(std::string_view devicePath, std::span<const std::uint8_t> bytes) {
    const auto path = resolveKeepingName(devicePath);
    if (!makeParentFolders(path))
        return false;
    std::string temporary = (path.parent_path() / ("." + path.filename().string() + ".XXXXXX")).string();
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

bool writeDeviceFile(std::string_view devicePath, std::span<const std::uint8_t> bytes) {
    const auto path = resolveKeepingName(devicePath);
    if (!makeParentFolders(path))
        return false;
    FileDescriptor fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0644));
    return fd.get() >= 0 && writeAll(fd.get(), bytes) && fd.close();
}

} // namespace FileIO
