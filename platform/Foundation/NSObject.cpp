#include "Foundation/NSObject.h"

#include <sstream>

const ObjCClassInfo& NSObject::classInfo() {
    static const ObjCClassInfo info(staticClassName(), nullptr);
    return info;
}

std::shared_ptr<NSObject> NSObject::make() {
    std::shared_ptr<NSObject> object(new NSObject());
    object->init();
    return object;
}

std::shared_ptr<NSObject> NSObject::valueForKey(std::string_view key) const {
    const auto* property = objectClass().property(key);
    return property ? property->get(*this) : nullptr;
}

bool NSObject::setValueForKey(const std::shared_ptr<NSObject>& value, std::string_view key) {
    const auto* property = objectClass().property(key);
    return property && property->set && property->set(*this, value);
}

std::string NSObject::description() const {
    // Appended rather than "<" + name: GCC 12 at -O3 misreads the insert as an overlapping copy (-Wrestrict).
    std::string text = "<";
    text += className();
    return text += '>';
}

std::string NSNumber::description() const {
    std::ostringstream text;
    if (_kind != Kind::real)
        text << longLongValue();
    else
        text << _value;
    return text.str();
}
