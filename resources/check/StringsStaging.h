#pragma once

#include "SpecifierCheck.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// The bundles' strings tables are written at build time from one table per language that holds every text of
// the section and of the pane: each written table holds exactly the keys it is looked up for, with the
// values of the language's table.

// What the pane's page of that plist looks up in its table: the texts the plist shows, then those the page's
// code adds (the about notice on the top page).
std::vector<std::string> paneTableKeys(std::string_view name, std::span<const std::uint8_t> plist);

// What the section looks up in its "Localizable" table: every menu title and App Store name of the
// catalogue, and every text of the language's table that no page of the pane looks up (the alerts, the
// scanner's texts and the navigation bar's "Donate", which the pane reads from the section's bundle).
std::vector<std::string> sectionTableKeys(std::span<const std::uint8_t> languageTable,
                                          std::span<const std::vector<std::string>> paneKeys);

struct WrittenTable {
    std::string text;
    // Against the language's table: lines are its lines, a missing key is reported at line 1.
    std::vector<SpecifierProblem> problems;
};

// The table of `keys`, each with the language table's value, in the order the language's table keeps them,
// under a first line that names `origin`. A key the language's table lacks, or a value that changes its key's
// placeholders, is a problem.
WrittenTable writtenTable(std::span<const std::uint8_t> languageTable, std::span<const std::string> keys,
                          std::string_view origin);
