#pragma once

#include "objc/objc-api.h"

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class NSBundle;
class NSObject;

// A property as a class registers it for key-value coding: how to read it as an object and, unless it is
// read-only, how to set it from one (false when the value is of a kind the property cannot take).
struct ORVANE_EXPORT ObjCProperty {
    using Getter = std::function<std::shared_ptr<NSObject>(const NSObject&)>;
    using Setter = std::function<bool(NSObject&, const std::shared_ptr<NSObject>&)>;

    std::string name;
    Getter get;
    Setter set;
};

// What the object model knows of a compiled class: its name, its superclass and the properties it
// registered itself. Made once per class (see OBJC_OBJECT in Foundation/NSObject.h).
class ORVANE_EXPORT ObjCClassInfo {
  public:
    ObjCClassInfo(std::string_view name, const ObjCClassInfo* superclass)
        : _name(name), _superclass(superclass) {}

    std::string_view name() const { return _name; }
    const ObjCClassInfo* superclass() const { return _superclass; }
    // Whether this class is the named one or inherits from it.
    bool isSubclassOf(std::string_view name) const;

    void addProperty(ObjCProperty property);
    // The class's own property of that name or the nearest inherited one; nothing for an unknown key.
    const ObjCProperty* property(std::string_view key) const;
    // Every property name, the root class's first, each in the order its class registered them.
    std::vector<std::string_view> propertyNames() const;

  private:
    std::string_view _name;
    const ObjCClassInfo* _superclass;
    std::vector<ObjCProperty> _properties;
};

// A class as the runtime knows it: its name, how to make an instance (alloc + init; nothing when init
// fails), its class methods that take no argument and answer an object (+sharedInstance,
// +sharedApplication, ...), and the bundle that registered it.
class ORVANE_EXPORT ObjCClass {
  public:
    using Factory = std::function<std::shared_ptr<NSObject>()>;

    ObjCClass(std::string name, Factory make);

    const std::string& name() const { return _name; }
    // alloc + init.
    std::shared_ptr<NSObject> makeInstance() const;

    void addClassMethod(std::string selector, Factory method);
    bool respondsToClassSelector(std::string_view selector) const;
    // The class method's answer; nothing when the class does not respond to it.
    std::shared_ptr<NSObject> performClassSelector(std::string_view selector) const;

    const NSBundle* bundle() const { return _bundle; }

  private:
    friend class ObjCRuntime;
    std::string _name;
    Factory _make;
    std::map<std::string, Factory, std::less<>> _classMethods;
    const NSBundle* _bundle = nullptr;
};

using Class = const ObjCClass*;

// The registry of classes by name. Modules register their classes from their one exported entry point
// (see NS_BUNDLE_ENTRY_POINT in Foundation/NSBundle.h); hosts register the system's classes they play.
class ORVANE_EXPORT ObjCRuntime {
  public:
    // Registers a class; a later registration of the same name replaces the earlier one. Classes registered
    // while a bundle loads belong to that bundle.
    // The registered class, open for its class methods.
    static ObjCClass* registerClass(std::string name, ObjCClass::Factory make);
    // Registers a class of the object model under its own name, made by its make().
    template <typename T> static ObjCClass* registerClass() {
        return registerClass(std::string(T::staticClassName()), [] { return T::make(); });
    }
    static void unregisterClass(std::string_view name);
    static Class lookUpClass(std::string_view name);

    // Used by NSBundle while it runs a module's entry point.
    static void setLoadingBundle(const NSBundle* bundle);
};

// The class of that name, or nothing when no such class is registered.
ORVANE_EXPORT Class NSClassFromString(std::string_view name);
