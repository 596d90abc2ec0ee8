#pragma once

#include <ostream>

// A scripted walk through the product on a fresh device: what `orvane-sim` does when given no command.
int runDemo(std::ostream& out, std::ostream& errors);
