#include "PackageDatabase.h"

#include "Device/DeviceRoot.h"

#include <algorithm>
#include <fstream>
#include <set>

namespace PackageDatabase {

namespace {

constexpr std::uintmax_t longestStatus = 1024 * 1024;

// What the device's system ships, as its own packages.
std::vector<Installed> systemPackages() {
    const auto shipped = [](std::string name, std::string description) {
        Installed package;
        package.control.package = std::move(name);
        package.control.version = "1.0";
        package.control.architecture = "all";
        package.control.maintainer = "Device <system@device.example.org>";
        package.control.description = std::move(description);
        package.system = true;
        return package;
    };
    return {shipped("caddex", "Control Center section loader"),
            shipped("preferenceloader", "Settings entries for installed panes")};
}

bool isSystemPackage(std::string_view name) {
    const auto system = systemPackages();
    return std::ranges::any_of(system,
                               [&](const Installed& package) { return package.control.package == name; });
}

} // namespace

std::optional<std::string> read(std::vector<Installed>& packages) {
    const auto file = DeviceRoot::resolve(std::string(adminFolder) + "/status");
    std::error_code error;
    const auto status = std::filesystem::symlink_status(file, error);
    if (status.type() == std::filesystem::file_type::not_found) {
        packages = systemPackages();
        return std::nullopt;
    }
    if (status.type() != std::filesystem::file_type::regular)
        return "the package database " + file.string() + " is not a plain file";
    if (const auto size = std::filesystem::file_size(file, error); error || size > longestStatus)
        return "the package database " + file.string() + " is larger than 1 MiB";
    std::ifstream in(file, std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!in && !in.eof())
        return "the package database " + file.string() + " cannot be read";
    packages.clear();
    for (std::size_t start = 0; start < text.size();) {
        auto end = text.find("\n\n", start);
        end = end == std::string::npos ? text.size() : end;
        if (const auto paragraph = std::string_view(text).substr(start, end - start);
            paragraph.find_first_not_of("\n") != std::string_view::npos) {
            Installed package;
            if (auto problem = parseControl(paragraph, package.control))
                return "the package database is damaged: " + *problem;
            package.system = isSystemPackage(package.control.package);
            packages.push_back(std::move(package));
        }
        start = end + 2;
    }
    std::ranges::sort(packages, {}, [](const Installed& package) { return package.control.package; });
    return std::nullopt;
}

std::string statusText(const std::vector<Installed>& packages) {
    std::string text;
    const auto field = [&](std::string_view name, const std::string& value) {
        if (!value.empty())
            text += std::string(name) + ": " + value + "\n";
    };
    for (const auto& [control, system] : packages) {
        field("Package", control.package);
        field("Status", "install ok installed");
        field("Priority", system ? "required" : "optional");
        field("Installed-Size", control.installedSize);
        field("Maintainer", control.maintainer);
        field("Architecture", control.architecture);
        field("Version", control.version);
        field("Depends", control.depends);
        field("Description", control.description);
        text += "\n";
    }
    return text;
}

std::string listText(std::span<const PackageMember> members) {
    std::set<std::string> paths{"/."};
    for (const auto& member : members) {
        auto path = member.name.substr(std::min<std::size_t>(1, member.name.size()));
        while (path.size() > 1 && path.back() == '/')
            path.pop_back();
        if (path.size() <= 1)
            continue;
        // dpkg lists the folders on the way too.
        for (auto at = path.size(); at > 0 && at != std::string::npos; at = path.rfind('/', at - 1))
            paths.insert(path.substr(0, at));
    }
    std::string text;
    for (const auto& path : paths)
        text += path + "\n";
    return text;
}

std::optional<std::string> unmetDependency(const PackageControl& control,
                                           const std::vector<Installed>& packages) {
    const auto groups = parseDepends(control.depends);
    for (const auto& alternatives : groups.value_or(std::vector<DependencyGroup>{})) {
        const bool met = std::ranges::any_of(alternatives, [&](const Dependency& dependency) {
            return std::ranges::any_of(packages, [&](const Installed& package) {
                return package.control.package == dependency.package &&
                       satisfies(dependency, package.control.version);
            });
        });
        if (!met) {
            const auto& first = alternatives.front();
            return "it needs " + first.package +
                   (first.relation.empty() ? "" : " (" + first.relation + " " + first.version + ")") +
                   ", which the device does not have";
        }
    }
    return std::nullopt;
}

} // namespace PackageDatabase
