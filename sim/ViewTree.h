#pragma once

#include "UIKit/UIView.h"

#include <ostream>

// Prints the view and its subviews, one line each, indented by depth: class, frame, and whatever differs
// from a plain view (hidden, alpha, background colour, a button's image size). Stable text for people and
// tests.
void describeViewTree(const UIView& view, std::ostream& out, int depth = 0);
