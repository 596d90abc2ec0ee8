#pragma once

#include "objc/objc-api.h"

#include "objc/Badge.h"

#include "UIKit/UIImage.h"
#include "UIKit/UIViewController.h"

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class SocialHost;

inline constexpr std::string_view SLServiceTypeFacebook = "com.apple.social.facebook";
inline constexpr std::string_view SLServiceTypeTwitter = "com.apple.social.twitter";
inline constexpr std::string_view SLServiceTypeSinaWeibo = "com.apple.social.sinaweibo";
inline constexpr std::string_view SLServiceTypeTencentWeibo = "com.apple.social.tencentweibo";

enum SLComposeViewControllerResult : int {
    SLComposeViewControllerResultCancelled = 0,
    SLComposeViewControllerResultDone = 1,
};

// The post sheet of one social service: the person writes, then posts or cancels.
class ORVANE_EXPORT SLComposeViewController : public UIViewController {
    OBJC_OBJECT(SLComposeViewController, UIViewController)
    using CompletionHandler = std::function<void(SLComposeViewControllerResult result)>;

    // Whether the device has an account for the service; false for a type that is not one of the four.
    static bool isAvailableForServiceType(std::string_view serviceType);
    // The service types that have an account on the device, in place of the ones that had.
    static void setAccounts(Badge<SocialHost>, std::vector<std::string> serviceTypes);
    // A sheet for one of the four service types; nothing for any other.
    static std::shared_ptr<SLComposeViewController>
    composeViewControllerForServiceType(std::string_view serviceType);

    const std::string& serviceType() const { return _serviceType; }
    // Adds a photo to the post; false, adding nothing, once the sheet is shown or for no image.
    bool addImage(const std::shared_ptr<UIImage>& image);
    const std::vector<std::shared_ptr<UIImage>>& images() const { return _images; }
    void setCompletionHandler(CompletionHandler handler) { _completionHandler = std::move(handler); }

  protected:
    void presentTo(PresentationHost& host, bool animated) override;
    explicit SLComposeViewController(std::string serviceType) : _serviceType(std::move(serviceType)) {}
    static void registerProperties(NSPropertyTable<SLComposeViewController>& table);

  private:
    // Only hosts answer for the person: PersonAnswers (UIKit/PresentationHost.h), in the hosts' library,
    // does what the person does with this controller.
    friend class PersonAnswers;

    std::string _serviceType;
    std::vector<std::shared_ptr<UIImage>> _images;
    CompletionHandler _completionHandler;
};
