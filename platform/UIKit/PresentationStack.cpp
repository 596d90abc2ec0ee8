#include "UIKit/PresentationHost.h"

#include "MessageUI/MFMailComposeViewController.h"
#include "MessageUI/MFMessageComposeViewController.h"
#include "Social/SLComposeViewController.h"
#include "UIKit/UIActivityViewController.h"
#include "UIKit/UIAlertController.h"
#include "UIKit/UIImagePickerController.h"
#include "UIKit/UINavigationController.h"

#include <algorithm>

std::shared_ptr<UIViewController> presentedController(const Presented& presented) {
    return std::visit([](const auto& controller) -> std::shared_ptr<UIViewController> { return controller; },
                      presented);
}

void PresentationStack::didPresentAlert(const std::shared_ptr<UIAlertController>& alert, bool) {
    keep(alert);
}

void PresentationStack::didPresentMailSheet(const std::shared_ptr<MFMailComposeViewController>& sheet, bool) {
    keep(sheet);
}

void PresentationStack::didPresentMessageSheet(const std::shared_ptr<MFMessageComposeViewController>& sheet,
                                               bool) {
    keep(sheet);
}

void PresentationStack::didPresentPostSheet(const std::shared_ptr<SLComposeViewController>& sheet, bool) {
    keep(sheet);
}

void PresentationStack::didPresentPicker(const std::shared_ptr<UIImagePickerController>& picker, bool) {
    keep(picker);
}

void PresentationStack::didPresentShareSheet(const std::shared_ptr<UIActivityViewController>& sheet, bool) {
    keep(sheet);
}

void PresentationStack::didPresentNavigation(const std::shared_ptr<UINavigationController>& navigation,
                                             bool) {
    keep(navigation);
}

void PresentationStack::didPresentPage(const std::shared_ptr<UIViewController>& page, bool) {
    keep(page);
}

void PresentationStack::didDismiss(const std::shared_ptr<UIViewController>& presented, bool) {
    std::erase_if(_shown, [&](const PresentedKind<std::weak_ptr>& entry) {
        const auto shown = std::visit(
            [](const auto& controller) -> std::shared_ptr<UIViewController> { return controller.lock(); },
            entry);
        return !shown || shown == presented;
    });
}

std::vector<Presented> PresentationStack::shownKinds() const {
    std::vector<Presented> kinds;
    for (const auto& entry : _shown) {
        auto kind = std::visit(
            [](const auto& weak) {
                using Controller = typename std::decay_t<decltype(weak)>::element_type;
                return Presented(std::in_place_type<std::shared_ptr<Controller>>, weak.lock());
            },
            entry);
        // A controller whose presenter went away is no longer shown, even while something else holds it.
        if (const auto controller = presentedController(kind);
            controller && controller->presentingViewController())
            kinds.push_back(std::move(kind));
    }
    return kinds;
}

std::vector<std::shared_ptr<UIViewController>> PresentationStack::shown() const {
    std::vector<std::shared_ptr<UIViewController>> controllers;
    for (const auto& kind : shownKinds())
        controllers.push_back(presentedController(kind));
    return controllers;
}

std::optional<Presented> PresentationStack::topmost() const {
    auto kinds = shownKinds();
    if (kinds.empty())
        return std::nullopt;
    return std::move(kinds.back());
}

bool PresentationStack::dismissTopmost() {
    const auto kind = topmost();
    if (!kind)
        return false;
    presentedController(*kind)->dismissViewControllerAnimated(true, nullptr);
    return true;
}
