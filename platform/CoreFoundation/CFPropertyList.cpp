#include "CoreFoundation/CFPropertyList.h"

#include "CoreFoundation/CFNumberParsing.h"
#include "Foundation/NSDictionary.h"

#include <cctype>
#include <cmath>
#include <limits>

namespace {

std::string_view trimmed(std::string_view text) {
    constexpr std::string_view blanks = " \t\n\r\f\v";
    const auto first = text.find_first_not_of(blanks);
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

std::optional<std::int32_t> narrowed(std::int64_t value) {
    if (value < std::numeric_limits<std::int32_t>::min() || value > std::numeric_limits<std::int32_t>::max())
        return std::nullopt;
    return static_cast<std::int32_t>(value);
}

std::optional<std::int32_t> truncated(double value) {
    if (!std::isfinite(value))
        return std::nullopt;
    const double whole = std::trunc(value);
    if (whole < std::numeric_limits<std::int32_t>::min() || whole > std::numeric_limits<std::int32_t>::max())
        return std::nullopt;
    return static_cast<std::int32_t>(whole);
}

bool equalsIgnoringCase(std::string_view text, std::string_view word) {
    if (text.size() != word.size())
        return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(text[i])) != word[i])
            return false;
    }
    return true;
}

} // namespace

CFPropertyList CFPropertyList::dictionary(NSDictionary value) {
    return CFPropertyList(
        std::shared_ptr<const NSDictionary>(std::make_shared<NSDictionary>(std::move(value))));
}

const NSDictionary* CFPropertyList::dictionaryValue() const {
    const auto* shared = std::get_if<std::shared_ptr<const NSDictionary>>(&_value);
    return shared ? shared->get() : nullptr;
}

std::optional<std::int64_t> CFPropertyList::integerValue() const {
    if (const auto* value = std::get_if<std::int64_t>(&_value))
        return *value;
    return std::nullopt;
}

std::optional<double> CFPropertyList::doubleValue() const {
    if (const auto* value = std::get_if<double>(&_value))
        return *value;
    return std::nullopt;
}

std::optional<std::int32_t> CFPropertyList::intValue() const {
    if (const auto* value = std::get_if<std::int64_t>(&_value))
        return narrowed(*value);
    if (const auto* value = std::get_if<double>(&_value))
        return truncated(*value);
    if (const auto* value = std::get_if<bool>(&_value))
        return *value ? 1 : 0;
    if (const auto* value = std::get_if<std::string>(&_value)) {
        if (const auto whole = parseNumber<std::int64_t>(*value, platformNumbers))
            return narrowed(*whole);
    }
    return std::nullopt;
}

std::optional<float> CFPropertyList::floatValue() const {
    if (const auto* value = std::get_if<double>(&_value))
        return static_cast<float>(*value);
    if (const auto* value = std::get_if<std::int64_t>(&_value))
        return static_cast<float>(*value);
    if (const auto* value = std::get_if<bool>(&_value))
        return *value ? 1.0f : 0.0f;
    if (const auto* value = std::get_if<std::string>(&_value))
        return parseNumber<float>(*value, platformNumbers);
    return std::nullopt;
}

std::optional<bool> CFPropertyList::boolValue() const {
    if (const auto* value = std::get_if<bool>(&_value))
        return *value;
    if (const auto* value = std::get_if<std::int64_t>(&_value))
        return *value != 0;
    if (const auto* value = std::get_if<double>(&_value)) {
        if (std::isnan(*value))
            return std::nullopt;
        return *value != 0;
    }
    if (const auto* value = std::get_if<std::string>(&_value)) {
        const auto text = trimmed(*value);
        if (equalsIgnoringCase(text, "yes") || equalsIgnoringCase(text, "true"))
            return true;
        if (equalsIgnoringCase(text, "no") || equalsIgnoringCase(text, "false"))
            return false;
        if (const auto number = parseNumber<double>(text, platformNumbers); number && !std::isnan(*number))
            return *number != 0;
    }
    return std::nullopt;
}

bool CFPropertyList::operator==(const CFPropertyList& other) const {
    const auto* mine = dictionaryValue();
    const auto* theirs = other.dictionaryValue();
    if (mine || theirs)
        return mine && theirs && *mine == *theirs;
    return _value == other._value;
}
