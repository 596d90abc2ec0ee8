#pragma once

#include <charconv>
#include <cmath>
#include <optional>
#include <string_view>
#include <system_error>
#include <type_traits>

// How much a reader of numbers forgives around the digits. Every number read from text is read whole, the
// text holding one number and nothing else; a policy says what may surround it and whether "nan", "inf" and
// "-inf" count as numbers.
struct NumberPolicy {
    // Blanks (space, tab, line breaks, form feed, vertical tab) before and after the number are dropped.
    bool trimsBlanks;
    // "+5" reads as 5 ("+-5" still reads as nothing).
    bool takesLeadingPlus;
    // "nan", "inf" and "-inf" read as what they say; otherwise they read as nothing.
    bool takesNonFinite;
};

// The platform's, as CoreFoundation converts a string value: blanks trimmed, a leading "+" taken, and "nan"
// and "inf" read, so that a conversion can decide what they mean.
inline constexpr NumberPolicy platformNumbers{true, true, true};
// What a person types on the command line: the number alone, finite ("nan" and "inf" are refused, as a typo
// could be taken for them).
inline constexpr NumberPolicy commandLineNumbers{false, false, false};
// A real written into a settings file on purpose: as strict as the command line, but "nan" and "inf" are
// taken, since what reads the file must cope with whatever it holds.
inline constexpr NumberPolicy commandLineStoredReals{false, false, true};

// The whole of `text` as a number of type `Number` under `policy`; nothing for anything else, an empty text,
// or a number out of the type's range.
template <typename Number> std::optional<Number> parseNumber(std::string_view text, NumberPolicy policy) {
    if (policy.trimsBlanks) {
        constexpr std::string_view blanks = " \t\n\r\f\v";
        const auto first = text.find_first_not_of(blanks);
        text = first == std::string_view::npos
                   ? std::string_view()
                   : text.substr(first, text.find_last_not_of(blanks) - first + 1);
    }
    if (policy.takesLeadingPlus && text.size() > 1 && text.front() == '+' && text[1] != '-')
        text.remove_prefix(1);
    Number value{};
    const auto* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || stop != end)
        return std::nullopt;
    if constexpr (std::is_floating_point_v<Number>) {
        if (!policy.takesNonFinite && !std::isfinite(value))
            return std::nullopt;
    }
    return value;
}
