#include "Social/SLComposeViewController.h"

#include "UIKit/PresentationHost.h"

#include "Device/EventLog.h"

#include <algorithm>

namespace {

constexpr std::string_view serviceTypes[] = {SLServiceTypeFacebook, SLServiceTypeTwitter,
                                             SLServiceTypeSinaWeibo, SLServiceTypeTencentWeibo};

std::vector<std::string>& accounts() {
    static std::vector<std::string> serviceTypesWithAccounts(std::begin(serviceTypes),
                                                             std::end(serviceTypes));
    return serviceTypesWithAccounts;
}

bool isServiceType(std::string_view serviceType) {
    return std::ranges::find(serviceTypes, serviceType) != std::end(serviceTypes);
}

} // namespace

void SLComposeViewController::setAccounts(Badge<SocialHost>,
                                          std::vector<std::string> serviceTypesWithAccounts) {
    accounts() = std::move(serviceTypesWithAccounts);
}

void SLComposeViewController::registerProperties(NSPropertyTable<SLComposeViewController>& table) {
    table.add("serviceType", &SLComposeViewController::serviceType);
    table.add("images", [](const SLComposeViewController& sheet) { return int(sheet.images().size()); });
}

bool SLComposeViewController::isAvailableForServiceType(std::string_view serviceType) {
    return isServiceType(serviceType) && std::ranges::find(accounts(), serviceType) != accounts().end();
}

std::shared_ptr<SLComposeViewController>
SLComposeViewController::composeViewControllerForServiceType(std::string_view serviceType) {
    return isServiceType(serviceType) ? make(std::string(serviceType)) : nullptr;
}

bool SLComposeViewController::addImage(const std::shared_ptr<UIImage>& image) {
    if (!image || presentingViewController())
        return false;
    _images.push_back(image);
    const auto& pixels = image->CGImage();
    EventLog::record("social.image", {{"service", _serviceType},
                                      {"pixels", std::to_string(CGImageGetWidth(pixels)) + "x" +
                                                     std::to_string(CGImageGetHeight(pixels))},
                                      {"orientation", std::to_string(int(image->imageOrientation()))}});
    return true;
}

void SLComposeViewController::presentTo(PresentationHost& host, bool animated) {
    host.didPresentPostSheet(std::static_pointer_cast<SLComposeViewController>(shared_from_this()), animated);
}
