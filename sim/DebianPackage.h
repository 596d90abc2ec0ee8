#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// Orvane's Debian package, as a jailbroken device installs it, and the checks a package passes before
// anything of it is written on the device.
inline constexpr std::string_view orvanePackageName = "com.velquin.orvane";

// Bounds on what a package may unpack to, checked on its listing: apparent sizes, so a sparse member counts
// whole. The product is a few hundred files and a few tens of MiB in a development build.
inline constexpr std::size_t maximumPackageMembers = 4096;
inline constexpr std::uint64_t maximumUnpackedBytes = 128 * 1024 * 1024;
// A control file is a few hundred bytes; one past this is not a control file.
inline constexpr std::size_t maximumControlBytes = 64 * 1024;

// The fields of a control file that the device acts on.
struct PackageControl {
    std::string package;
    std::string version;
    std::string architecture;
    std::string depends;
    std::string installedSize; // in KiB, as the field holds it
    std::string description;   // its first line
    std::string maintainer;
};

// Parses a control file (one paragraph of "Name: value" lines, a line starting with a blank continuing the
// field before it) into `control`; why it is not one that describes a package, else nothing.
std::optional<std::string> parseControl(std::string_view text, PackageControl& control);

// Why the control file does not describe Orvane's package for this machine: another name, a version that is
// not Debian's syntax, another architecture than `architecture`.
std::optional<std::string> checkOrvaneControl(const PackageControl& control, std::string_view architecture);

// A Debian version: [epoch:]upstream[-revision].
bool validVersion(std::string_view version);
// Negative, zero or positive as `a` is older than, the same as or newer than `b` (both valid).
int compareVersions(std::string_view a, std::string_view b);

// One package a package depends on, with the version it needs ("caddex (>= 1.0)"); no relation for any
// version.
struct Dependency {
    std::string package;
    std::string relation; // "<<", "<=", "=", ">=" or ">>"
    std::string version;
};
// Alternatives ("a | b"), of which one is enough.
using DependencyGroup = std::vector<Dependency>;
// A Depends field's groups; nothing when it is not a list of packages.
std::optional<std::vector<DependencyGroup>> parseDepends(std::string_view text);
bool satisfies(const Dependency& dependency, std::string_view version);

// Why a member of the package's file system lies outside Orvane's layout on a device; nothing when it lies
// inside: the section bundle, the pane bundle, the pane's entry plist, or a folder on the way to them.
// Members are named as the package's tar archive names them ("./Library/...").
std::optional<std::string> memberOutsideLayout(std::string_view member);

struct PackageMember {
    enum class Type { Folder, File, Other };
    std::string name; // as the archive names it ("./Library/...")
    Type type = Type::Other;
    std::uint64_t size = 0; // apparent size
};

// Why the members are not what a package of ours holds: too many or too large together, one outside the
// layout or neither a folder nor a plain file, one named twice, or a part of the product missing. Every
// refusal names the member, cut and escaped to fit one line.
std::optional<std::string> checkMembers(std::span<const PackageMember> members);

// The files each bundle cannot lack and the modules among them, as device paths below the root without the
// leading slash.
struct ProductFile {
    std::string_view path;
    bool module = false;
};
std::span<const ProductFile> productFiles();
// Whether the member ("./Library/...") is one of the product's modules.
bool isModule(std::string_view member);

// The paths a package of ours owns on a device: replaced whole on install, removed whole on removal. Every
// other folder of the layout is shared.
std::span<const std::string_view> ownedPaths();

// Why the bytes are not an ELF module for this machine that exports `entryPoint`; nothing when they are.
// `machine` is this machine's ELF header (the first 64 bytes of a program built for it).
std::optional<std::string> checkModule(std::string_view bytes, std::string_view machine,
                                       std::string_view entryPoint);

// A member name or a field's value made fit for a one-line message.
std::string quotedMember(std::string_view name);
