#pragma once

#include "objc/objc-api.h"

#include "objc/Badge.h"

#include <memory>
#include <vector>

class UIViewController;

// What shows presented controllers to the person and answers for the person: the simulator, or a test
// fixture. UIKit calls it; a process without a host still presents and dismisses, with nobody to see it.
// Hosts only: a plug-in never registers one.
class ORVANE_EXPORT PresentationHost {
  public:
    virtual ~PresentationHost() = default;

    // Registers the host of this process (nullptr for none); a host unregisters itself before it is
    // destroyed.
    static void setCurrent(Badge<PlatformHost>, PresentationHost* host);
    static PresentationHost* current();

    virtual void didPresent(const std::shared_ptr<UIViewController>& presented, bool animated) = 0;
    virtual void didDismiss(const std::shared_ptr<UIViewController>& presented, bool animated) = 0;
};

// A host that keeps what is shown, bottom first, so that the person can answer it later.
class ORVANE_EXPORT PresentationStack : public PresentationHost {
  public:
    void didPresent(const std::shared_ptr<UIViewController>& presented, bool animated) override;
    void didDismiss(const std::shared_ptr<UIViewController>& presented, bool animated) override;

    // What is shown now, bottom first.
    std::vector<std::shared_ptr<UIViewController>> shown() const;
    // The person dismisses the topmost presented controller, as a sheet is swiped away; false when nothing is
    // shown.
    bool dismissTopmost();

  private:
    std::vector<std::weak_ptr<UIViewController>> _shown;
};
