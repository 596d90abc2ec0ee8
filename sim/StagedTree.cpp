#include "StagedTree.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace StagedTree {

std::optional<std::string> makeFolders(const std::filesystem::path& path) {
    std::vector<std::filesystem::path> missing;
    struct stat status;
    // "a/b/" and "a/b/." name the folder "a/b".
    const auto normal = path.lexically_normal();
    for (auto folder = normal.has_filename() ? normal : normal.parent_path();
         !folder.empty() && ::lstat(folder.c_str(), &status) != 0; folder = folder.parent_path())
        missing.push_back(folder);
    for (auto folder = missing.rbegin(); folder != missing.rend(); ++folder) {
        // The process's umask must not decide what lands on the device.
        if (::mkdir(folder->c_str(), 0755) != 0 || ::chmod(folder->c_str(), 0755) != 0)
            return "cannot make " + folder->string() + ": " + writeProblem(errno);
    }
    return std::nullopt;
}

int makeFile(const std::filesystem::path& path, bool module, std::string& problem) {
    if (auto folders = makeFolders(path.parent_path())) {
        problem = std::move(*folders);
        return -1;
    }
    const int fd =
        ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, module ? 0755 : 0644);
    if (fd < 0)
        problem = "cannot make " + path.string() + ": " + writeProblem(errno);
    else if (::fchmod(fd, module ? 0755 : 0644) != 0)
        problem = "cannot set the mode of " + path.string() + ": " + std::strerror(errno);
    else
        return fd;
    if (fd >= 0)
        ::close(fd);
    return -1;
}

std::optional<std::string> writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return writeProblem(written < 0 ? errno : ENOSPC);
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return std::nullopt;
}

std::string writeProblem(int error) {
    if (error == ENOSPC || error == EDQUOT)
        return "the device's disk is full";
    return std::strerror(error);
}

} // namespace StagedTree
