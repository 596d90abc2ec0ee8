#pragma once

#include "Commands.h"

#include <optional>
#include <span>
#include <string>
#include <vector>

// The device's languages, most wanted first, as Settings stores them in the global preferences.
inline constexpr std::size_t mostLanguages = 16;

// The canonical ids of `given` (a word may hold several, split at commas), at most `mostLanguages`, each
// once; nothing, with the reason in `error`, when one is no language id or none is given.
std::optional<std::vector<std::string>> parseLanguages(std::span<const std::string> given,
                                                       std::string& error);

// Stores the languages, keeping the rest of the global preferences, and has this process read them again as
// a restarted one would; the change goes to the event log. Answers whether the file was written.
bool setDeviceLanguages(const std::vector<std::string>& languages);

// language [LIST]: prints or changes the device's languages.
std::span<const Command> languageCommands();
