#include "objc/runtime.h"

#include <algorithm>
#include <utility>

namespace {

struct Registry {
    std::map<std::string, std::unique_ptr<ObjCClass>, std::less<>> classes;
    const NSBundle* loadingBundle = nullptr;
};

Registry& registry() {
    static Registry instance;
    return instance;
}

} // namespace

bool ObjCClassInfo::isSubclassOf(std::string_view name) const {
    for (const ObjCClassInfo* cls = this; cls; cls = cls->_superclass) {
        if (cls->_name == name)
            return true;
    }
    return false;
}

void ObjCClassInfo::addProperty(ObjCProperty property) {
    _properties.push_back(std::move(property));
}

const ObjCProperty* ObjCClassInfo::property(std::string_view key) const {
    for (const ObjCClassInfo* cls = this; cls; cls = cls->_superclass) {
        for (const auto& property : cls->_properties) {
            if (property.name == key)
                return &property;
        }
    }
    return nullptr;
}

std::vector<std::string_view> ObjCClassInfo::propertyNames() const {
    std::vector<std::string_view> names =
        _superclass ? _superclass->propertyNames() : std::vector<std::string_view>();
    for (const auto& property : _properties) {
        if (std::find(names.begin(), names.end(), property.name) == names.end())
            names.push_back(property.name);
    }
    return names;
}

ObjCClass::ObjCClass(std::string name, Factory make) : _name(std::move(name)), _make(std::move(make)) {}

std::shared_ptr<NSObject> ObjCClass::makeInstance() const {
    return _make ? _make() : nullptr;
}

void ObjCClass::addClassMethod(std::string selector, Factory method) {
    _classMethods.insert_or_assign(std::move(selector), std::move(method));
}

bool ObjCClass::respondsToClassSelector(std::string_view selector) const {
    return _classMethods.find(selector) != _classMethods.end();
}

std::shared_ptr<NSObject> ObjCClass::performClassSelector(std::string_view selector) const {
    const auto found = _classMethods.find(selector);
    return found == _classMethods.end() ? nullptr : found->second();
}

ObjCClass* ObjCRuntime::registerClass(std::string name, ObjCClass::Factory make) {
    auto cls = std::make_unique<ObjCClass>(name, std::move(make));
    cls->_bundle = registry().loadingBundle;
    ObjCClass* registered = cls.get();
    registry().classes.insert_or_assign(std::move(name), std::move(cls));
    return registered;
}

void ObjCRuntime::unregisterClass(std::string_view name) {
    if (const auto found = registry().classes.find(name); found != registry().classes.end())
        registry().classes.erase(found);
}

Class ObjCRuntime::lookUpClass(std::string_view name) {
    const auto found = registry().classes.find(name);
    return found == registry().classes.end() ? nullptr : found->second.get();
}

void ObjCRuntime::setLoadingBundle(const NSBundle* bundle) {
    registry().loadingBundle = bundle;
}

Class NSClassFromString(std::string_view name) {
    return ObjCRuntime::lookUpClass(name);
}
