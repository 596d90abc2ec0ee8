#pragma once

#include "objc/objc-api.h"

#include "CoreGraphics/CGGeometry.h"

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class UIView;

enum NSLayoutAttribute {
    NSLayoutAttributeLeft = 1,
    NSLayoutAttributeRight = 2,
    NSLayoutAttributeTop = 3,
    NSLayoutAttributeBottom = 4,
    NSLayoutAttributeWidth = 7,
    NSLayoutAttributeHeight = 8,
};

// One equality: the first item's attribute equals the second's plus the constant. With no second item it
// equals the constant alone; `toSuperview` makes the second item the first item's superview, whose edges are
// its bounds'.
struct ORVANE_EXPORT NSLayoutConstraint {
    using Views = std::map<std::string, std::shared_ptr<UIView>, std::less<>>;

    std::weak_ptr<UIView> firstItem;
    NSLayoutAttribute firstAttribute;
    std::weak_ptr<UIView> secondItem;
    bool toSuperview = false;
    NSLayoutAttribute secondAttribute = NSLayoutAttributeLeft;
    CGFloat constant = 0;

    // The part of the visual format language that layouts here use: "H:" (the default) or "V:", "|" for the
    // superview's edge, "[name]" or "[name(size)]" for a view of `views`, joined directly, by "-" (the
    // standard spacing: 8 points between views, 20 to an edge) or by "-N-". Nothing for a format outside it.
    static std::vector<NSLayoutConstraint> constraintsWithVisualFormat(std::string_view format,
                                                                       unsigned options, const Views& views);
};
