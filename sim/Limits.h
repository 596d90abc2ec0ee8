#pragma once

#include <cstddef>

// The longest command line the device takes, from any input: a script, the standard input, the control socket
// or the page. Long enough for every real command (a quoted title, a path); a stream without line ends is
// refused at this length instead of being gathered without bound.
constexpr std::size_t longestCommandLine = 64 * 1024;
