#pragma once

#include "DebianPackage.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

// The device's dpkg database, below the device root in dpkg's own format ("/var/lib/dpkg/status" and
// "/var/lib/dpkg/info/NAME.list"), so dpkg-query --admindir reads it. A device that never installed anything
// has the packages its system ships: the section loader and PreferenceLoader.
namespace PackageDatabase {

inline constexpr std::string_view adminFolder = "/var/lib/dpkg";

struct Installed {
    PackageControl control;
    bool system = false; // shipped with the device: never removed
};

// The packages installed, by name; why the database cannot be read.
std::optional<std::string> read(std::vector<Installed>& packages);

// The status file holding `packages`, in dpkg's format.
std::string statusText(const std::vector<Installed>& packages);

// A package's file list in dpkg's format: "/." and each path below the root, from the members' names.
std::string listText(std::span<const PackageMember> members);

// Why `control`'s Depends are not met by `packages`; nothing when they are.
std::optional<std::string> unmetDependency(const PackageControl& control,
                                           const std::vector<Installed>& packages);

} // namespace PackageDatabase
