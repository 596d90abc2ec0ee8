#include "Device/DeviceRoot.h"

#include "Device/posix/FileIO.h"

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::filesystem::path fdPath(int fd) {
    char target[PATH_MAX];
    const ssize_t length = ::readlink(("/proc/self/fd/" + std::to_string(fd)).c_str(), target, sizeof target);
    return length > 0 ? std::filesystem::path(std::string(target, static_cast<std::size_t>(length)))
                      : std::filesystem::path();
}

class Resolver {
  public:
    Resolver(const std::filesystem::path& root, int rootFd) : _root(root), _rootFd(rootFd) {
        _realRoot = fdPath(rootFd);
    }

    std::optional<std::filesystem::path> resolve(const std::filesystem::path& relative) {
        if (relative.empty())
            return _root;
        FileIO::FileDescriptor whole(FileIO::openBelow(_rootFd, relative, O_PATH));
        if (whole.get() >= 0)
            return hostPath(whole.get());
        if (errno != ENOENT)
            return std::nullopt;
        // Something on the way is missing: resolve the part that exists, then look at the first missing name.
        const auto parent = relative.parent_path();
        auto resolvedParent = resolve(parent);
        if (!resolvedParent)
            return std::nullopt;
        FileIO::FileDescriptor folder(FileIO::openBelow(_rootFd, parent, O_PATH));
        struct stat info {};
        const auto name = relative.filename();
        if (folder.get() < 0 || ::fstatat(folder.get(), name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0 ||
            !S_ISLNK(info.st_mode))
            return *resolvedParent / name;
        // A link to something missing leads where the link says, read as inside the device.
        if (++_links > FileIO::maximumLinks)
            return std::nullopt;
        char target[PATH_MAX];
        const ssize_t length = ::readlinkat(folder.get(), name.c_str(), target, sizeof target);
        if (length <= 0)
            return std::nullopt;
        const std::string_view link(target, static_cast<std::size_t>(length));
        return resolve(
            FileIO::relativeDevicePath(link.front() == '/' ? std::string(link) : (parent / link).string()));
    }

  private:
    std::filesystem::path hostPath(int fd) const {
        using DeviceRoot::unresolvable;
        const auto below = fdPath(fd).lexically_relative(_realRoot);
        if (below.empty() || *below.begin() == "..")
            return unresolvable / below.relative_path();
        return below == "." ? _root : _root / below;
    }

    const std::filesystem::path& _root;
    int _rootFd;
    std::filesystem::path _realRoot;
    int _links = 0;
};

} // namespace

namespace DeviceRoot {

std::filesystem::path resolve(std::string_view devicePath) {
    const auto relative = FileIO::relativeDevicePath(devicePath);
    FileIO::FileDescriptor rootFd(::open(current().c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    // A device whose root does not exist yet holds no links to follow.
    if (rootFd.get() < 0)
        return current() / relative;
    if (auto resolved = Resolver(current(), rootFd.get()).resolve(relative))
        return *resolved;
    return unresolvable / relative;
}

} // namespace DeviceRoot
