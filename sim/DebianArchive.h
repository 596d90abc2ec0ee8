#pragma once

#include "DebianPackage.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

// A Debian package file read with libarchive, never unpacked by a program that could follow a link out of the
// folder it writes in: the ar archive, its control file and its file system's listing.
struct PackageContents {
    PackageControl control;
    std::vector<PackageMember> members;
};

// Reads the control file and lists the members of the open package `fd` without writing anything; why it is
// not a Debian package that can be read whole. The listing stops at the first member past the bounds on
// count and size, which then refuses the package.
std::optional<std::string> readPackage(int fd, PackageContents& contents);

// Unpacks the members of the open package `fd` into `folder`, a fresh folder, writing folders and plain files
// only, with normalised modes (folders and modules 0755, other files 0644), and no more than the listing's
// sizes; why not (a full disk says so).
std::optional<std::string> unpackPackage(int fd, const std::filesystem::path& folder);
