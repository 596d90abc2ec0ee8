#include "PackageInstaller.h"

#include "DebianArchive.h"
#include "Device/DeviceRoot.h"
#include "Device/EventLog.h"
#include "Foundation/NSBundle.h"
#include "Script.h"
#include "StagedTree.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace {

using PackageDatabase::Installed;

// What the database itself may take: a status file and a file list.
constexpr std::uint64_t databaseRoom = 1024 * 1024;

// A fresh folder in the device's dpkg folder, on the device's own disk so its contents move into place by
// rename; it goes with the object, and with it whatever an install replaced.
class Staging {
  public:
    Staging() = default;
    Staging(const Staging&) = delete;
    Staging& operator=(const Staging&) = delete;
    ~Staging() {
        std::error_code ignored;
        if (!_path.empty())
            std::filesystem::remove_all(_path, ignored);
    }
    std::optional<std::string> make() {
        const auto admin = DeviceRoot::resolve(PackageDatabase::adminFolder);
        if (auto problem = StagedTree::makeFolders(admin / "info"))
            return problem;
        std::string pattern = (admin / "tmp.orvane-XXXXXX").string();
        if (!::mkdtemp(pattern.data()))
            return "cannot make a folder to unpack in: " + StagedTree::writeProblem(errno);
        _path = pattern;
        return StagedTree::makeFolders(_path / "old");
    }
    std::filesystem::path tree() const { return _path / "new"; }
    std::filesystem::path backup(std::size_t index) const { return _path / "old" / std::to_string(index); }
    const std::filesystem::path& path() const { return _path; }

  private:
    std::filesystem::path _path;
};

// One change of the device's packages at a time, across processes and within one: an open file description's
// lock on the database's lock file, held until the object goes.
class DatabaseLock {
  public:
    DatabaseLock() = default;
    DatabaseLock(const DatabaseLock&) = delete;
    DatabaseLock& operator=(const DatabaseLock&) = delete;
    ~DatabaseLock() {
        if (_fd >= 0)
            ::close(_fd);
    }
    std::optional<std::string> take() {
        const auto admin = DeviceRoot::resolve(PackageDatabase::adminFolder);
        if (auto problem = StagedTree::makeFolders(admin))
            return problem;
        _fd = ::open((admin / "lock").c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0640);
        if (_fd < 0)
            return "cannot open the package database's lock: " + StagedTree::writeProblem(errno);
        struct flock lock = {};
        lock.l_type = F_WRLCK;
        lock.l_whence = SEEK_SET;
        if (::fcntl(_fd, F_OFD_SETLK, &lock) != 0)
            return std::string("another install or removal is changing the device's packages");
        return std::nullopt;
    }

  private:
    int _fd = -1;
};

// Renames that can be taken back, last first.
class Swap {
  public:
    Swap() = default;
    Swap(const Swap&) = delete;
    Swap& operator=(const Swap&) = delete;
    ~Swap() {
        for (auto move = _moves.rbegin(); move != _moves.rend(); ++move)
            ::rename(move->second.c_str(), move->first.c_str());
    }
    std::optional<std::string> move(const std::filesystem::path& from, const std::filesystem::path& to) {
        if (::rename(from.c_str(), to.c_str()) != 0)
            return "cannot move " + from.string() + " to " + to.string() + ": " +
                   StagedTree::writeProblem(errno);
        _moves.emplace_back(from, to);
        return std::nullopt;
    }
    void keep() { _moves.clear(); }

  private:
    std::vector<std::pair<std::filesystem::path, std::filesystem::path>> _moves;
};

bool anythingAt(const std::filesystem::path& path) {
    struct stat status;
    return ::lstat(path.c_str(), &status) == 0;
}

// Puts `staged` (nothing, to remove) at the device path `devicePath`, whatever was there (a link included,
// which is moved, not followed) going to `backup`.
std::optional<std::string> place(Swap& swap, const std::filesystem::path& staged, std::string_view devicePath,
                                 const std::filesystem::path& backup) {
    const std::filesystem::path device(devicePath);
    const auto parent = DeviceRoot::resolve(device.parent_path().string());
    if (!staged.empty())
        if (auto problem = StagedTree::makeFolders(parent))
            return problem;
    const auto target = parent / device.filename();
    if (anythingAt(target))
        if (auto problem = swap.move(target, backup))
            return problem;
    if (!staged.empty() && anythingAt(staged))
        return swap.move(staged, target);
    return std::nullopt;
}

std::optional<std::string> writeFile(const std::filesystem::path& path, std::string_view text) {
    std::string problem;
    const int fd = StagedTree::makeFile(path, false, problem);
    if (fd < 0)
        return problem;
    auto written = StagedTree::writeAll(fd, text);
    if (::close(fd) != 0 && !written)
        written = StagedTree::writeProblem(errno);
    return written;
}

// The package's files and the database, swapped in (or, without `tree`, out) together.
std::optional<std::string> commit(const Staging& staging, const std::filesystem::path& tree,
                                  const std::vector<Installed>& database,
                                  std::span<const PackageMember> members, const std::string& name) {
    const auto staged = staging.path() / "database";
    const std::string admin(PackageDatabase::adminFolder);
    const std::string list = admin + "/info/" + name + ".list";
    if (auto problem = writeFile(staged / "status", PackageDatabase::statusText(database)))
        return problem;
    if (!tree.empty())
        if (auto problem = writeFile(staged / "list", PackageDatabase::listText(members)))
            return problem;
    Swap swap;
    std::size_t backups = 0;
    for (const auto owned : ownedPaths()) {
        if (auto problem = place(swap, tree.empty() ? tree : tree / owned, "/" + std::string(owned),
                                 staging.backup(backups++)))
            return problem;
    }
    if (auto problem = place(swap, tree.empty() ? tree : staged / "list", list, staging.backup(backups++)))
        return problem;
    if (auto problem = place(swap, staged / "status", admin + "/status", staging.backup(backups++)))
        return problem;
    swap.keep();
    return std::nullopt;
}

std::optional<std::string> checkSpace(const std::filesystem::path& folder,
                                      std::span<const PackageMember> members) {
    std::uint64_t needed = databaseRoom;
    for (const auto& member : members)
        needed += (member.size + 4095) / 4096 * 4096 + 4096;
    struct statvfs disk;
    if (::statvfs(folder.c_str(), &disk) != 0)
        return "cannot tell how much room the device's disk has: " + std::string(std::strerror(errno));
    const std::uint64_t free = std::uint64_t{disk.f_bavail} * disk.f_frsize;
    if (free < needed)
        return "the device's disk is full: the package needs " + std::to_string(needed / 1024) + " KiB, " +
               std::to_string(free / 1024) + " KiB are free";
    return std::nullopt;
}

// The first bytes of this program, which say what machine it runs on.
std::string thisMachine() {
    std::ifstream self("/proc/self/exe", std::ios::binary);
    std::string header(64, '\0');
    self.read(header.data(), static_cast<std::streamsize>(header.size()));
    header.resize(static_cast<std::size_t>(std::max<std::streamsize>(0, self.gcount())));
    return header;
}

std::optional<std::string> checkModules(const std::filesystem::path& tree) {
    const auto machine = thisMachine();
    for (const auto& file : productFiles()) {
        if (!file.module)
            continue;
        std::error_code error;
        const auto size = std::filesystem::file_size(tree / file.path, error);
        if (error || size > maximumUnpackedBytes)
            return std::string(file.path) + " cannot be read";
        std::string bytes(size, '\0');
        std::ifstream(tree / file.path, std::ios::binary)
            .read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        if (auto problem = checkModule(bytes, machine, NS_BUNDLE_ENTRY_POINT_NAME))
            return std::string(file.path) + " " + *problem;
    }
    return std::nullopt;
}

std::string installedSize(std::span<const PackageMember> members) {
    std::uint64_t kibibytes = 0;
    for (const auto& member : members)
        kibibytes += (member.size + 1023) / 1024;
    return std::to_string(kibibytes);
}

PackageChange refused(std::string reason) {
    PackageChange change;
    change.refusal = std::move(reason);
    return change;
}

// Whether the package may replace what the database holds, and the database it makes.
std::optional<std::string> admit(const PackageControl& control, bool allowDowngrade,
                                 std::vector<Installed>& database, std::string& previous) {
    if (auto problem = PackageDatabase::read(database))
        return problem;
    if (auto problem = PackageDatabase::unmetDependency(control, database))
        return problem;
    const auto installed = std::ranges::find(
        database, control.package, [](const Installed& package) { return package.control.package; });
    if (installed != database.end()) {
        previous = installed->control.version;
        if (!allowDowngrade && compareVersions(control.version, previous) < 0)
            return "it is version " + printable(control.version) + ", older than the installed " +
                   printable(previous) + " (--allow-downgrade installs it)";
        installed->control = control;
    } else {
        database.push_back({control, false});
        std::ranges::sort(database, {}, [](const Installed& package) { return package.control.package; });
    }
    return std::nullopt;
}

// The part every install shares once the package is known and listed: room, admission, unpacking by
// `unpack` into the staged tree, the modules' check and the swap.
template <typename Unpack>
PackageChange install(PackageControl control, const std::vector<PackageMember>& members, bool allowDowngrade,
                      Unpack&& unpack) {
    if (auto problem = checkMembers(members))
        return refused(*problem);
    control.installedSize = installedSize(members);
    PackageChange change;
    std::vector<Installed> database;
    DatabaseLock lock;
    Staging staging;
    std::optional<std::string> problem = lock.take();
    if (!problem)
        problem = admit(control, allowDowngrade, database, change.previous);
    if (!problem)
        problem = checkSpace(DeviceRoot::resolve("/"), members);
    if (!problem)
        problem = staging.make();
    if (!problem)
        problem = unpack(staging.tree());
    if (!problem)
        problem = checkModules(staging.tree());
    if (!problem)
        problem = commit(staging, staging.tree(), database, members, control.package);
    if (problem)
        return refused(*problem);
    change.package = control.package;
    change.version = control.version;
    change.files = static_cast<std::size_t>(
        std::ranges::count(members, PackageMember::Type::File, &PackageMember::type));
    return change;
}

PackageChange installFromFile(const std::filesystem::path& package, bool allowDowngrade) {
    const int fd = ::open(package.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return refused("it cannot be opened: " + std::string(std::strerror(errno)));
    struct FileCloser {
        int fd;
        ~FileCloser() { ::close(fd); }
    } closer{fd};
    struct stat status;
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode))
        return refused("it is not a plain file");
    PackageContents contents;
    if (auto problem = readPackage(fd, contents))
        return refused(*problem);
    if (auto problem = checkOrvaneControl(contents.control, ORVANE_PACKAGE_ARCHITECTURE))
        return refused(*problem);
    return install(contents.control, contents.members, allowDowngrade,
                   [&](const std::filesystem::path& tree) { return unpackPackage(fd, tree); });
}

// Where each of the build's staged folders lies on a device.
constexpr std::pair<std::string_view, std::string_view> buildLayout[] = {
    {"OrvaneCC.bundle", "Library/Caddex/Bundles/OrvaneCC.bundle"},
    {"OrvanePrefs.bundle", "Library/PreferenceBundles/OrvanePrefs.bundle"},
    {"PreferenceLoader", "Library/PreferenceLoader/Preferences"},
};

// The build's staged files as package members, with the host file each comes from; why they cannot be
// listed.
std::optional<std::string> listBuild(const std::filesystem::path& staged, std::vector<PackageMember>& members,
                                     std::vector<std::filesystem::path>& sources) {
    std::error_code error;
    for (const auto& [folder, devicePath] : buildLayout) {
        const auto from = staged / folder;
        if (!std::filesystem::is_directory(from, error))
            continue;
        members.push_back({"./" + std::string(devicePath) + "/", PackageMember::Type::Folder, 0});
        sources.push_back(from);
        for (std::filesystem::recursive_directory_iterator entry(from, error), end; !error && entry != end;
             entry.increment(error)) {
            if (entry->path().extension() == ".stamp")
                continue;
            const auto type = entry->symlink_status(error).type();
            PackageMember member{"./" + std::string(devicePath) + "/" +
                                     entry->path().lexically_relative(from).string(),
                                 type == std::filesystem::file_type::directory ? PackageMember::Type::Folder
                                 : type == std::filesystem::file_type::regular ? PackageMember::Type::File
                                                                               : PackageMember::Type::Other,
                                 0};
            if (member.type == PackageMember::Type::File)
                member.size = entry->file_size(error);
            if (member.type == PackageMember::Type::Folder)
                member.name += "/";
            members.push_back(std::move(member));
            sources.push_back(entry->path());
            if (members.size() > maximumPackageMembers)
                return checkMembers(members);
        }
        if (error)
            return "cannot read " + from.string() + ": " + error.message();
    }
    return std::nullopt;
}

std::optional<std::string> copyBuild(const std::vector<PackageMember>& members,
                                     const std::vector<std::filesystem::path>& sources,
                                     const std::filesystem::path& tree) {
    for (std::size_t index = 0; index < members.size(); ++index) {
        const auto& member = members[index];
        const auto to = tree / std::filesystem::path(member.name).lexically_normal().relative_path();
        if (member.type == PackageMember::Type::Folder) {
            if (auto problem = StagedTree::makeFolders(to))
                return problem;
            continue;
        }
        const bool module = isModule(member.name);
        std::string problem;
        const int out = StagedTree::makeFile(to, module, problem);
        if (out < 0)
            return problem;
        std::ifstream in(sources[index], std::ios::binary);
        char buffer[64 * 1024];
        std::optional<std::string> written;
        while (!written && in.read(buffer, sizeof buffer).gcount() > 0)
            written = StagedTree::writeAll(out, {buffer, static_cast<std::size_t>(in.gcount())});
        if (::close(out) != 0 && !written)
            written = StagedTree::writeProblem(errno);
        if (written)
            return "cannot write " + quotedMember(member.name) + ": " + *written;
        if (in.bad())
            return "cannot read " + sources[index].string();
    }
    return std::nullopt;
}

void recordChange(std::string_view kind, const PackageChange& change) {
    EventLog::record(
        kind,
        {{"package", change.package}, {"version", change.version}, {"files", std::to_string(change.files)}});
}

} // namespace

PackageChange installPackage(const std::filesystem::path& package, bool allowDowngrade) {
    auto change = installFromFile(package, allowDowngrade);
    if (change.refusal.empty())
        recordChange("package.installed", change);
    else
        EventLog::record("package.refused", {{"file", package.string()}, {"reason", change.refusal}});
    return change;
}

PackageChange installBuild(const std::filesystem::path& stagedBundles, bool allowDowngrade) {
    std::vector<PackageMember> members;
    std::vector<std::filesystem::path> sources;
    if (auto problem = listBuild(stagedBundles, members, sources))
        return refused(*problem);
    if (members.empty())
        return refused("nothing to install: " + stagedBundles.string() + " holds no built bundle");
    PackageControl control;
    control.package = orvanePackageName;
    control.version = ORVANE_PACKAGE_VERSION;
    control.architecture = ORVANE_PACKAGE_ARCHITECTURE;
    control.depends = ORVANE_PACKAGE_DEPENDS;
    control.maintainer = ORVANE_PACKAGE_MAINTAINER;
    control.description = "Orvane, installed from the build";
    return install(control, members, allowDowngrade,
                   [&](const std::filesystem::path& tree) { return copyBuild(members, sources, tree); });
}

PackageChange removePackage(const std::string& name) {
    std::vector<Installed> database;
    if (auto problem = PackageDatabase::read(database))
        return refused(*problem);
    auto installed =
        std::ranges::find(database, name, [](const Installed& package) { return package.control.package; });
    if (installed == database.end())
        return refused(printable(name) + " is not installed");
    if (installed->system)
        return refused(name + " is part of the device's system");
    DatabaseLock lock;
    if (auto problem = lock.take())
        return refused(*problem);
    // What another process changed before the lock was taken counts.
    if (auto problem = PackageDatabase::read(database))
        return refused(*problem);
    installed =
        std::ranges::find(database, name, [](const Installed& package) { return package.control.package; });
    if (installed == database.end())
        return refused(printable(name) + " is not installed");
    PackageChange change;
    change.package = name;
    change.version = change.previous = installed->control.version;
    database.erase(installed);
    Staging staging;
    std::optional<std::string> problem = staging.make();
    if (!problem)
        problem = commit(staging, {}, database, {}, name);
    if (problem)
        return refused(*problem);
    recordChange("package.removed", change);
    return change;
}
