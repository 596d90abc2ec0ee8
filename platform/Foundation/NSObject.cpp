#include "Foundation/NSObject.h"

std::shared_ptr<NSObject> NSObject::valueForKey(std::string_view) const {
    return nullptr;
}
