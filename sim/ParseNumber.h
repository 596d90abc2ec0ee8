#pragma once

#include "CoreFoundation/CFNumberParsing.h"

#include <optional>
#include <string_view>

// The whole text as a finite number greater than zero, as the command line takes a count, a width or a
// number of seconds; nothing for anything else ("nan" and "inf" included).
template <typename Number> std::optional<Number> parsePositive(std::string_view text) {
    const auto value = parseNumber<Number>(text, commandLineNumbers);
    return value && *value > 0 ? value : std::nullopt;
}

// The whole text as a finite number of at least `lowest`, as the command line takes a point on the screen.
template <typename Number> std::optional<Number> parseAtLeast(std::string_view text, Number lowest) {
    const auto value = parseNumber<Number>(text, commandLineNumbers);
    return value && *value >= lowest ? value : std::nullopt;
}
