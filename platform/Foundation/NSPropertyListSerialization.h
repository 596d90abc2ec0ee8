#pragma once

#include "objc/objc-api.h"

#include "CoreFoundation/CFPropertyList.h"
#include "Foundation/NSObject.h"

#include <memory>
#include <optional>

// Between property-list values and the objects that controllers pass around (an `id` in Objective-C):
// strings become NSString, integers, reals and booleans NSNumber. Other kinds (dates, data, arrays,
// dictionaries) have no object here and give nothing.
ORVANE_EXPORT std::shared_ptr<NSObject> NSObjectFromPropertyList(const CFPropertyList& value);
// The property-list value an object stands for; nothing for nil or an object of another kind.
ORVANE_EXPORT std::optional<CFPropertyList> NSPropertyListFromObject(const std::shared_ptr<NSObject>& object);
// Whether two objects stand for the same value: equal strings, or numbers of equal value.
ORVANE_EXPORT bool NSObjectsEqualAsValues(const std::shared_ptr<NSObject>& first,
                                          const std::shared_ptr<NSObject>& second);
