#pragma once

#include "objc/objc-api.h"

#include "Foundation/NSObject.h"

#include <memory>
#include <string>
#include <vector>

// One of an application's home-screen quick actions.
class ORVANE_EXPORT SBSApplicationShortcutItem : public NSObject {
    OBJC_OBJECT(SBSApplicationShortcutItem, NSObject)
    const std::string& type() const { return _type; }

  protected:
    explicit SBSApplicationShortcutItem(std::string type) : _type(std::move(type)) {}

  private:
    std::string _type;
};

using SBShortcutItems = std::vector<std::shared_ptr<SBSApplicationShortcutItem>>;

// An installed application: the items it declares in its bundle (static) and those it registered while it
// ran (dynamic).
class ORVANE_EXPORT SBApplication : public NSObject {
    OBJC_OBJECT(SBApplication, NSObject)
    const std::string& bundleIdentifier() const { return _bundleIdentifier; }
    const SBShortcutItems& staticShortcutItems() const { return _staticItems; }
    const SBShortcutItems& dynamicShortcutItems() const { return _dynamicItems; }

  protected:
    SBApplication(std::string bundleIdentifier, SBShortcutItems staticItems, SBShortcutItems dynamicItems)
        : _bundleIdentifier(std::move(bundleIdentifier)), _staticItems(std::move(staticItems)),
          _dynamicItems(std::move(dynamicItems)) {}

  private:
    std::string _bundleIdentifier;
    SBShortcutItems _staticItems;
    SBShortcutItems _dynamicItems;
};
