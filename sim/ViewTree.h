#pragma once

#include "JsonOutput.h"
#include "UIKit/UIButton.h"
#include "UIKit/UIView.h"

#include <memory>
#include <ostream>
#include <vector>

// The view and its subviews: class, frame, and whatever differs from a plain view (hidden, alpha,
// background colour, a button's image size).
Json viewTreeJson(const UIView& view);
// The same, one line a view, indented by depth: stable text for people and tests.
void describeViewTree(const UIView& view, std::ostream& out);

// The buttons of the section's row, slot 1 first.
std::vector<std::shared_ptr<UIButton>> rowButtons(const UIView& row);

// Where the view's top left corner lies in the bounds of `ancestor`, which holds it.
CGPoint originIn(const UIView& view, const UIView& ancestor);
