#pragma once

#include "PackageDatabase.h"

#include <filesystem>
#include <string>

// Installs, upgrades and removes Orvane on the device, all or nothing. The new files are laid out and checked
// in a folder inside the device root first (after its disk is seen to have room for them), then the bundles
// and the entry plist are swapped in by rename together with the package database, and every step is undone
// if a later one fails: the earlier install stays as it was. A link at a path the package owns is replaced
// itself, never followed, and nothing is written outside the device root.
struct PackageChange {
    std::string package;
    std::string version;
    std::string previous; // the version it replaced or removed; empty when there was none
    std::size_t files = 0;
    // Why nothing changed; empty when it did.
    std::string refusal;
};

// Installs Orvane from its Debian package file. A version older than the installed one is refused unless
// `allowDowngrade`.
PackageChange installPackage(const std::filesystem::path& package, bool allowDowngrade);

// Installs the build's own bundles, laid out as the build stages them (OrvaneCC.bundle, OrvanePrefs.bundle,
// PreferenceLoader/Orvane.plist), recorded as Orvane's package at the build's version.
PackageChange installBuild(const std::filesystem::path& stagedBundles, bool allowDowngrade);

// Removes an installed package and every file it put on the device; the system's packages stay.
PackageChange removePackage(const std::string& name);
