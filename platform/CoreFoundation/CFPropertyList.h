#pragma once

#include "objc/objc-api.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

class NSDictionary;

// A point in time, as property lists store it: seconds since 2001-01-01 00:00:00 UTC.
struct ORVANE_EXPORT NSDate {
    double timeIntervalSinceReferenceDate = 0;
    bool operator==(const NSDate&) const = default;
};

using NSData = std::vector<std::uint8_t>;

// One property-list object: what Objective-C code holds as an `id` read from a plist. A value type;
// nested dictionaries are shared immutably.
//
// The conversions behave like NSNumber's and NSString's, except that a conversion which would invent a value
// answers nothing instead: a string that is not wholly a number, a number outside the 32-bit range, an
// array where a number was asked for. Callers treat "nothing" as a value they cannot accept.
class ORVANE_EXPORT CFPropertyList {
  public:
    using Array = std::vector<CFPropertyList>;

    CFPropertyList() = default; // an empty string
    static CFPropertyList integer(std::int64_t value) { return CFPropertyList(value); }
    static CFPropertyList real(double value) { return CFPropertyList(value); }
    static CFPropertyList boolean(bool value) { return CFPropertyList(value); }
    static CFPropertyList string(std::string value) { return CFPropertyList(std::move(value)); }
    static CFPropertyList date(NSDate value) { return CFPropertyList(value); }
    static CFPropertyList data(NSData value) { return CFPropertyList(std::move(value)); }
    static CFPropertyList array(Array value) { return CFPropertyList(std::move(value)); }
    static CFPropertyList dictionary(NSDictionary value);

    bool isInteger() const { return std::holds_alternative<std::int64_t>(_value); }
    bool isReal() const { return std::holds_alternative<double>(_value); }
    bool isBoolean() const { return std::holds_alternative<bool>(_value); }
    bool isString() const { return std::holds_alternative<std::string>(_value); }

    std::optional<std::int32_t> intValue() const;
    std::optional<float> floatValue() const;
    std::optional<bool> boolValue() const;
    const std::string* stringValue() const { return std::get_if<std::string>(&_value); }
    const NSDate* dateValue() const { return std::get_if<NSDate>(&_value); }
    const NSData* dataValue() const { return std::get_if<NSData>(&_value); }
    const Array* arrayValue() const { return std::get_if<Array>(&_value); }
    const NSDictionary* dictionaryValue() const;

    // The plain integer or real behind a number, for callers that show values rather than convert them.
    std::optional<std::int64_t> integerValue() const;
    std::optional<double> doubleValue() const;

    bool operator==(const CFPropertyList& other) const;

  private:
    using Storage = std::variant<std::string, bool, std::int64_t, double, NSDate, NSData, Array,
                                 std::shared_ptr<const NSDictionary>>;
    template <typename T> explicit CFPropertyList(T value) : _value(std::move(value)) {}

    Storage _value;
};
