#pragma once

#include "Caddex/CCSection.h"
#include "SpringBoard/SBControlCenterController.h"
#include "UIKit/UIView.h"

#include <functional>
#include <memory>
#include <string_view>

// The Control Center section loader, as it runs inside SpringBoard: it makes the section, gives its view a
// container inside Control Center's view (as wide as Control Center, as high as the section says at each
// appearance) and tells it when Control Center appears and disappears.
class CaddexLoader {
  public:
    static constexpr std::string_view sectionBundlePath = "/Library/Caddex/Bundles/OrvaneCC.bundle/";

    // Takes over the controller's dismissal, so that a dismissAnimated call runs the disappearance.
    explicit CaddexLoader(std::shared_ptr<SBControlCenterController> controlCenter);
    ~CaddexLoader();
    CaddexLoader(const CaddexLoader&) = delete;
    CaddexLoader& operator=(const CaddexLoader&) = delete;

    // Loads the bundle and makes its principal class; answers whether a section is loaded. When a step fails
    // (no bundle, no module, no class, no instance, not a section), nothing changes.
    bool loadSection(std::string_view bundlePath = sectionBundlePath);
    const std::shared_ptr<CCSection>& section() const { return _section; }
    const std::shared_ptr<UIView>& containerView() const { return _container; }

    // Will-appear call, container height, Control Center visible, then the did-appear notification.
    // `onScreen` runs just before the notification, as a width that settles while Control Center slides in.
    // Answers false, doing nothing, when Control Center is already visible.
    bool appear(const std::function<void()>& onScreen = nullptr);
    // Will-disappear notification, Control Center hidden, then the did-disappear call. Answers false, doing
    // nothing, when Control Center is not visible.
    bool disappear();

    // Control Center's width, and the container's with it.
    void setControlCenterWidth(CGFloat width);

  private:
    void fitContainer();

    std::shared_ptr<SBControlCenterController> _controlCenter;
    std::shared_ptr<CCSection> _section;
    std::shared_ptr<UIView> _container;
};
