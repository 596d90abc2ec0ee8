#include "UIKit/PresentationHost.h"

#include "MessageUI/MFMailComposeViewController.h"
#include "MessageUI/MFMessageComposeViewController.h"
#include "Social/SLComposeViewController.h"
#include "UIKit/UIActivityViewController.h"
#include "UIKit/UIAlertController.h"
#include "UIKit/UIImagePickerController.h"
#include "UIKit/UINavigationController.h"

#include <algorithm>

namespace {

template <typename Controller>
std::shared_ptr<Controller> held(const std::shared_ptr<Controller>& controller) {
    return controller;
}
template <typename Controller> std::shared_ptr<Controller> held(const std::weak_ptr<Controller>& controller) {
    return controller.lock();
}
template <typename Pointer> auto held(const ScannerKind<Pointer>& scanner) {
    return held(scanner.navigation);
}

// The same kind, held: what a weak entry of the stack still points to.
template <typename Controller> Presented strong(const std::weak_ptr<Controller>& controller) {
    return Presented(std::in_place_type<std::shared_ptr<Controller>>, controller.lock());
}
Presented strong(const ScannerKind<std::weak_ptr<UINavigationController>>& scanner) {
    return PresentedScanner{scanner.navigation.lock()};
}

} // namespace

std::shared_ptr<UIViewController> presentedController(const Presented& presented) {
    return std::visit([](const auto& kind) -> std::shared_ptr<UIViewController> { return held(kind); },
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

void PresentationStack::didPresentScanner(const std::shared_ptr<UINavigationController>& scanner, bool) {
    keepScanner(scanner);
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
            [](const auto& kind) -> std::shared_ptr<UIViewController> { return held(kind); }, entry);
        return !shown || shown == presented;
    });
}

std::vector<Presented> PresentationStack::shownKinds() const {
    std::vector<Presented> kinds;
    for (const auto& entry : _shown) {
        auto kind = std::visit([](const auto& weak) { return strong(weak); }, entry);
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

std::shared_ptr<UINavigationController> PresentationStack::topmostScanner() const {
    const auto shown = topmost();
    const auto* scanner = shown ? std::get_if<PresentedScanner>(&*shown) : nullptr;
    return scanner ? scanner->navigation : nullptr;
}

bool PresentationStack::dismissTopmost() {
    const auto kind = topmost();
    if (!kind)
        return false;
    presentedController(*kind)->dismissViewControllerAnimated(true, nullptr);
    return true;
}
