#pragma once

#include "objc/objc-api.h"

#include "Foundation/NSObject.h"
#include "SpringBoard/SBApplication.h"
#include "objc/Badge.h"

#include <map>
#include <memory>
#include <string>
#include <string_view>

class SpringBoardHost;

// An application's home-screen icon.
class ORVANE_EXPORT SBApplicationIcon : public NSObject {
    OBJC_OBJECT(SBApplicationIcon, NSObject)
    // False while the icon may not launch its application (for instance while it installs).
    bool launchEnabled() const { return _launchEnabled; }
    const std::shared_ptr<SBApplication>& application() const { return _application; }

  protected:
    SBApplicationIcon(std::shared_ptr<SBApplication> application, bool launchEnabled)
        : _application(std::move(application)), _launchEnabled(launchEnabled) {}

  private:
    std::shared_ptr<SBApplication> _application;
    bool _launchEnabled;
};

// The icons of the home screen.
class ORVANE_EXPORT SBIconModel : public NSObject {
    OBJC_OBJECT(SBIconModel, NSObject)
    // Nothing when no application with that bundle identifier is installed.
    std::shared_ptr<SBApplicationIcon>
    applicationIconForBundleIdentifier(std::string_view bundleIdentifier) const;

    // Adds the icon of its application, replacing one with the same bundle identifier.
    void addIcon(Badge<SpringBoardHost>, std::shared_ptr<SBApplicationIcon> icon);
    // Takes the application's icon off the home screen, as when the person deletes it.
    void removeIcon(Badge<SpringBoardHost>, std::string_view bundleIdentifier);

  protected:
    SBIconModel() = default;

  private:
    std::map<std::string, std::shared_ptr<SBApplicationIcon>, std::less<>> _icons;
};

// The home screen's icon views; it leads to the icon model.
class ORVANE_EXPORT SBIconViewMap : public NSObject {
    OBJC_OBJECT(SBIconViewMap, NSObject)
    static std::shared_ptr<SBIconViewMap> homescreenMap();

    const std::shared_ptr<SBIconModel>& iconModel() const { return _iconModel; }

  protected:
    SBIconViewMap() = default;
    // "iconModel", read-only.
    static void registerProperties(NSPropertyTable<SBIconViewMap>& table);

  private:
    std::shared_ptr<SBIconModel> _iconModel = SBIconModel::make();
};
