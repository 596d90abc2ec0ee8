#pragma once

#include "objc/objc-api.h"

#include "objc/Badge.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

class FoundationHost;

// Where the device keeps the languages the person chose, most wanted first, as the array "AppleLanguages".
inline constexpr std::string_view globalPreferencesPath =
    "/var/mobile/Library/Preferences/.GlobalPreferences.plist";
inline constexpr std::string_view preferredLanguagesKey = "AppleLanguages";

class ORVANE_EXPORT NSLocale {
  public:
    // The device's languages, most wanted first; English ("en") when the device names none. Read once per
    // device root and kept, as a process keeps what it read when it started: a change of languages takes a
    // restart of the processes that show text.
    static const std::vector<std::string>& preferredLanguages();
    // For hosts: the processes restart, so the next look-up reads the languages again.
    static void reloadPreferredLanguages(Badge<FoundationHost>);

    // The canonical form of a language id: "_" becomes "-", the language is lower case, a script title case
    // ("Hans"), a region upper case ("CN"); the old English names of a few languages ("English", "Japanese")
    // become their ids. Nothing for text that is no language id (letters, digits and "-" in subtags of one to
    // eight, the first of two or three letters).
    static std::optional<std::string> canonicalLanguageIdentifier(std::string_view identifier);
};
