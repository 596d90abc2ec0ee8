#include "Defaults.h"

#include "Commands.h"
#include "Foundation/NSDictionary.h"
#include "SettingsReport.h"
#include "Watch.h"
#include "common/SectionSettings.h"
#include "common/SettingsWriter.h"

#include <charconv>
#include <cmath>

namespace {

std::optional<std::int64_t> parseInteger(const std::string& text) {
    std::int64_t value = 0;
    const auto* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || stop != end)
        return std::nullopt;
    return value;
}

// Reals may be written as "nan" or "inf" on purpose: the section must cope with whatever a file holds.
std::optional<double> parseReal(const std::string& text) {
    double value = 0;
    const auto* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || stop != end)
        return std::nullopt;
    return value;
}

std::optional<bool> parseBoolean(const std::string& text) {
    if (text == "true" || text == "yes" || text == "YES" || text == "1")
        return true;
    if (text == "false" || text == "no" || text == "NO" || text == "0")
        return false;
    return std::nullopt;
}

template <typename Value>
std::optional<CFPropertyList> typed(std::optional<Value> value, CFPropertyList (*make)(Value)) {
    if (!value)
        return std::nullopt;
    return make(*value);
}

bool isTypeFlag(const std::string& word) {
    for (const std::string_view flag :
         {"-int", "-integer", "-real", "-float", "-bool", "-boolean", "-string"}) {
        if (word == flag)
            return true;
    }
    return false;
}

std::optional<CFPropertyList> inferred(const std::string& text) {
    if (const auto integer = parseInteger(text))
        return CFPropertyList::integer(*integer);
    if (const auto real = parseReal(text); real && std::isfinite(*real))
        return CFPropertyList::real(*real);
    if (text == "true" || text == "false")
        return CFPropertyList::boolean(text == "true");
    return CFPropertyList::string(text);
}

int readSettings(std::span<const std::string> keys, std::ostream& out, std::ostream& errors) {
    NSPropertyListReadError error;
    const auto file = NSDictionary::dictionaryWithContentsOfFile(settingsPath, error);
    if (!file && error.kind != NSPropertyListReadError::Kind::missing) {
        errors << "the settings file cannot be read (the section uses every default): " << error.reason
               << "\n";
        return 1;
    }
    if (keys.empty()) {
        if (!file) {
            out << "no settings file: the section uses every default\n";
            return 0;
        }
        for (const auto& [key, value] : file->entries())
            out << key << " = " << describeValue(value) << "\n";
        return 0;
    }
    const CFPropertyList* value = file ? file->objectForKey(keys.front()) : nullptr;
    if (value)
        out << keys.front() << " = " << describeValue(*value) << "\n";
    else
        out << keys.front() << " is not set: the section uses its default\n";
    return 0;
}

// Reports a change that did not simply succeed; answers the exit status. `done` says what was done.
int report(const SettingsChange& change, const std::string& done, std::ostream& out, std::ostream& errors) {
    using Status = SettingsChange::Status;
    if (!change.keptAsideAs.empty())
        out << "kept the unreadable settings file aside as " << change.keptAsideAs << " (" << change.reason
            << ")\n";
    switch (change.status) {
    case Status::written:
        out << done << "\n";
        return 0;
    case Status::unannounced:
        out << done << "\n";
        errors << "the change could not be announced: " << change.reason << "\n";
        return 1;
    case Status::unchanged:
        out << "there was no settings file to delete: nothing posted\n";
        return 0;
    case Status::refused:
        errors << "refused: " << change.reason << "; the settings file is unchanged\n";
        return 1;
    case Status::failed:
        break;
    }
    errors << "could not change the settings file: " << change.reason << "\n";
    return 1;
}

int writeSetting(std::span<const std::string> words, std::ostream& out, std::ostream& errors) {
    const auto value = words.size() >= 2 ? parseTypedValue(words.subspan(1)) : std::nullopt;
    if (!value) {
        errors << "usage: defaults write KEY [-int|-real|-bool|-string] VALUE\n";
        return 2;
    }
    return report(writeSettingsValue(words.front(), *value),
                  "wrote " + words.front() + " = " + describeValue(*value), out, errors);
}

int deleteSetting(std::span<const std::string> keys, std::ostream& out, std::ostream& errors) {
    if (keys.size() != 1) {
        errors << "usage: defaults delete KEY\n";
        return 2;
    }
    const std::string_view key = keys.front();
    return report(removeSettingsKeys(std::span(&key, 1)), "deleted " + keys.front(), out, errors);
}

} // namespace

std::optional<CFPropertyList> parseTypedValue(std::span<const std::string> words) {
    // A type flag alone is a slip, not a string to store.
    if (words.size() == 1)
        return isTypeFlag(words[0]) ? std::nullopt : inferred(words[0]);
    if (words.size() != 2)
        return std::nullopt;
    const std::string& type = words[0];
    const std::string& text = words[1];
    if (type == "-int" || type == "-integer")
        return typed(parseInteger(text), &CFPropertyList::integer);
    if (type == "-real" || type == "-float")
        return typed(parseReal(text), &CFPropertyList::real);
    if (type == "-bool" || type == "-boolean")
        return typed(parseBoolean(text), &CFPropertyList::boolean);
    if (type == "-string")
        return CFPropertyList::string(text);
    return std::nullopt;
}

int runDefaults(std::span<const std::string> arguments, std::ostream& out, std::ostream& errors) {
    const std::string verb = arguments.empty() ? std::string() : arguments.front();
    const auto rest = arguments.empty() ? arguments : arguments.subspan(1);
    if (verb == "read" && rest.size() <= 1)
        return readSettings(rest, out, errors);
    if (verb == "write")
        return writeSetting(rest, out, errors);
    if (verb == "delete")
        return deleteSetting(rest, out, errors);
    if (verb == "reset" && rest.empty())
        return report(resetAll(), "deleted the settings file", out, errors);
    errors
        << "usage: defaults read [KEY] | write KEY [-int|-real|-bool|-string] VALUE | delete KEY | reset\n";
    return 2;
}

std::span<const Command> settingsCommands() {
    static const Command commands[] = {
        {"defaults", "defaults read [KEY] | write KEY [-int|-real|-bool|-string] VALUE | delete KEY | reset",
         "the settings file, changed as the settings pane does, with the change notification", runDefaults},
        {"watch", "watch [--notifications N] [--seconds S]",
         "print the settings as the section reads them, at start and after each change notification",
         runWatch},
    };
    return commands;
}
