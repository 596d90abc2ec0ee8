#pragma once

// A strings table held against what the code looks up in it, and a translated table against its language's
// glossary of names (resources/glossary/LANGUAGE.tsv).

#include "Foundation/NSStringsFile.h"
#include "SpecifierCheck.h"

#include <cctype>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace strings_tables {

using Keys = std::set<std::string, std::less<>>;
using Table = std::map<std::string, std::string, std::less<>>;
using Glossary = std::vector<std::pair<std::string, std::string>>;

inline const std::vector<std::string> shippedLanguages = {"en", "ja", "zh-Hans", "zh-Hant"};

// What is wrong with one table of a language against the keys the code looks up in it.
inline std::vector<std::string> tableProblems(const Keys& lookedUp, const Table& table) {
    std::vector<std::string> problems;
    for (const auto& key : lookedUp) {
        if (!table.contains(key))
            problems.push_back("lacks \"" + key + "\"");
    }
    for (const auto& [key, value] : table) {
        if (!lookedUp.contains(key))
            problems.push_back("holds \"" + key + "\", which nothing looks up");
        if (placeholdersOf(key) != placeholdersOf(value))
            problems.push_back("changes the placeholders of \"" + key + "\" to \"" + value + "\"");
    }
    return problems;
}

inline bool isWordAt(std::string_view text, std::size_t at, std::size_t length) {
    const auto letter = [](char c) { return std::isalpha(static_cast<unsigned char>(c)) != 0; };
    return (at == 0 || !letter(text[at - 1])) && (at + length == text.size() || !letter(text[at + length]));
}

// A name of the glossary in a key must be written as the glossary writes it in the key's text: the whole text
// when the key is the name, a part of it when the key holds the name among other words.
inline std::vector<std::string> glossaryProblems(const Glossary& glossary, const Table& table) {
    std::vector<std::string> problems;
    for (const auto& [key, value] : table) {
        for (const auto& [english, translated] : glossary) {
            const auto at = key.find(english);
            if (at == std::string::npos || !isWordAt(key, at, english.size()))
                continue;
            if (key == english ? value != translated : value.find(translated) == std::string::npos)
                problems.push_back("writes " + english + " in \"" + key + "\" as \"" + value + "\", not \"" +
                                   translated + "\"");
        }
    }
    return problems;
}

inline std::string fileText(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

inline Table tableAt(const std::filesystem::path& file) {
    const std::string text = fileText(file);
    auto parsed =
        parseStringsFile(std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
    EXPECT_TRUE(parsed) << file << " is no readable strings table";
    return parsed.value_or(Table());
}

// The glossary's lines "English<TAB>translation"; lines that start with '#' are comments.
inline Glossary glossaryAt(const std::filesystem::path& file) {
    Glossary names;
    std::istringstream lines(fileText(file));
    for (std::string line; std::getline(lines, line);) {
        const auto tab = line.find('\t');
        if (!line.starts_with('#') && tab != std::string::npos)
            names.emplace_back(line.substr(0, tab), line.substr(tab + 1));
    }
    return names;
}

// Every table the code looked up in the bundle at `folder` (a host path), in every shipped language: exactly
// the keys looked up, their placeholders kept, and, translated, the glossary's names.
inline void expectTablesHoldWhatIsLookedUp(const std::filesystem::path& folder,
                                           const std::map<std::string, Keys, std::less<>>& lookedUp,
                                           const std::filesystem::path& glossaries) {
    for (const auto& language : shippedLanguages) {
        for (const auto& [table, wanted] : lookedUp) {
            const auto file = folder / (language + ".lproj") / (table + ".strings");
            EXPECT_EQ(tableProblems(wanted, tableAt(file)), std::vector<std::string>{}) << file;
            if (language != "en") {
                EXPECT_EQ(glossaryProblems(glossaryAt(glossaries / (language + ".tsv")), tableAt(file)),
                          std::vector<std::string>{})
                    << file;
            }
        }
    }
}

} // namespace strings_tables
