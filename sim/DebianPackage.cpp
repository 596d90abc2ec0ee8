#include "DebianPackage.h"

#include "Script.h"

#include <algorithm>
#include <cstring>
#include <elf.h>
#include <map>
#include <set>

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
constexpr std::string_view owned[] = {sectionBundle, paneBundle, entryPlist};
constexpr ProductFile product[] = {
    {"Library/Caddex/Bundles/OrvaneCC.bundle/Info.plist"},
    {"Library/Caddex/Bundles/OrvaneCC.bundle/OrvaneCC", true},
    {"Library/PreferenceBundles/OrvanePrefs.bundle/Info.plist"},
    {"Library/PreferenceBundles/OrvanePrefs.bundle/OrvanePrefs", true},
    {"Library/PreferenceBundles/OrvanePrefs.bundle/OrvanePrefs.plist"},
    {entryPlist},
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

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r'))
        text.remove_suffix(1);
    return text;
}

bool plainComponents(std::string_view path) {
    for (const auto name : pieces(path, '/')) {
        if (name.empty() || name == "." || name == "..")
            return false;
    }
    return true;
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}
bool isAlpha(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool allOf(std::string_view text, std::string_view extra) {
    return std::ranges::all_of(
        text, [&](char c) { return isDigit(c) || isAlpha(c) || extra.find(c) != std::string_view::npos; });
}

// A package name: lower-case letters, digits and "+-.", two or more, starting with a letter or digit.
bool validPackageName(std::string_view name) {
    return name.size() >= 2 && name.size() <= 255 &&
           (isDigit(name[0]) || (name[0] >= 'a' && name[0] <= 'z')) && std::ranges::all_of(name, [](char c) {
               return isDigit(c) || (c >= 'a' && c <= 'z') || c == '+' || c == '-' || c == '.';
           });
}

struct VersionParts {
    std::string_view epoch, upstream, revision;
};
VersionParts split(std::string_view version) {
    VersionParts parts;
    if (const auto colon = version.find(':'); colon != std::string_view::npos) {
        parts.epoch = version.substr(0, colon);
        version.remove_prefix(colon + 1);
    }
    if (const auto dash = version.rfind('-'); dash != std::string_view::npos) {
        parts.revision = version.substr(dash + 1);
        version = version.substr(0, dash);
    }
    parts.upstream = version;
    return parts;
}

// Where a character sorts in a version's non-digit run: a tilde before everything, even the end, then
// letters, then everything else.
int order(char c) {
    if (c == '~')
        return -1;
    if (c == 0 || isDigit(c))
        return 0;
    if (isAlpha(c))
        return c;
    return static_cast<unsigned char>(c) + 256;
}

int comparePart(std::string_view a, std::string_view b) {
    const auto at = [](std::string_view text, std::size_t i) { return i < text.size() ? text[i] : '\0'; };
    std::size_t i = 0, j = 0;
    while (i < a.size() || j < b.size()) {
        while ((i < a.size() && !isDigit(a[i])) || (j < b.size() && !isDigit(b[j]))) {
            if (const int difference = order(at(a, i)) - order(at(b, j)))
                return difference;
            ++i, ++j;
        }
        while (at(a, i) == '0')
            ++i;
        while (at(b, j) == '0')
            ++j;
        int firstDifference = 0;
        for (; isDigit(at(a, i)) && isDigit(at(b, j)); ++i, ++j)
            if (!firstDifference)
                firstDifference = at(a, i) - at(b, j);
        if (isDigit(at(a, i)))
            return 1;
        if (isDigit(at(b, j)))
            return -1;
        if (firstDifference)
            return firstDifference;
    }
    return 0;
}

std::string_view withoutLeadingZeros(std::string_view digits) {
    while (digits.size() > 1 && digits.front() == '0')
        digits.remove_prefix(1);
    return digits;
}

std::string withUnit(std::uint64_t bytes) {
    return std::to_string(bytes / (1024 * 1024)) + " MiB";
}

// A member's path without "./" and a folder's trailing slash; nothing for the root itself.
std::string_view pathOf(std::string_view member) {
    member.remove_prefix(std::min<std::size_t>(2, member.size()));
    if (member.ends_with('/'))
        member.remove_suffix(1);
    return member;
}

bool mustBeFolder(std::string_view path) {
    return path.empty() || path == sectionBundle || path == paneBundle ||
           std::ranges::find(foldersOnTheWay, path) != std::end(foldersOnTheWay);
}

template <typename Header> bool readAt(std::string_view bytes, std::uint64_t offset, Header& header) {
    if (offset > bytes.size() || bytes.size() - offset < sizeof(Header))
        return false;
    std::memcpy(&header, bytes.data() + offset, sizeof(Header));
    return true;
}

// Whether the module's dynamic symbol table defines `name` for others to find.
bool exports(std::string_view bytes, const Elf64_Ehdr& header, std::string_view name) {
    if (header.e_shentsize != sizeof(Elf64_Shdr))
        return false;
    for (std::uint64_t index = 0; index < header.e_shnum; ++index) {
        Elf64_Shdr symbols{}, strings{};
        if (!readAt(bytes, header.e_shoff + index * sizeof(Elf64_Shdr), symbols))
            return false;
        if (symbols.sh_type != SHT_DYNSYM || symbols.sh_entsize != sizeof(Elf64_Sym) ||
            symbols.sh_link >= header.e_shnum ||
            !readAt(bytes, header.e_shoff + std::uint64_t{symbols.sh_link} * sizeof(Elf64_Shdr), strings) ||
            strings.sh_offset > bytes.size() || bytes.size() - strings.sh_offset < strings.sh_size)
            continue;
        const auto table = bytes.substr(strings.sh_offset, strings.sh_size);
        for (std::uint64_t at = 0; at + sizeof(Elf64_Sym) <= symbols.sh_size; at += sizeof(Elf64_Sym)) {
            Elf64_Sym symbol{};
            if (!readAt(bytes, symbols.sh_offset + at, symbol))
                break;
            const auto bind = ELF64_ST_BIND(symbol.st_info);
            if (symbol.st_shndx == SHN_UNDEF || (bind != STB_GLOBAL && bind != STB_WEAK) ||
                ELF64_ST_VISIBILITY(symbol.st_other) != STV_DEFAULT || symbol.st_name >= table.size())
                continue;
            const auto symbolName = table.substr(symbol.st_name);
            if (symbolName.substr(0, symbolName.find('\0')) == name)
                return true;
        }
    }
    return false;
}

} // namespace

std::string quotedMember(std::string_view name) {
    return "\"" + printable(name) + "\"";
}

std::optional<std::string> parseControl(std::string_view text, PackageControl& control) {
    if (text.size() > maximumControlBytes)
        return "its control file is larger than " + std::to_string(maximumControlBytes / 1024) + " KiB";
    std::map<std::string, std::string, std::less<>> fields;
    std::string* last = nullptr;
    bool ended = false;
    for (const auto line : pieces(text, '\n')) {
        if (trimmed(line).empty()) {
            ended = !fields.empty();
            continue;
        }
        if (ended)
            return "its control file holds more than one paragraph";
        if (line.front() == ' ' || line.front() == '\t') {
            if (!last)
                return "its control file starts with a continuation line";
            if (last->size() < maximumControlBytes)
                *last += "\n" + std::string(trimmed(line));
            continue;
        }
        const auto colon = line.find(':');
        const auto name = line.substr(0, colon);
        if (colon == std::string_view::npos || name.empty() ||
            name.find_first_of(" \t") != std::string_view::npos)
            return "its control file has a line that is not a field: " + quotedMember(line);
        const auto [field, added] = fields.emplace(name, trimmed(line.substr(colon + 1)));
        if (!added)
            return "its control file names the field " + quotedMember(name) + " twice";
        last = &field->second;
    }
    const auto value = [&](std::string_view name) {
        const auto found = fields.find(name);
        return found == fields.end() ? std::string() : found->second;
    };
    for (const auto* required : {"Package", "Version", "Architecture"})
        if (value(required).empty())
            return std::string("its control file has no ") + required + " field";
    control.package = value("Package");
    control.version = value("Version");
    control.architecture = value("Architecture");
    control.depends = value("Depends");
    control.installedSize = value("Installed-Size");
    const auto description = value("Description");
    control.description = description.substr(0, description.find('\n'));
    control.maintainer = value("Maintainer");
    if (!validPackageName(control.package))
        return "its package name " + quotedMember(control.package) + " is not a package name";
    if (!validVersion(control.version))
        return "its version " + quotedMember(control.version) + " is not a Debian version";
    if (!control.installedSize.empty() &&
        (control.installedSize.size() > 12 || !std::ranges::all_of(control.installedSize, isDigit)))
        return "its Installed-Size " + quotedMember(control.installedSize) + " is not a number of KiB";
    if (!parseDepends(control.depends))
        return "its Depends " + quotedMember(control.depends) + " is not a list of packages";
    return std::nullopt;
}

std::optional<std::string> checkOrvaneControl(const PackageControl& control, std::string_view architecture) {
    if (control.package != orvanePackageName)
        return "it is not Orvane's package (Package: " + printable(control.package) + ")";
    if (control.architecture != architecture)
        return "it is built for " + quotedMember(control.architecture) + ", not for this device's " +
               std::string(architecture);
    return std::nullopt;
}

bool validVersion(std::string_view version) {
    if (version.empty() || version.size() > 255)
        return false;
    const auto parts = split(version);
    const bool hasEpoch = version.find(':') != std::string_view::npos;
    const bool hasRevision = version.find('-', hasEpoch ? parts.epoch.size() : 0) != std::string_view::npos;
    if (hasEpoch &&
        (parts.epoch.empty() || parts.epoch.size() > 9 || !std::ranges::all_of(parts.epoch, isDigit)))
        return false;
    if (hasRevision && (parts.revision.empty() || !allOf(parts.revision, "+.~")))
        return false;
    std::string extra = "+.~";
    if (hasRevision)
        extra += '-';
    if (hasEpoch)
        extra += ':';
    return !parts.upstream.empty() && isDigit(parts.upstream.front()) && allOf(parts.upstream, extra);
}

int compareVersions(std::string_view a, std::string_view b) {
    const auto left = split(a), right = split(b);
    const auto leftEpoch = withoutLeadingZeros(left.epoch.empty() ? "0" : left.epoch);
    const auto rightEpoch = withoutLeadingZeros(right.epoch.empty() ? "0" : right.epoch);
    if (leftEpoch.size() != rightEpoch.size())
        return leftEpoch.size() < rightEpoch.size() ? -1 : 1;
    if (const int epoch = leftEpoch.compare(rightEpoch))
        return epoch;
    if (const int upstream = comparePart(left.upstream, right.upstream))
        return upstream;
    return comparePart(left.revision, right.revision);
}

std::optional<std::vector<DependencyGroup>> parseDepends(std::string_view text) {
    std::vector<DependencyGroup> groups;
    if (trimmed(text).empty())
        return groups;
    for (const auto group : pieces(text, ',')) {
        DependencyGroup alternatives;
        for (auto item : pieces(group, '|')) {
            item = trimmed(item);
            Dependency dependency;
            const auto open = item.find('(');
            dependency.package = trimmed(item.substr(0, open));
            if (!validPackageName(dependency.package))
                return std::nullopt;
            if (open != std::string_view::npos) {
                if (!item.ends_with(')'))
                    return std::nullopt;
                auto relation = trimmed(item.substr(open + 1, item.size() - open - 2));
                const auto length = relation.find_first_not_of("<>=");
                dependency.relation = relation.substr(0, length);
                dependency.version = trimmed(relation.substr(std::min(length, relation.size())));
                constexpr std::string_view relations[] = {"<<", "<=", "=", ">=", ">>"};
                if (std::ranges::find(relations, dependency.relation) == std::end(relations) ||
                    !validVersion(dependency.version))
                    return std::nullopt;
            }
            alternatives.push_back(std::move(dependency));
        }
        groups.push_back(std::move(alternatives));
    }
    return groups;
}

bool satisfies(const Dependency& dependency, std::string_view version) {
    if (dependency.relation.empty())
        return true;
    const int order = compareVersions(version, dependency.version);
    if (dependency.relation == "<<")
        return order < 0;
    if (dependency.relation == "<=")
        return order <= 0;
    if (dependency.relation == "=")
        return order == 0;
    if (dependency.relation == ">=")
        return order >= 0;
    return order > 0;
}

std::optional<std::string> memberOutsideLayout(std::string_view member) {
    std::string_view path = member;
    if (path == "." || path == "./")
        return std::nullopt;
    if (!path.starts_with("./"))
        return quotedMember(member) + " is not below the package's root";
    path.remove_prefix(2);
    if (path.ends_with('/'))
        path.remove_suffix(1);
    if (!plainComponents(path))
        return quotedMember(member) + " is not a plain path";
    if (std::ranges::find(foldersOnTheWay, path) != std::end(foldersOnTheWay) || path == entryPlist ||
        inside(path, sectionBundle) || inside(path, paneBundle))
        return std::nullopt;
    return quotedMember(member) + " lies outside Orvane's layout";
}

std::optional<std::string> checkMembers(std::span<const PackageMember> members) {
    if (members.size() > maximumPackageMembers)
        return "it holds more than " + std::to_string(maximumPackageMembers) + " members";
    std::uint64_t total = 0;
    std::map<std::string_view, PackageMember::Type> seen;
    for (const auto& member : members) {
        if (const auto outside = memberOutsideLayout(member.name))
            return outside;
        if (member.type == PackageMember::Type::Other)
            return quotedMember(member.name) + " is neither a folder nor a plain file";
        const auto path = pathOf(member.name);
        if (mustBeFolder(path) && member.type != PackageMember::Type::Folder)
            return quotedMember(member.name) + " is not a folder";
        if (member.size > maximumUnpackedBytes - total)
            return "it unpacks to more than " + withUnit(maximumUnpackedBytes) + " (" +
                   quotedMember(member.name) + " is " + std::to_string(member.size) + " bytes)";
        total += member.size;
        if (!seen.emplace(path, member.type).second)
            return quotedMember(member.name) + " is named twice";
    }
    for (const auto& file : product) {
        const auto found = seen.find(file.path);
        if (found == seen.end() || found->second != PackageMember::Type::File)
            return "it lacks " + std::string(file.path);
    }
    return std::nullopt;
}

std::span<const ProductFile> productFiles() {
    return product;
}

bool isModule(std::string_view member) {
    return member.starts_with("./") && std::ranges::any_of(product, [&](const ProductFile& file) {
               return file.module && member.substr(2) == file.path;
           });
}

std::span<const std::string_view> ownedPaths() {
    return owned;
}

std::optional<std::string> checkModule(std::string_view bytes, std::string_view machine,
                                       std::string_view entryPoint) {
    Elf64_Ehdr header{}, ours{};
    if (!readAt(bytes, 0, header) || std::memcmp(header.e_ident, ELFMAG, SELFMAG) != 0)
        return "is not an ELF file";
    if (!readAt(machine, 0, ours) || header.e_ident[EI_CLASS] != ours.e_ident[EI_CLASS] ||
        header.e_ident[EI_DATA] != ours.e_ident[EI_DATA] || header.e_machine != ours.e_machine)
        return "is built for another machine (ELF machine " + std::to_string(header.e_machine) +
               ", this one " + std::to_string(ours.e_machine) + ")";
    if (header.e_type != ET_DYN)
        return "is not a loadable module";
    if (!exports(bytes, header, entryPoint))
        return "does not export " + std::string(entryPoint);
    return std::nullopt;
}
