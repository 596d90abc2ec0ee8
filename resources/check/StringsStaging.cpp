#include "StringsStaging.h"

#include "Foundation/NSStringsFile.h"
#include "common/FunctionCatalogue.h"
#include "prefs/SettingsPane.h"

#include <algorithm>

namespace {

void addOnce(std::vector<std::string>& keys, std::string_view key) {
    if (!key.empty() && std::ranges::find(keys, key) == keys.end())
        keys.emplace_back(key);
}

std::string_view textOf(std::span<const std::uint8_t> bytes) {
    return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

} // namespace

std::vector<std::string> paneTableKeys(std::string_view name, std::span<const std::uint8_t> plist) {
    auto keys = specifierTexts(plist);
    if (name == "OrvanePrefs")
        addOnce(keys, aboutNoticeKey);
    return keys;
}

std::vector<std::string> sectionTableKeys(std::span<const std::uint8_t> languageTable,
                                          std::span<const std::vector<std::string>> paneKeys) {
    std::vector<std::string> keys;
    for (const FunctionInfo& function : actionFunctions()) {
        for (const ActionRow& row : function.actions)
            addOnce(keys, row.menuTitle);
        addOnce(keys, function.appStoreName.value_or(""));
        if (function.pad)
            addOnce(keys, function.pad->appStoreName);
    }
    const auto table = parseStringsFile(languageTable);
    for (const auto& entry : table ? *table : std::map<std::string, std::string, std::less<>>()) {
        const std::string& key = entry.first;
        if (std::ranges::none_of(paneKeys,
                                 [&](const auto& page) { return std::ranges::count(page, key) > 0; }))
            addOnce(keys, key);
    }
    return keys;
}

WrittenTable writtenTable(std::span<const std::uint8_t> languageTable, std::span<const std::string> keys,
                          std::string_view origin) {
    const auto table = parseStringsFile(languageTable);
    if (!table)
        return {{}, {{1, "is not a strings table"}}};
    const std::string_view source = textOf(languageTable);
    WrittenTable written{"/* " + std::string(origin) + " */\n", {}};
    std::vector<std::pair<std::size_t, std::string>> entries;
    for (const auto& key : keys) {
        const auto found = table->find(key);
        if (found == table->end()) {
            written.problems.push_back({1, "has no text for \"" + key + "\""});
            continue;
        }
        if (placeholdersOf(key) != placeholdersOf(found->second))
            written.problems.push_back(
                {lineOfKey(source, key), "changes the placeholders of \"" + key + "\""});
        entries.emplace_back(offsetOfKey(source, key),
                             "\"" + escapedText(key) + "\" = \"" + escapedText(found->second) + "\";\n");
    }
    std::ranges::stable_sort(entries, {}, &std::pair<std::size_t, std::string>::first);
    for (const auto& [at, entry] : entries)
        written.text += entry;
    return written;
}
