#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

// Bounds checked on a property list's bytes before libplist sees them. Its parsers recurse once per level of
// nesting, slow down with the square of the depth and copy an object once for every reference to it, so a
// small hostile file could exhaust the stack or the memory; no file of ours comes near these bounds.
namespace PropertyListLimits {

// Levels below the root object; the root dictionary's values are at depth 1.
inline constexpr int maximumDepth = 64;
// Objects of the parsed tree, dictionary keys included, counting a shared object once per reference.
inline constexpr std::size_t maximumObjects = 1 << 18;

enum class Verdict {
    acceptable,
    tooDeep,
    tooManyObjects,
    // libplist 2.2 aborts the process on a UTF-16 dictionary key that holds U+0000.
    nulInString,
    malformed,
};

// XML or binary, told apart as libplist tells them.
Verdict check(std::span<const std::uint8_t> bytes);

} // namespace PropertyListLimits
