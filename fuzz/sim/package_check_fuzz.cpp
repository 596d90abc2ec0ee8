#include "fuzz/Require.h"
#include "sim/DebianPackage.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// A package comes from anywhere. Its control file (the input up to the first NUL) either parses into fields
// the device can act on or is refused with a bounded reason; the rest is its member list, one member a line
// ("d NAME", "f SIZE NAME" or anything else for another type), which is checked against the layout and its
// bounds without trusting the sizes.
namespace {

std::vector<PackageMember> membersOf(std::string_view text) {
    std::vector<PackageMember> members;
    while (!text.empty() && members.size() <= maximumPackageMembers + 1) {
        const auto end = text.find('\n');
        auto line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        PackageMember member;
        member.type = line.starts_with("d ")   ? PackageMember::Type::Folder
                      : line.starts_with("f ") ? PackageMember::Type::File
                                               : PackageMember::Type::Other;
        line.remove_prefix(std::min<std::size_t>(2, line.size()));
        if (member.type == PackageMember::Type::File) {
            std::size_t digits = 0;
            for (; digits < line.size() && digits < 20 && line[digits] >= '0' && line[digits] <= '9';
                 ++digits)
                member.size = member.size * 10 + static_cast<std::uint64_t>(line[digits] - '0');
            line.remove_prefix(std::min(line.size(), digits + 1));
        }
        member.name = line;
        members.push_back(std::move(member));
    }
    return members;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const auto split = input.find('\0');
    const auto controlText = input.substr(0, split);
    PackageControl control;
    if (const auto problem = parseControl(controlText, control)) {
        require(!problem->empty() && problem->size() < 1024);
    } else {
        require(validVersion(control.version) && compareVersions(control.version, control.version) == 0);
        const auto depends = parseDepends(control.depends);
        require(depends.has_value());
        for (const auto& group : *depends)
            for (const auto& dependency : group)
                require(dependency.relation.empty() ||
                        satisfies(dependency, dependency.version) ==
                            (dependency.relation.find('=') != std::string::npos));
        if (const auto refusal = checkOrvaneControl(control, "amd64"))
            require(refusal->size() < 1024);
    }
    if (split == std::string_view::npos)
        return 0;
    const auto members = membersOf(input.substr(split + 1));
    if (const auto problem = checkMembers(members)) {
        require(!problem->empty() && problem->size() < 1024);
        return 0;
    }
    std::uint64_t total = 0;
    for (const auto& member : members) {
        require(!memberOutsideLayout(member.name) && member.type != PackageMember::Type::Other);
        total += member.size;
    }
    require(members.size() <= maximumPackageMembers && total <= maximumUnpackedBytes);
    return 0;
}
