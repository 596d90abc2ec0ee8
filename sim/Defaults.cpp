#include "Defaults.h"

#include "CommandOptions.h"
#include "Commands.h"
#include "CoreFoundation/CFNumberParsing.h"
#include "Foundation/NSDictionary.h"
#include "JsonOutput.h"
#include "SettingsReport.h"
#include "Watch.h"
#include "common/SectionSettings.h"
#include "common/SettingsWriter.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <numeric>
#include <unistd.h>

namespace {

constexpr std::string_view defaultsUsage = "defaults read [KEY] [--json] | write [--force] KEY "
                                           "[-int|-real|-bool|-string] VALUE | delete KEY | reset | "
                                           "export FILE | import FILE";

std::optional<std::int64_t> parseInteger(const std::string& text) {
    return parseNumber<std::int64_t>(text, commandLineNumbers);
}

// Reals may be written as "nan" or "inf" on purpose: the section must cope with whatever a file holds.
std::optional<double> parseReal(const std::string& text) {
    return parseNumber<double>(text, commandLineStoredReals);
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

// The settings file as one JSON object (empty when there is none), or the one key asked for (empty when it is
// not set).
Json settingsJson(const NSDictionary* file, std::span<const std::string> keys) {
    auto settings = Json::object();
    if (!file)
        return settings;
    for (const auto& [key, value] : file->entries())
        if (keys.empty() || key == keys.front())
            settings[key] = jsonOfValue(value);
    return settings;
}

int readSettings(std::span<const std::string> keys, bool json, std::ostream& out, std::ostream& errors) {
    NSPropertyListReadError error;
    const auto file = NSDictionary::dictionaryWithContentsOfFile(settingsPath, error);
    if (!file && error.kind != NSPropertyListReadError::Kind::missing) {
        errors << "the settings file cannot be read (the section uses every default): " << error.reason
               << "\n";
        return 1;
    }
    if (json) {
        printJson(settingsJson(file ? &*file : nullptr, keys), out);
        return 0;
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

std::string upper(std::string_view text) {
    std::string result(text);
    std::ranges::transform(result, result.begin(), [](unsigned char c) { return std::toupper(c); });
    return result;
}

// How many single-character edits turn one word into the other.
std::size_t editDistance(std::string_view from, std::string_view to) {
    std::vector<std::size_t> row(to.size() + 1);
    std::iota(row.begin(), row.end(), 0);
    for (std::size_t i = 1; i <= from.size(); ++i) {
        std::size_t diagonal = row[0];
        row[0] = i;
        for (std::size_t j = 1; j <= to.size(); ++j) {
            const std::size_t above = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (from[i - 1] == to[j - 1] ? 0 : 1)});
            diagonal = above;
        }
    }
    return row[to.size()];
}

// The keys a mistyped `key` might mean: a slip of two characters or fewer, a different case, or a part of
// a key; every key when none is near.
std::string keysNear(std::string_view key) {
    const std::string wanted = upper(key);
    std::string near;
    const auto keys = settingsKeys();
    for (const auto known : keys) {
        const std::string candidate = upper(known);
        const bool part = wanted.size() >= 4 && candidate.find(wanted) != std::string::npos;
        if (part || editDistance(wanted, candidate) <= 2)
            near += (near.empty() ? "" : ", ") + std::string(known);
    }
    if (!near.empty())
        return "did you mean " + near + "?";
    std::string all;
    for (const auto known : keys)
        all += (all.empty() ? "" : ", ") + std::string(known);
    return "the keys are " + all;
}

// Why the section would not take `value` under `key`; nothing when it would.
std::optional<std::string> ignoredBySection(const std::string& key, const CFPropertyList& value) {
    if (!settingsDefault(key))
        return key + " is not a key the section reads (" + keysNear(key) + ")";
    if (const auto accepted = settingsValueIgnored(key, value))
        return "the section ignores " + key + " = " + describeValue(value) + ": it takes " + *accepted;
    return std::nullopt;
}

constexpr std::string_view forceFlag = "--force";

int writeSetting(std::span<const std::string> words, std::ostream& out, std::ostream& errors) {
    const bool force = !words.empty() && words.front() == forceFlag;
    if (force)
        words = words.subspan(1);
    const auto value = words.size() >= 2 ? parseTypedValue(words.subspan(1)) : std::nullopt;
    if (!value) {
        errors << "usage: defaults write [--force] KEY [-int|-real|-bool|-string] VALUE\n";
        return 2;
    }
    if (const auto ignored = force ? std::nullopt : ignoredBySection(words.front(), *value)) {
        errors << "refused: " << *ignored << "; nothing written (--force writes it anyway)\n";
        return 1;
    }
    return report(writeSettingsValue(words.front(), *value),
                  "wrote " + words.front() + " = " + describeValue(*value), out, errors);
}

// Writes `text` to the host file beside itself first, then renames it into place, so that a reader never
// sees part of it and a failure leaves the old file.
std::optional<std::string> writeHostFileAtomically(const std::filesystem::path& file,
                                                   const std::string& text) {
    const std::filesystem::path temporary = file.string() + ".tmp-" + std::to_string(::getpid());
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out << text;
        out.flush();
        if (!out) {
            std::error_code ignored;
            std::filesystem::remove(temporary, ignored);
            return "it cannot be written";
        }
    }
    std::error_code error;
    std::filesystem::rename(temporary, file, error);
    if (!error)
        return std::nullopt;
    std::filesystem::remove(temporary, error);
    return "it cannot be put in place";
}

int exportSettings(std::span<const std::string> words, std::ostream& out, std::ostream& errors) {
    if (words.size() != 1) {
        errors << "usage: defaults export FILE\n";
        return 2;
    }
    NSPropertyListReadError error;
    const auto file = NSDictionary::dictionaryWithContentsOfFile(settingsPath, error);
    if (!file && error.kind != NSPropertyListReadError::Kind::missing) {
        errors << "the settings file cannot be read: " << error.reason << "; nothing exported\n";
        return 1;
    }
    const NSDictionary settings = file.value_or(NSDictionary());
    if (const auto problem = writeHostFileAtomically(words.front(), settings.xmlPropertyList())) {
        errors << words.front() << ": " << *problem << "\n";
        return 1;
    }
    out << "exported " << settings.count() << " settings to " << words.front() << "\n";
    return 0;
}

// Larger than any settings file the reader takes.
constexpr std::uintmax_t largestSettingsFile = 16 * 1024 * 1024;

// The settings dictionary a host file holds, as the section would read it; nothing, with the reason, for a
// file that is not one: not a property list, not a dictionary, a key the section does not read or a value
// it would ignore.
std::optional<NSDictionary> readSettingsFile(const std::filesystem::path& file, std::string& problem) {
    std::error_code code;
    if (!std::filesystem::is_regular_file(file, code)) {
        problem = "no such file, or not a regular file";
        return std::nullopt;
    }
    if (std::filesystem::file_size(file, code) > largestSettingsFile) {
        problem = "larger than a settings file can be (16 MiB)";
        return std::nullopt;
    }
    std::ifstream in(file, std::ios::binary);
    const std::vector<std::uint8_t> bytes(std::istreambuf_iterator<char>(in), {});
    std::string error;
    auto settings = NSDictionary::dictionaryWithPropertyListData(bytes, error);
    if (!settings) {
        problem = "not a settings file: " + (error.empty() ? "its root is not a dictionary" : error);
        return std::nullopt;
    }
    for (const auto& [key, value] : settings->entries()) {
        if (auto ignored = ignoredBySection(key, value)) {
            problem = "not a settings file: " + *ignored;
            return std::nullopt;
        }
    }
    return settings;
}

int importSettings(std::span<const std::string> words, std::ostream& out, std::ostream& errors) {
    if (words.size() != 1) {
        errors << "usage: defaults import FILE\n";
        return 2;
    }
    std::string problem;
    const auto settings = readSettingsFile(words.front(), problem);
    if (!settings) {
        errors << "refused " << words.front() << ": " << problem << "; the settings file is unchanged\n";
        return 1;
    }
    return report(replaceSettings(*settings),
                  "imported " + std::to_string(settings->count()) + " settings from " + words.front(), out,
                  errors);
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
    const auto read = verb == "read" ? parseCommandOptions(rest, jsonOption) : std::nullopt;
    if (read && read->operands.size() <= 1)
        return readSettings(read->operands, read->has("json"), out, errors);
    if (verb == "write")
        return writeSetting(rest, out, errors);
    if (verb == "delete")
        return deleteSetting(rest, out, errors);
    if (verb == "export")
        return exportSettings(rest, out, errors);
    if (verb == "import")
        return importSettings(rest, out, errors);
    if (verb == "reset" && rest.empty())
        return report(resetAll(), "deleted the settings file", out, errors);
    errors << "usage: " << defaultsUsage << "\n";
    return 2;
}

std::span<const Command> settingsCommands() {
    static const Command commands[] = {
        {"defaults", defaultsUsage,
         "the settings file, changed as the settings pane does, with the change notification", runDefaults},
        {"watch", "watch [--notifications N] [--seconds S]",
         "print the settings as the section reads them, at start and after each change notification",
         runWatch},
    };
    return commands;
}
