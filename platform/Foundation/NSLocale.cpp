#include "Foundation/NSLocale.h"

#include "Device/DeviceRoot.h"
#include "Foundation/NSDictionary.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

namespace {

struct ReadLanguages {
    std::filesystem::path root;
    std::vector<std::string> languages;
};

std::optional<ReadLanguages>& cached() {
    static std::optional<ReadLanguages> read;
    return read;
}

// The names older systems wrote for a localisation instead of its id.
constexpr std::pair<std::string_view, std::string_view> legacyNames[] = {
    {"English", "en"}, {"Japanese", "ja"}, {"French", "fr"},     {"German", "de"},     {"Spanish", "es"},
    {"Italian", "it"}, {"Dutch", "nl"},    {"zh_CN", "zh-Hans"}, {"zh_TW", "zh-Hant"},
};

std::vector<std::string> readLanguages() {
    std::vector<std::string> languages;
    const auto preferences = NSDictionary::dictionaryWithContentsOfFile(globalPreferencesPath);
    const CFPropertyList* stored = preferences ? preferences->objectForKey(preferredLanguagesKey) : nullptr;
    if (const auto* list = stored ? stored->arrayValue() : nullptr) {
        for (const auto& entry : *list) {
            const auto* text = entry.stringValue();
            auto language = text ? NSLocale::canonicalLanguageIdentifier(*text) : std::nullopt;
            if (language && std::ranges::find(languages, *language) == languages.end())
                languages.push_back(std::move(*language));
        }
    }
    if (languages.empty())
        languages.push_back("en");
    return languages;
}

std::string cased(std::string_view subtag, bool first) {
    std::string text(subtag);
    for (std::size_t index = 0; index < text.size(); ++index) {
        const auto character = static_cast<unsigned char>(text[index]);
        // The first subtag is the language; a four-letter one is a script, a two-letter one a region.
        const bool upper = !first && (subtag.size() == 2 || (subtag.size() == 4 && index == 0));
        text[index] = static_cast<char>(upper ? std::toupper(character) : std::tolower(character));
    }
    return text;
}

} // namespace

const std::vector<std::string>& NSLocale::preferredLanguages() {
    auto& read = cached();
    if (!read || read->root != DeviceRoot::current())
        read = ReadLanguages{DeviceRoot::current(), readLanguages()};
    return read->languages;
}

void NSLocale::reloadPreferredLanguages(Badge<FoundationHost>) {
    cached().reset();
}

std::optional<std::string> NSLocale::canonicalLanguageIdentifier(std::string_view identifier) {
    if (const auto* legacy =
            std::ranges::find(legacyNames, identifier, &std::pair<std::string_view, std::string_view>::first);
        legacy != std::end(legacyNames))
        return std::string(legacy->second);
    constexpr std::size_t longestIdentifier = 64;
    if (identifier.empty() || identifier.size() > longestIdentifier)
        return std::nullopt;
    std::string canonical;
    std::size_t start = 0;
    while (start <= identifier.size()) {
        const std::size_t end = std::min(identifier.find_first_of("-_", start), identifier.size());
        const std::string_view subtag = identifier.substr(start, end - start);
        const bool first = start == 0;
        const bool letters =
            std::ranges::all_of(subtag, [](char c) { return std::isalpha(static_cast<unsigned char>(c)); });
        const bool alphanumeric =
            std::ranges::all_of(subtag, [](char c) { return std::isalnum(static_cast<unsigned char>(c)); });
        if (first ? (subtag.size() < 2 || subtag.size() > 3 || !letters)
                  : (subtag.empty() || subtag.size() > 8 || !alphanumeric))
            return std::nullopt;
        canonical += (first ? "" : "-") + cased(subtag, first);
        start = end + 1;
    }
    return canonical;
}
