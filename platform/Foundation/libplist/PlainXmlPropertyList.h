#pragma once

#include "Foundation/NSDictionary.h"

#include <cstdint>
#include <optional>
#include <span>

// A direct reader for XML property lists in the plain form that settings files take: an XML declaration and
// document type, one root dictionary of dictionaries, arrays, keys, ASCII strings with the predefined
// entities, decimal integers, reals, true and false. libplist's parser builds a tree of its own, looks up
// every key it inserts and copies every string twice, which costs more than the rest of a settings read.
//
// Anything outside the plain form (comments, CDATA, other references, control or non-ASCII characters, data,
// dates, duplicate keys, numbers libplist reads in its own way, nesting or sizes near the limits) gets no
// answer, and libplist reads the file as before: the answer, when there is one, is the dictionary libplist's
// reading gives.
namespace PlainXmlPropertyList {

std::optional<NSDictionary> read(std::span<const std::uint8_t> bytes);

} // namespace PlainXmlPropertyList
