#pragma once

#include "objc/objc-api.h"

#include "UIKit/UIViewController.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The system's activities, by type.
inline constexpr std::string_view UIActivityTypePostToFacebook = "com.apple.UIKit.activity.PostToFacebook";
inline constexpr std::string_view UIActivityTypePostToTwitter = "com.apple.UIKit.activity.PostToTwitter";
inline constexpr std::string_view UIActivityTypePostToWeibo = "com.apple.UIKit.activity.PostToWeibo";
inline constexpr std::string_view UIActivityTypePostToTencentWeibo = "com.apple.UIKit.activity.TencentWeibo";
inline constexpr std::string_view UIActivityTypeMessage = "com.apple.UIKit.activity.Message";
inline constexpr std::string_view UIActivityTypeMail = "com.apple.UIKit.activity.Mail";
inline constexpr std::string_view UIActivityTypePrint = "com.apple.UIKit.activity.Print";
inline constexpr std::string_view UIActivityTypeCopyToPasteboard =
    "com.apple.UIKit.activity.CopyToPasteboard";
inline constexpr std::string_view UIActivityTypeAssignToContact = "com.apple.UIKit.activity.AssignToContact";
inline constexpr std::string_view UIActivityTypeSaveToCameraRoll =
    "com.apple.UIKit.activity.SaveToCameraRoll";
inline constexpr std::string_view UIActivityTypeAirDrop = "com.apple.UIKit.activity.AirDrop";

// The share sheet: the activities that can take the items, the person's choice of one, or cancel.
class ORVANE_EXPORT UIActivityViewController : public UIViewController {
    OBJC_OBJECT(UIActivityViewController, UIViewController)
    // The activity that was chosen (nothing when cancelled), whether it completed, the items it returned
    // (none here) and its error (none here).
    using CompletionWithItemsHandler =
        std::function<void(const std::optional<std::string>& activityType, bool completed,
                           const std::vector<std::shared_ptr<NSObject>>& returnedItems,
                           const std::optional<std::string>& error)>;

    static std::shared_ptr<UIActivityViewController>
    initWithActivityItems(std::vector<std::shared_ptr<NSObject>> activityItems,
                          std::vector<std::shared_ptr<NSObject>> applicationActivities) {
        return make(std::move(activityItems), std::move(applicationActivities));
    }

    const std::vector<std::shared_ptr<NSObject>>& activityItems() const { return _activityItems; }
    // The activity types offered for the items, in the order the sheet shows them: images go everywhere;
    // a file URL (a video) to messages, mail, AirDrop and the camera roll.
    std::vector<std::string_view> activityTypes() const;
    void setCompletionWithItemsHandler(CompletionWithItemsHandler handler) { _handler = std::move(handler); }

  protected:
    void presentTo(PresentationHost& host, bool animated) override;
    UIActivityViewController(std::vector<std::shared_ptr<NSObject>> activityItems,
                             std::vector<std::shared_ptr<NSObject>> applicationActivities)
        : _activityItems(std::move(activityItems)), _applicationActivities(std::move(applicationActivities)) {
    }
    static void registerProperties(NSPropertyTable<UIActivityViewController>& table);

  private:
    // Only hosts answer for the person: PersonAnswers (UIKit/PresentationHost.h), in the hosts' library,
    // does what the person does with this controller.
    friend class PersonAnswers;

    void finish(const std::optional<std::string>& activityType, bool completed);

    std::vector<std::shared_ptr<NSObject>> _activityItems;
    std::vector<std::shared_ptr<NSObject>> _applicationActivities;
    CompletionWithItemsHandler _handler;
};
