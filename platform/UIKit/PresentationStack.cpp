#include "UIKit/PresentationHost.h"

#include "UIKit/UIViewController.h"

#include <algorithm>

void PresentationStack::didPresent(const std::shared_ptr<UIViewController>& presented, bool) {
    _shown.push_back(presented);
}

void PresentationStack::didDismiss(const std::shared_ptr<UIViewController>& presented, bool) {
    std::erase_if(_shown, [&](const std::weak_ptr<UIViewController>& entry) {
        const auto shown = entry.lock();
        return !shown || shown == presented;
    });
}

std::vector<std::shared_ptr<UIViewController>> PresentationStack::shown() const {
    std::vector<std::shared_ptr<UIViewController>> controllers;
    for (const auto& entry : _shown) {
        // A controller whose presenter went away is no longer shown, even while something else holds it.
        if (auto controller = entry.lock(); controller && controller->presentingViewController())
            controllers.push_back(std::move(controller));
    }
    return controllers;
}

bool PresentationStack::dismissTopmost() {
    const auto controllers = shown();
    if (controllers.empty())
        return false;
    controllers.back()->dismissViewControllerAnimated(true, nullptr);
    return true;
}
