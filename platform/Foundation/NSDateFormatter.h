#pragma once

#include "objc/objc-api.h"

#include "CoreFoundation/CFPropertyList.h"
#include "Foundation/NSObject.h"

#include <string>

// The device's clock: what `NSDate::date()` answers. It follows the system clock unless a host set it.
ORVANE_EXPORT NSDate NSDateNow();

// Formats dates with a Unicode date pattern, in the device's time zone and the Gregorian calendar: "yyyy"
// (year), "MM" and "M" (month), "dd" and "d" (day), "HH" (hour), "mm" (minute), "ss" (second); text in single
// quotes and every other character is copied.
class ORVANE_EXPORT NSDateFormatter : public NSObject {
    OBJC_OBJECT(NSDateFormatter, NSObject)
    const std::string& dateFormat() const { return _format; }
    void setDateFormat(std::string format) { _format = std::move(format); }
    std::string stringFromDate(NSDate date) const;

  protected:
    NSDateFormatter() = default;
    static void registerProperties(NSPropertyTable<NSDateFormatter>& table);

  private:
    std::string _format;
};
