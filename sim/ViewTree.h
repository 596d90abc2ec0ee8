#pragma once

#include "UIKit/UIButton.h"
#include "UIKit/UIView.h"

#include <memory>
#include <ostream>
#include <vector>

// Prints the view and its subviews, one line each, indented by depth: class, frame, and whatever differs
// from a plain view (hidden, alpha, background colour, a button's image size). Stable text for people and
// tests.
void describeViewTree(const UIView& view, std::ostream& out, int depth = 0);

// The buttons of the section's row, slot 1 first.
std::vector<std::shared_ptr<UIButton>> rowButtons(const UIView& row);

// Where the view's top left corner lies in the bounds of `ancestor`, which holds it.
CGPoint originIn(const UIView& view, const UIView& ancestor);
