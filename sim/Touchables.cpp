#include "Touchables.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <iomanip>
#include <sstream>

bool rectContains(CGRect rect, CGPoint point) {
    return point.x >= rect.origin.x && point.x < rect.origin.x + rect.size.width &&
           point.y >= rect.origin.y && point.y < rect.origin.y + rect.size.height;
}

const Touchable* Touchables::at(CGPoint point) const {
    const auto found = std::find_if(_all.rbegin(), _all.rend(),
                                    [point](const Touchable& one) { return rectContains(one.frame, point); });
    return found == _all.rend() ? nullptr : &*found;
}

void printTouchable(const Touchable& touchable, std::ostream& out) {
    const CGRect& frame = touchable.frame;
    out << touchable.name << " at " << frame.origin.x << " " << frame.origin.y << " " << frame.size.width
        << " " << frame.size.height << ":";
    for (const auto& word : touchable.tap) {
        if (!word.empty() && word.find_first_of(" \"\\") == std::string::npos)
            out << " " << word;
        else
            out << " " << std::quoted(word);
    }
    if (touchable.track)
        out << " VALUE";
    out << "\n";
}

std::vector<std::string> slideTo(const Touchable& touchable, CGFloat x) {
    const auto& track = *touchable.track;
    const double width = track.right - track.left;
    const double fraction = width > 0 ? std::clamp((x - track.left) / width, 0.0, 1.0) : 0;
    const double value = std::clamp(std::round((track.low + fraction * (track.high - track.low)) * 100) / 100,
                                    track.low, track.high);
    char text[32];
    const auto written = std::to_chars(text, text + sizeof text, value);
    auto words = touchable.tap;
    words.emplace_back(text, written.ptr);
    return words;
}
