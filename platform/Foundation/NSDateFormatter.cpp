#include "Foundation/NSDateFormatter.h"

#include "Foundation/DeviceClock.h"

#include <chrono>
#include <cmath>
#include <ctime>
#include <iomanip>
#include <sstream>

namespace {

// Seconds from 1970 to 2001-01-01 00:00:00 UTC.
constexpr double referenceDateOffset = 978307200;

std::optional<NSDate>& fixedNow() {
    static std::optional<NSDate> now;
    return now;
}

void appendField(std::ostringstream& out, char letter, std::size_t width, const std::tm& time) {
    const int value = letter == 'y'   ? time.tm_year + 1900
                      : letter == 'M' ? time.tm_mon + 1
                      : letter == 'd' ? time.tm_mday
                      : letter == 'H' ? time.tm_hour
                      : letter == 'm' ? time.tm_min
                                      : time.tm_sec;
    const bool twoDigitYear = letter == 'y' && width == 2;
    out << std::setw(static_cast<int>(width)) << std::setfill('0') << (twoDigitYear ? value % 100 : value);
}

bool isField(char letter) {
    return letter == 'y' || letter == 'M' || letter == 'd' || letter == 'H' || letter == 'm' || letter == 's';
}

} // namespace

namespace DeviceClock {

void set(Badge<FoundationHost>, std::optional<NSDate> now) {
    fixedNow() = now;
}

} // namespace DeviceClock

NSDate NSDateNow() {
    if (fixedNow())
        return *fixedNow();
    const auto since1970 = std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch());
    return {since1970.count() - referenceDateOffset};
}

void NSDateFormatter::registerProperties(NSPropertyTable<NSDateFormatter>& table) {
    table.add("dateFormat", &NSDateFormatter::dateFormat, &NSDateFormatter::setDateFormat);
}

std::string NSDateFormatter::stringFromDate(NSDate date) const {
    // Beyond a few hundred million years no calendar answers; such a date formats as nothing.
    constexpr double furthest = 1e16;
    const double seconds = std::floor(date.timeIntervalSinceReferenceDate + referenceDateOffset);
    if (!(std::fabs(seconds) < furthest))
        return {};
    const auto time = static_cast<std::time_t>(seconds);
    std::tm local{};
    if (!::localtime_r(&time, &local))
        return {};
    std::ostringstream out;
    for (std::size_t at = 0; at < _format.size();) {
        const char letter = _format[at];
        const auto end = _format.find_first_not_of(letter, at);
        const std::size_t run = (end == std::string::npos ? _format.size() : end) - at;
        if (letter == '\'') {
            const auto close = _format.find('\'', at + 1);
            out << _format.substr(at + 1, close == std::string::npos ? std::string::npos : close - at - 1);
            at = close == std::string::npos ? _format.size() : close + 1;
            continue;
        }
        if (isField(letter))
            appendField(out, letter, run, local);
        else
            out << _format.substr(at, run);
        at += run;
    }
    return out.str();
}
