#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// What the pane's specifier plists must hold for the pane's code to work: the ids its code looks for, a
// control for every settings key with the settings store's default, and list values taken from the function
// catalogue. Run at build time, so that a wrong plist never reaches a device.
struct SpecifierProblem {
    // The line of the offending item (or of the file's start when something is missing); 0 for a binary
    // plist.
    int line;
    std::string message;
};

// The problems of one of the three plists, named as loaded ("OrvanePrefs", "DefaultActions", "Colors").
std::vector<SpecifierProblem> checkSpecifierPlist(std::string_view name, std::span<const std::uint8_t> bytes);

// The placeholders of a text, in order: "%@", "%d", "%1$@" and the like; "%%" is text, not a placeholder.
std::vector<std::string> placeholdersOf(std::string_view text);

// The texts of a plist that a person reads, in the plist's order: what its items show as title, footer and
// choices. Nothing for a plist that cannot be read.
std::vector<std::string> specifierTexts(std::span<const std::uint8_t> plist);

// A text as a strings table quotes it: quotes and backslashes escaped, line breaks as "\n".
std::string escapedText(std::string_view text);
// Where the entry of `key` starts in a strings table's text (its quoted key); npos when it has none.
std::size_t offsetOfKey(std::string_view table, std::string_view key);
// Its line; 1 when the table has none.
int lineOfKey(std::string_view table, std::string_view key);

// The problems of a strings table that translates a specifier plist: every text the plist shows (titles,
// footers, the titles of a list's choices) must be a key of the table, and each value must keep the
// placeholders of its key, in order. Lines are the table's; a missing key is reported at line 1.
std::vector<SpecifierProblem> checkSpecifierStrings(std::span<const std::uint8_t> plist,
                                                    std::span<const std::uint8_t> table);
