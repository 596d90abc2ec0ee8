#include "Languages.h"

#include "Device/EventLog.h"
#include "Foundation/FoundationHost.h"
#include "Foundation/NSDictionary.h"
#include "Foundation/NSLocale.h"

#include <algorithm>

std::optional<std::vector<std::string>> parseLanguages(std::span<const std::string> given,
                                                       std::string& error) {
    std::vector<std::string> languages;
    for (const auto& word : given) {
        for (std::size_t start = 0; start <= word.size();) {
            const std::size_t end = std::min(word.find(',', start), word.size());
            const std::string part = word.substr(start, end - start);
            start = end + 1;
            if (part.empty())
                continue;
            const auto id = NSLocale::canonicalLanguageIdentifier(part);
            if (!id) {
                error = "\"" + part + "\" is no language id (such as en, zh-Hans, ja)";
                return std::nullopt;
            }
            if (std::ranges::find(languages, *id) == languages.end())
                languages.push_back(*id);
        }
    }
    if (languages.empty())
        error = "no language given";
    else if (languages.size() > mostLanguages)
        error = "more than " + std::to_string(mostLanguages) + " languages";
    else
        return languages;
    return std::nullopt;
}

bool setDeviceLanguages(const std::vector<std::string>& languages) {
    NSMutableDictionary preferences;
    if (const auto current = NSDictionary::dictionaryWithContentsOfFile(globalPreferencesPath))
        preferences.addEntriesFromDictionary(*current);
    CFPropertyList::Array list;
    std::string joined;
    for (const auto& language : languages) {
        list.push_back(CFPropertyList::string(language));
        joined += (joined.empty() ? "" : ",") + language;
    }
    preferences.setObject(CFPropertyList::array(std::move(list)), preferredLanguagesKey);
    const bool written = preferences.writeToFile(globalPreferencesPath, true);
    FoundationHost::reloadPreferredLanguages();
    if (written)
        EventLog::record("device.languages", {{"languages", joined}});
    return written;
}

namespace {

int language(std::span<const std::string> arguments, std::ostream& out, std::ostream& errors) {
    if (!arguments.empty()) {
        std::string error;
        const auto languages = parseLanguages(arguments, error);
        if (!languages) {
            const int status = printUsageError(languageCommands(), "language", errors);
            errors << "language: " << error << "\n";
            return status;
        }
        if (!setDeviceLanguages(*languages)) {
            errors << "language: the languages could not be stored in " << globalPreferencesPath << "\n";
            return 1;
        }
    }
    const auto& languages = NSLocale::preferredLanguages();
    for (std::size_t index = 0; index < languages.size(); ++index)
        out << (index ? " " : "") << languages[index];
    out << "\n";
    return 0;
}

const Command commands[] = {
    {"language", "language [LIST]",
     "prints the device's languages, most wanted first; with a list (\"zh-Hans en\" or \"fr,en\"), they "
     "become "
     "the device's: the next appearance and the next page show them",
     language},
};

} // namespace

std::span<const Command> languageCommands() {
    return commands;
}
