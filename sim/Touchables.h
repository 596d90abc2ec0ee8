#pragma once

#include "CoreGraphics/CGGeometry.h"

#include <optional>
#include <ostream>
#include <string>
#include <vector>

// Something a finger can press on the screen as a screenshot draws it, in the screenshot's points: what it
// is, and the command a person would type for the same press, so that a touch and the typed command run the
// same code.
struct Touchable {
    // Along a slider's track a finger sets the value under it: the command's words take the value last.
    struct Track {
        CGFloat left = 0;
        CGFloat right = 0;
        double low = 0;
        double high = 1;
    };

    CGRect frame{};
    std::string name;
    std::vector<std::string> tap;
    // A long press where it differs from a tap.
    std::vector<std::string> hold;
    std::optional<Track> track;
};

// Whatever the drawing put on the screen for a finger, in drawing order: a later one lies above.
class Touchables {
  public:
    void add(Touchable touchable) { _all.push_back(std::move(touchable)); }
    // The topmost one under the point, if any.
    const Touchable* at(CGPoint point) const;
    const std::vector<Touchable>& all() const { return _all; }

  private:
    std::vector<Touchable> _all;
};

bool rectContains(CGRect rect, CGPoint point);
// "NAME at X Y W H", one a line, for `touchable`.
void printTouchable(const Touchable& touchable, std::ostream& out);
// The words of a slider's command with the value under `x`, rounded to hundredths within the range.
std::vector<std::string> slideTo(const Touchable& touchable, CGFloat x);
