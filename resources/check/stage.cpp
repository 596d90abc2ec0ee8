// Writes the bundles' strings tables of one language from its table of every text:
// orvane-strings LANGUAGE.strings SECTION.lproj PANE.lproj SPECIFIERS.plist ...
// SECTION.lproj gets "Localizable.strings", PANE.lproj a table of each plist's name. A text a table needs
// that the language's table lacks, or a placeholder a translation loses, goes to standard error as
// "FILE:LINE: message" and fails, writing nothing.

#include "StringsStaging.h"

#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>

namespace {

std::vector<std::uint8_t> contentsOf(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 5) {
        std::cerr << "usage: orvane-strings LANGUAGE.strings SECTION.lproj PANE.lproj SPECIFIERS.plist ...\n";
        return 2;
    }
    const std::filesystem::path source = argv[1];
    const auto languageTable = contentsOf(source);
    const std::string origin = "Written by the build from " + source.filename().string() +
                               ", the table of every text of this language.";

    std::vector<std::pair<std::filesystem::path, WrittenTable>> tables;
    std::vector<std::vector<std::string>> paneKeys;
    for (int index = 4; index < argc; ++index) {
        const std::filesystem::path plist = argv[index];
        const std::string name = plist.stem().string();
        paneKeys.push_back(paneTableKeys(name, contentsOf(plist)));
        tables.emplace_back(std::filesystem::path(argv[3]) / (name + ".strings"),
                            writtenTable(languageTable, paneKeys.back(), origin));
    }
    tables.emplace_back(std::filesystem::path(argv[2]) / "Localizable.strings",
                        writtenTable(languageTable, sectionTableKeys(languageTable, paneKeys), origin));

    bool failed = false;
    for (const auto& [file, table] : tables) {
        for (const auto& problem : table.problems)
            std::cerr << source.string() << ":" << problem.line << ": " << problem.message << ", which "
                      << file.filename().string() << " needs\n";
        failed |= !table.problems.empty();
    }
    if (failed)
        return 1;
    for (const auto& [file, table] : tables) {
        std::filesystem::create_directories(file.parent_path());
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out << table.text;
        if (!out.flush()) {
            std::cerr << file.string() << ": cannot be written\n";
            return 1;
        }
    }
    return 0;
}
