#pragma once

#include "Foundation/NSObject.h"

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>

class NSBundle;

// A class as the runtime knows it: its name, how to make an instance (alloc + init; nothing when init
// fails), its class methods that take no argument and answer an object (+sharedInstance,
// +sharedApplication, ...), and the bundle that registered it.
class ObjCClass {
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
class ObjCRuntime {
  public:
    // Registers a class; a later registration of the same name replaces the earlier one. Classes registered
    // while a bundle loads belong to that bundle.
    // The registered class, open for its class methods.
    static ObjCClass* registerClass(std::string name, ObjCClass::Factory make);
    static void unregisterClass(std::string_view name);
    static Class lookUpClass(std::string_view name);

    // Used by NSBundle while it runs a module's entry point.
    static void setLoadingBundle(const NSBundle* bundle);
};

// The class of that name, or nothing when no such class is registered.
Class NSClassFromString(std::string_view name);
