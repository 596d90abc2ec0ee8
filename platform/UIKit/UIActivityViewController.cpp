#include "UIKit/UIActivityViewController.h"

#include "UIKit/PresentationHost.h"

#include "Device/EventLog.h"
#include "Foundation/NSURL.h"

#include <algorithm>

namespace {

constexpr std::string_view everyActivity[] = {
    UIActivityTypeAirDrop,
    UIActivityTypeMessage,
    UIActivityTypeMail,
    UIActivityTypePostToFacebook,
    UIActivityTypePostToTwitter,
    UIActivityTypePostToWeibo,
    UIActivityTypePostToTencentWeibo,
    UIActivityTypeSaveToCameraRoll,
    UIActivityTypeAssignToContact,
    UIActivityTypeCopyToPasteboard,
    UIActivityTypePrint,
};
constexpr std::string_view fileActivities[] = {
    UIActivityTypeAirDrop,
    UIActivityTypeMessage,
    UIActivityTypeMail,
    UIActivityTypeSaveToCameraRoll,
};

} // namespace

void UIActivityViewController::registerProperties(NSPropertyTable<UIActivityViewController>& table) {
    table.add("items",
              [](const UIActivityViewController& sheet) { return int(sheet.activityItems().size()); });
}

std::vector<std::string_view> UIActivityViewController::activityTypes() const {
    if (_activityItems.empty())
        return {};
    const bool files = std::ranges::any_of(_activityItems, [](const std::shared_ptr<NSObject>& item) {
        return item && item->isKindOfClass<NSURL>();
    });
    if (files)
        return {std::begin(fileActivities), std::end(fileActivities)};
    return {std::begin(everyActivity), std::end(everyActivity)};
}

void UIActivityViewController::finish(const std::optional<std::string>& activityType, bool completed) {
    EventLog::record("share.finished", {{"activity", activityType ? std::string_view(*activityType) : "none"},
                                        {"completed", completed ? "true" : "false"}});
    if (_handler)
        _handler(activityType, completed, {}, std::nullopt);
}

void UIActivityViewController::presentTo(PresentationHost& host, bool animated) {
    host.didPresentShareSheet(std::static_pointer_cast<UIActivityViewController>(shared_from_this()),
                              animated);
}
