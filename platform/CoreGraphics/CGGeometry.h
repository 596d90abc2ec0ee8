#pragma once

#include "objc/objc-api.h"

#include <algorithm>

using CGFloat = double;

struct ORVANE_EXPORT CGPoint {
    CGFloat x = 0;
    CGFloat y = 0;
    bool operator==(const CGPoint&) const = default;
};

struct ORVANE_EXPORT CGSize {
    CGFloat width = 0;
    CGFloat height = 0;
    bool operator==(const CGSize&) const = default;
};

struct ORVANE_EXPORT CGRect {
    CGPoint origin;
    CGSize size;
    bool operator==(const CGRect&) const = default;
};

constexpr CGPoint CGPointMake(CGFloat x, CGFloat y) {
    return {x, y};
}
constexpr CGSize CGSizeMake(CGFloat width, CGFloat height) {
    return {width, height};
}
constexpr CGRect CGRectMake(CGFloat x, CGFloat y, CGFloat width, CGFloat height) {
    return {{x, y}, {width, height}};
}
inline constexpr CGRect CGRectZero = {};

constexpr CGFloat CGRectGetMinX(CGRect r) {
    return r.origin.x;
}
constexpr CGFloat CGRectGetMinY(CGRect r) {
    return r.origin.y;
}
constexpr CGFloat CGRectGetMaxX(CGRect r) {
    return r.origin.x + r.size.width;
}
constexpr CGFloat CGRectGetMaxY(CGRect r) {
    return r.origin.y + r.size.height;
}
constexpr CGFloat CGRectGetWidth(CGRect r) {
    return r.size.width;
}
constexpr CGFloat CGRectGetHeight(CGRect r) {
    return r.size.height;
}

// x' = a*x + c*y + tx, y' = b*x + d*y + ty, as in CoreGraphics.
struct ORVANE_EXPORT CGAffineTransform {
    CGFloat a = 1, b = 0, c = 0, d = 1, tx = 0, ty = 0;
    bool operator==(const CGAffineTransform&) const = default;
};
inline constexpr CGAffineTransform CGAffineTransformIdentity = {};
ORVANE_EXPORT CGAffineTransform CGAffineTransformMakeTranslation(CGFloat tx, CGFloat ty);
ORVANE_EXPORT CGAffineTransform CGAffineTransformMakeScale(CGFloat sx, CGFloat sy);
ORVANE_EXPORT CGAffineTransform CGAffineTransformMakeRotation(CGFloat angle);
// t1 then t2.
ORVANE_EXPORT CGAffineTransform CGAffineTransformConcat(CGAffineTransform t1, CGAffineTransform t2);
ORVANE_EXPORT CGAffineTransform CGAffineTransformTranslate(CGAffineTransform t, CGFloat tx, CGFloat ty);
ORVANE_EXPORT CGAffineTransform CGAffineTransformScale(CGAffineTransform t, CGFloat sx, CGFloat sy);
ORVANE_EXPORT CGAffineTransform CGAffineTransformRotate(CGAffineTransform t, CGFloat angle);
ORVANE_EXPORT CGPoint CGPointApplyAffineTransform(CGPoint point, CGAffineTransform t);
