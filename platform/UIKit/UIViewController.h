#pragma once

#include "Foundation/NSObject.h"
#include "UIKit/UIView.h"

#include <functional>
#include <memory>

// A controller of one view. Presentation machinery comes with the flows that use it.
class UIViewController : public NSObject {
  public:
    UIViewController();

    const std::shared_ptr<UIView>& view() const { return _view; }
    void setView(std::shared_ptr<UIView> view) { _view = std::move(view); }

  private:
    std::shared_ptr<UIView> _view;
};
