#pragma once

#include <charconv>
#include <cmath>
#include <optional>
#include <string>

// The whole text as a finite number greater than zero; nothing for anything else ("nan" and "inf" included).
template <typename Number> std::optional<Number> parsePositive(const std::string& text) {
    Number value{};
    const auto* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || stop != end || !(value > 0) || !std::isfinite(value))
        return std::nullopt;
    return value;
}
