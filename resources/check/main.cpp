// Checks the settings pane's specifier plists: orvane-prefs-check FILE.plist ... [-- LANGUAGE.lproj ...].
// Each file is checked as the plist its name gives, and against its strings table in each language folder;
// problems go to standard error as "FILE:LINE: message", and any problem fails.

#include "SpecifierCheck.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>

namespace {

std::vector<std::uint8_t> contentsOf(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

int report(const std::filesystem::path& file, std::string_view subject,
           const std::vector<SpecifierProblem>& problems) {
    for (const auto& problem : problems)
        std::cerr << file.string() << ":" << problem.line << ": " << subject << " " << problem.message
                  << "\n";
    return problems.empty() ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    const auto separator = std::ranges::find(arguments, "--");
    const std::vector<std::filesystem::path> plists(arguments.begin(), separator);
    const std::vector<std::filesystem::path> languages(
        separator == arguments.end() ? separator : separator + 1, arguments.end());
    if (plists.empty()) {
        std::cerr << "usage: orvane-prefs-check FILE.plist ... [-- LANGUAGE.lproj ...]\n";
        return 2;
    }
    int failed = 0;
    for (const auto& file : plists) {
        const auto bytes = contentsOf(file);
        const std::string name = file.stem().string();
        failed |= report(file, name, checkSpecifierPlist(name, bytes));
        for (const auto& language : languages) {
            const auto table = language / (name + ".strings");
            std::error_code error;
            if (!std::filesystem::is_regular_file(table, error))
                failed |= report(table, table.filename().string(), {{1, "is missing"}});
            else
                failed |=
                    report(table, table.filename().string(), checkSpecifierStrings(bytes, contentsOf(table)));
        }
    }
    return failed;
}
