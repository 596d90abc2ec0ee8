// Checks the settings pane's specifier plists: orvane-prefs-check FILE.plist ... Each file is checked as the
// plist its name gives; problems go to standard error as "FILE:LINE: message", and any problem fails.

#include "SpecifierCheck.h"

#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>

int main(int argc, char** argv) {
    if (argc < 2) {
        std::cerr << "usage: orvane-prefs-check FILE.plist ...\n";
        return 2;
    }
    int failed = 0;
    for (int at = 1; at < argc; ++at) {
        const std::filesystem::path file = argv[at];
        std::ifstream in(file, std::ios::binary);
        const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), {}};
        for (const auto& problem : checkSpecifierPlist(file.stem().string(), bytes)) {
            std::cerr << file.string() << ":" << problem.line << ": " << file.stem().string() << " "
                      << problem.message << "\n";
            failed = 1;
        }
    }
    return failed;
}
