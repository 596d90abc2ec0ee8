#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

// Orvane's Debian package, as a jailbroken device installs it.
inline constexpr std::string_view orvanePackageName = "com.velquin.orvane";

// Why a member of the package's file system lies outside Orvane's layout on a device; nothing when it lies
// inside: the section bundle, the pane bundle, the pane's entry plist, or a folder on the way to them.
// Members are named as the package's tar archive names them ("./Library/...").
std::optional<std::string> memberOutsideLayout(std::string_view member);

struct PackageInstall {
    std::string version;
    std::size_t files = 0;
    // Why nothing was installed; empty when the package was.
    std::string refusal;
};

// Installs the package into the device root, unpacked by dpkg-deb: each bundle replaces the one there, and
// the entry plist joins the others. A package that is not Orvane's, cannot be read whole, lacks a part or
// holds anything but folders and plain files in the layout is refused with the reason, and nothing on the
// device is written.
PackageInstall installPackage(const std::filesystem::path& package);
