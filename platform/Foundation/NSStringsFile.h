#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>

// Parses a localised strings table: the old ".strings" syntax (`"key" = "value";`, comments, escapes, UTF-8 or
// UTF-16 with a byte-order mark) or a property-list dictionary of strings. Nothing for a malformed table.
std::optional<std::map<std::string, std::string, std::less<>>> parseStringsFile(std::span<const std::uint8_t> bytes);
