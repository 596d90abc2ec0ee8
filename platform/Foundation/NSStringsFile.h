#pragma once

#include "objc/objc-api.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>

// Larger tables are refused: a localised table is a few kilobytes, and this bounds what one file can claim.
inline constexpr std::size_t maximumStringsFileSize = 8 * 1024 * 1024;

// Parses a localised strings table: the old ".strings" syntax (`"key" = "value";`, comments, escapes, UTF-8
// or UTF-16 with a byte-order mark) or a property-list dictionary of strings. Nothing for a malformed table.
ORVANE_EXPORT std::optional<std::map<std::string, std::string, std::less<>>>
parseStringsFile(std::span<const std::uint8_t> bytes);
