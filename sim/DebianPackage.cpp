#include "DebianPackage.h"

#include "Device/DeviceRoot.h"
#include "Device/EventLog.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

constexpr std::string_view sectionBundle = "Library/Caddex/Bundles/OrvaneCC.bundle";
constexpr std::string_view paneBundle = "Library/PreferenceBundles/OrvanePrefs.bundle";
constexpr std::string_view entryPlist = "Library/PreferenceLoader/Preferences/Orvane.plist";
constexpr std::string_view foldersOnTheWay[] = {
    "Library",
    "Library/Caddex",
    "Library/Caddex/Bundles",
    "Library/PreferenceBundles",
    "Library/PreferenceLoader",
    "Library/PreferenceLoader/Preferences",
};
// What a package of ours cannot lack.
constexpr std::string_view requiredFiles[] = {
    "Library/Caddex/Bundles/OrvaneCC.bundle/Info.plist",
    "Library/PreferenceBundles/OrvanePrefs.bundle/Info.plist",
    entryPlist,
};

bool inside(std::string_view path, std::string_view folder) {
    return path == folder ||
           (path.starts_with(folder) && path.size() > folder.size() && path[folder.size()] == '/');
}

// The pieces of `text` between separators. (Clang 14 cannot compile libstdc++ 12's views::split over a
// character.)
std::vector<std::string_view> pieces(std::string_view text, char separator) {
    std::vector<std::string_view> result;
    for (std::size_t start = 0;;) {
        const auto end = text.find(separator, start);
        result.push_back(text.substr(start, end == std::string_view::npos ? end : end - start));
        if (end == std::string_view::npos)
            return result;
        start = end + 1;
    }
}

bool plainComponents(std::string_view path) {
    for (const auto name : pieces(path, '/')) {
        if (name.empty() || name == "." || name == "..")
            return false;
    }
    return true;
}

struct ProgramRun {
    int status = -1;
    std::string output; // standard output, unless it went to a file, and standard error
};

// Runs the program without a shell, waiting for it; its standard input is empty.
ProgramRun run(const std::vector<std::string>& arguments, const std::filesystem::path& standardOutput = {}) {
    ProgramRun result;
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0)
        return {-1, std::strerror(errno)};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    if (standardOutput.empty())
        posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
    else
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, standardOutput.c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDERR_FILENO);
    std::vector<char*> argv;
    for (const auto& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    pid_t pid = -1;
    const int spawned = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(fds[1]);
    char buffer[4096];
    for (;;) {
        const ssize_t count = ::read(fds[0], buffer, sizeof buffer);
        if (count > 0)
            result.output.append(buffer, static_cast<std::size_t>(count));
        else if (count == 0 || errno != EINTR)
            break;
    }
    ::close(fds[0]);
    if (spawned != 0)
        return {-1, arguments[0] + ": " + std::strerror(spawned)};
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

// The program's message on one line.
std::string oneLine(std::string text) {
    while (!text.empty() && text.back() == '\n')
        text.pop_back();
    std::ranges::replace(text, '\n', ' ');
    return text;
}

// A private folder that goes away with the object.
class ScratchFolder {
  public:
    ScratchFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "orvane-package-XXXXXX").string();
        if (::mkdtemp(pattern.data()))
            _path = pattern;
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    ~ScratchFolder() {
        std::error_code ignored;
        if (!_path.empty())
            std::filesystem::remove_all(_path, ignored);
    }
    const std::filesystem::path& path() const { return _path; }

  private:
    std::filesystem::path _path;
};

// The value of each "Name: value" line of dpkg-deb's answer, by name.
std::string fieldOf(const std::string& fields, std::string_view name) {
    for (const auto text : pieces(fields, '\n')) {
        if (text.starts_with(name) && text.substr(name.size()).starts_with(": "))
            return std::string(text.substr(name.size() + 2));
    }
    return {};
}

// Why the unpacked tree is not what a package of ours holds; it counts the files.
std::optional<std::string> checkUnpacked(const std::filesystem::path& root, std::size_t& files) {
    std::error_code error;
    for (std::filesystem::recursive_directory_iterator entry(root, error), end; !error && entry != end;
         entry.increment(error)) {
        const std::string member = "./" + entry->path().lexically_relative(root).string();
        const auto type = entry->symlink_status(error).type();
        if (type != std::filesystem::file_type::directory && type != std::filesystem::file_type::regular)
            return "\"" + member + "\" is neither a folder nor a plain file";
        if (const auto outside = memberOutsideLayout(member))
            return outside;
        files += type == std::filesystem::file_type::regular;
    }
    if (error)
        return "its unpacked files cannot be read: " + error.message();
    for (const auto required : requiredFiles) {
        if (!std::filesystem::is_regular_file(root / required))
            return "it lacks " + std::string(required);
    }
    return std::nullopt;
}

// Why the package's listing has a member outside the layout; the listing is what tar would unpack.
std::optional<std::string> checkListing(const std::string& listing) {
    for (const auto member : pieces(listing, '\n')) {
        if (member.empty())
            continue;
        if (auto outside = memberOutsideLayout(member))
            return outside;
    }
    return std::nullopt;
}

std::optional<std::string> copyIntoDevice(const std::filesystem::path& unpacked) {
    std::error_code error;
    for (const auto bundle : {sectionBundle, paneBundle}) {
        const auto to = DeviceRoot::resolve("/" + std::string(bundle));
        std::filesystem::remove_all(to, error);
        if (!error)
            std::filesystem::create_directories(to.parent_path(), error);
        if (!error)
            std::filesystem::copy(unpacked / bundle, to, std::filesystem::copy_options::recursive, error);
        if (error)
            return "cannot write " + std::string(bundle) + ": " + error.message();
    }
    const auto to = DeviceRoot::resolve("/" + std::string(entryPlist));
    std::filesystem::create_directories(to.parent_path(), error);
    if (!error)
        std::filesystem::copy_file(unpacked / entryPlist, to,
                                   std::filesystem::copy_options::overwrite_existing, error);
    if (error)
        return "cannot write " + std::string(entryPlist) + ": " + error.message();
    return std::nullopt;
}

PackageInstall refused(std::string reason) {
    PackageInstall result;
    result.refusal = std::move(reason);
    return result;
}

// Everything up to the device: the package read, listed, unpacked and checked in a scratch folder.
PackageInstall unpackAndCheck(const std::filesystem::path& package, const std::filesystem::path& scratch) {
    const std::string file = package.string();
    const auto fields = run({"dpkg-deb", "--field", file, "Package", "Version"});
    if (fields.status != 0)
        return refused("dpkg-deb cannot read it: " + oneLine(fields.output));
    if (const auto name = fieldOf(fields.output, "Package"); name != orvanePackageName)
        return refused("it is not Orvane's package (Package: " + name + ")");
    const auto archive = scratch / "data.tar";
    if (const auto tarfile = run({"dpkg-deb", "--fsys-tarfile", file}, archive); tarfile.status != 0)
        return refused("dpkg-deb cannot read it whole: " + oneLine(tarfile.output));
    const auto listing = run({"tar", "--list", "--file", archive.string()});
    if (listing.status != 0)
        return refused("its files cannot be listed: " + oneLine(listing.output));
    if (const auto outside = checkListing(listing.output))
        return refused(*outside);
    const auto root = scratch / "root";
    if (const auto extract = run({"dpkg-deb", "--extract", file, root.string()}); extract.status != 0)
        return refused("dpkg-deb cannot unpack it: " + oneLine(extract.output));
    PackageInstall checked;
    checked.version = fieldOf(fields.output, "Version");
    if (const auto problem = checkUnpacked(root, checked.files))
        return refused(*problem);
    return checked;
}

} // namespace

std::optional<std::string> memberOutsideLayout(std::string_view member) {
    std::string_view path = member;
    if (path == "." || path == "./")
        return std::nullopt;
    if (!path.starts_with("./"))
        return "\"" + std::string(member) + "\" is not below the package's root";
    path.remove_prefix(2);
    if (path.ends_with('/'))
        path.remove_suffix(1);
    if (!plainComponents(path))
        return "\"" + std::string(member) + "\" is not a plain path";
    if (std::ranges::find(foldersOnTheWay, path) != std::end(foldersOnTheWay) || path == entryPlist ||
        inside(path, sectionBundle) || inside(path, paneBundle))
        return std::nullopt;
    return "\"" + std::string(member) + "\" lies outside Orvane's layout";
}

PackageInstall installPackage(const std::filesystem::path& package) {
    const std::string file = package.string();
    PackageInstall result;
    if (!std::filesystem::is_regular_file(package)) {
        result.refusal = "there is no file " + file;
    } else if (const ScratchFolder scratch; scratch.path().empty()) {
        result.refusal = "no scratch folder to unpack it in";
    } else {
        result = unpackAndCheck(package, scratch.path());
        if (result.refusal.empty())
            result.refusal = copyIntoDevice(scratch.path() / "root").value_or("");
    }
    if (result.refusal.empty())
        EventLog::record("package.installed", {{"package", orvanePackageName},
                                               {"version", result.version},
                                               {"files", std::to_string(result.files)}});
    else
        EventLog::record("package.refused", {{"file", file}, {"reason", result.refusal}});
    return result;
}
