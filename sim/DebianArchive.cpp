#include "DebianArchive.h"

#include "Script.h"
#include "StagedTree.h"

#include <algorithm>
#include <archive.h>
#include <archive_entry.h>
#include <memory>
#include <unistd.h>

namespace {

constexpr std::size_t blockSize = 64 * 1024;

struct ArchiveFree {
    void operator()(archive* handle) const { archive_read_free(handle); }
};
using Archive = std::unique_ptr<archive, ArchiveFree>;

std::string reasonOf(archive* handle) {
    const char* text = archive_error_string(handle);
    return printable(text ? text : "it cannot be read");
}

// A member of the outer ar archive read as an archive of its own, through the outer one.
class InnerArchive {
  public:
    explicit InnerArchive(archive* outer) : _outer(outer), _handle(archive_read_new()) {
        archive_read_support_filter_all(_handle.get());
        archive_read_support_format_tar(_handle.get());
        archive_read_support_format_gnutar(_handle.get());
        _opened = archive_read_open(_handle.get(), this, nullptr, &InnerArchive::read, nullptr) == ARCHIVE_OK;
    }
    archive* handle() const { return _opened ? _handle.get() : nullptr; }
    archive* raw() const { return _handle.get(); }

  private:
    static la_ssize_t read(archive*, void* self, const void** buffer) {
        auto& inner = *static_cast<InnerArchive*>(self);
        *buffer = inner._buffer;
        return archive_read_data(inner._outer, inner._buffer, sizeof inner._buffer);
    }
    archive* _outer;
    Archive _handle;
    bool _opened = false;
    char _buffer[blockSize];
};

PackageMember::Type typeOf(archive_entry* entry) {
    if (archive_entry_hardlink(entry) || archive_entry_symlink(entry))
        return PackageMember::Type::Other;
    switch (archive_entry_filetype(entry)) {
    case AE_IFDIR:
        return PackageMember::Type::Folder;
    case AE_IFREG:
        return PackageMember::Type::File;
    default:
        return PackageMember::Type::Other;
    }
}

std::string nameOf(archive_entry* entry) {
    const char* name = archive_entry_pathname(entry);
    return name ? name : "";
}

// Walks the members of one of the package's tar archives; `visit` answers why to stop, else nothing.
template <typename Visit>
std::optional<std::string> eachMember(archive* outer, std::string_view what, Visit&& visit) {
    const auto inner = std::make_unique<InnerArchive>(outer);
    if (!inner->handle())
        return "its " + std::string(what) + " cannot be read: " + reasonOf(inner->raw());
    for (;;) {
        archive_entry* entry = nullptr;
        const int status = archive_read_next_header(inner->handle(), &entry);
        if (status == ARCHIVE_EOF)
            return std::nullopt;
        if (status != ARCHIVE_OK)
            return "its " + std::string(what) + " cannot be read whole: " + reasonOf(inner->handle());
        if (auto stop = visit(inner->handle(), entry))
            return stop;
    }
}

// The package's ar archive from the start of `fd`, checked to begin with its format's version.
std::optional<std::string> openPackage(int fd, Archive& outer) {
    if (::lseek(fd, 0, SEEK_SET) != 0)
        return "it cannot be read from its start";
    outer.reset(archive_read_new());
    archive_read_support_format_ar(outer.get());
    if (archive_read_open_fd(outer.get(), fd, blockSize) != ARCHIVE_OK)
        return "it is not a Debian package: " + reasonOf(outer.get());
    archive_entry* entry = nullptr;
    if (archive_read_next_header(outer.get(), &entry) != ARCHIVE_OK || nameOf(entry) != "debian-binary")
        return "it is not a Debian package (it does not start with debian-binary)";
    char version[4] = {};
    if (archive_read_data(outer.get(), version, sizeof version) < 2 || version[0] != '2' || version[1] != '.')
        return "it is not a Debian package of format 2";
    return std::nullopt;
}

// Moves to the next member of the ar archive whose name starts with `prefix` ("control.tar"), skipping the
// ones dpkg allows to be added ("_..."); why it is not there.
std::optional<std::string> nextPart(archive* outer, std::string_view prefix) {
    for (;;) {
        archive_entry* entry = nullptr;
        const int status = archive_read_next_header(outer, &entry);
        if (status != ARCHIVE_OK)
            return "it lacks its " + std::string(prefix) +
                   (status == ARCHIVE_EOF ? "" : ": " + reasonOf(outer));
        const auto name = nameOf(entry);
        if (name.starts_with(prefix))
            return std::nullopt;
        if (!name.starts_with('_'))
            return "it holds " + quotedMember(name) + " where its " + std::string(prefix) + " belongs";
    }
}

std::optional<std::string> readControl(archive* outer, PackageControl& control) {
    std::string text;
    bool found = false;
    auto problem = eachMember(outer, "control archive", [&](archive* inner, archive_entry* entry) {
        const auto name = nameOf(entry);
        if (found || (name != "./control" && name != "control"))
            return std::optional<std::string>();
        found = true;
        text.resize(maximumControlBytes + 1);
        const auto count = archive_read_data(inner, text.data(), text.size());
        if (count < 0)
            return std::optional<std::string>("its control file cannot be read: " + reasonOf(inner));
        text.resize(static_cast<std::size_t>(count));
        return std::optional<std::string>();
    });
    if (problem)
        return problem;
    if (!found)
        return std::optional<std::string>("it has no control file");
    return parseControl(text, control);
}

} // namespace

std::optional<std::string> readPackage(int fd, PackageContents& contents) {
    Archive outer;
    if (auto problem = openPackage(fd, outer))
        return problem;
    if (auto problem = nextPart(outer.get(), "control.tar"))
        return problem;
    if (auto problem = readControl(outer.get(), contents.control))
        return problem;
    if (auto problem = nextPart(outer.get(), "data.tar"))
        return problem;
    std::uint64_t total = 0;
    return eachMember(outer.get(), "file archive", [&](archive*, archive_entry* entry) {
        const auto size = archive_entry_size_is_set(entry) ? archive_entry_size(entry) : 0;
        PackageMember member{nameOf(entry), typeOf(entry), static_cast<std::uint64_t>(size < 0 ? 0 : size)};
        total += std::min(member.size, maximumUnpackedBytes + 1);
        contents.members.push_back(std::move(member));
        // Past a bound the listing is refused as it stands, without reading further.
        if (contents.members.size() > maximumPackageMembers || total > maximumUnpackedBytes)
            return checkMembers(contents.members);
        return std::optional<std::string>();
    });
}

std::optional<std::string> unpackPackage(int fd, const std::filesystem::path& folder) {
    Archive outer;
    if (auto problem = openPackage(fd, outer))
        return problem;
    for (const auto part : {"control.tar", "data.tar"})
        if (auto problem = nextPart(outer.get(), part))
            return problem;
    std::uint64_t budget = maximumUnpackedBytes;
    return eachMember(outer.get(), "file archive", [&](archive* inner, archive_entry* entry) {
        const auto name = nameOf(entry);
        const auto type = typeOf(entry);
        // Checked when listed; checked again, as the file may have changed since.
        if (auto outside = memberOutsideLayout(name))
            return outside;
        const auto path = folder / std::filesystem::path(name).lexically_normal().relative_path();
        if (type == PackageMember::Type::Folder)
            return StagedTree::makeFolders(path);
        if (type != PackageMember::Type::File)
            return std::optional<std::string>(quotedMember(name) + " is neither a folder nor a plain file");
        std::string problem;
        const bool module = isModule(name);
        const int out = StagedTree::makeFile(path, module, problem);
        if (out < 0)
            return std::optional<std::string>(problem);
        char buffer[blockSize];
        for (;;) {
            const auto count = archive_read_data(inner, buffer, sizeof buffer);
            if (count < 0)
                problem = quotedMember(name) + " cannot be read: " + reasonOf(inner);
            else if (static_cast<std::uint64_t>(count) > budget)
                problem = "it unpacks to more than its listing said";
            else if (auto written = StagedTree::writeAll(out, {buffer, static_cast<std::size_t>(count)}))
                problem = "cannot write " + quotedMember(name) + ": " + *written;
            if (count <= 0 || !problem.empty())
                break;
            budget -= static_cast<std::uint64_t>(count);
        }
        if (::close(out) != 0 && problem.empty())
            problem = "cannot write " + quotedMember(name) + ": " + StagedTree::writeProblem(errno);
        return problem.empty() ? std::nullopt : std::optional<std::string>(problem);
    });
}
