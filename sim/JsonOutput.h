#pragma once

#include "CoreFoundation/CFPropertyList.h"

#include <nlohmann/json_fwd.hpp>
#include <ostream>

// What a command prints for a program to read (`--json`): keys stay in the order the command gives them,
// which is the order its text shows them in. Headers see the type only; what builds JSON includes
// <nlohmann/json.hpp>.
using Json = nlohmann::ordered_json;

// One JSON document, indented, ending with a newline. Text that is not UTF-8 (a label or a file name as a
// person typed it) is written with U+FFFD in its place, never failing the command.
void printJson(const Json& value, std::ostream& out);
// One value on one line, as JSON Lines has it.
void printJsonLine(const Json& value, std::ostream& out);

// A property-list value: strings, numbers and booleans as themselves, arrays and dictionaries as arrays and
// objects, a date as {"date": seconds since 2001-01-01}, data as {"bytes": its length}.
Json jsonOfValue(const CFPropertyList& value);
