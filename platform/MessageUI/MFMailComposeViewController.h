#pragma once

#include "objc/objc-api.h"

#include "objc/Badge.h"

#include "UIKit/UIViewController.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class MessageUIHost;

enum MFMailComposeResult : int {
    MFMailComposeResultCancelled = 0,
    MFMailComposeResultSaved = 1,
    MFMailComposeResultSent = 2,
    MFMailComposeResultFailed = 3,
};

class MFMailComposeViewController;

class ORVANE_EXPORT MFMailComposeViewControllerDelegate {
  public:
    virtual ~MFMailComposeViewControllerDelegate() = default;
    virtual void mailComposeControllerDidFinishWithResult(
        const std::shared_ptr<MFMailComposeViewController>& /*controller*/, MFMailComposeResult /*result*/,
        const std::optional<std::string>& /*error*/) {}
};

// One attachment of a mail or a message: its bytes, its type (a MIME type for mail, a type identifier for
// messages) and its file name.
struct ORVANE_EXPORT MFAttachment {
    std::vector<std::uint8_t> data;
    std::string type;
    std::string fileName;
};

// "TYPE NAME BYTES" for each attachment, separated by "; ", as the sheets describe their attachments.
ORVANE_EXPORT std::string MFAttachmentSummary(const std::vector<MFAttachment>& attachments);

// The mail sheet: the person writes, then sends, saves a draft, fails to send or cancels.
class ORVANE_EXPORT MFMailComposeViewController : public UIViewController {
    OBJC_OBJECT(MFMailComposeViewController, UIViewController)
    // Whether the device has a mail account.
    static bool canSendMail();
    // The device has a mail account, as its profile says.
    static void setCanSendMail(Badge<MessageUIHost>, bool canSend);

    std::shared_ptr<MFMailComposeViewControllerDelegate> mailComposeDelegate() const {
        return _delegate.lock();
    }
    void setMailComposeDelegate(const std::shared_ptr<MFMailComposeViewControllerDelegate>& delegate) {
        _delegate = delegate;
    }
    void addAttachmentData(std::vector<std::uint8_t> data, std::string mimeType, std::string fileName);
    const std::vector<MFAttachment>& attachments() const { return _attachments; }

  protected:
    void presentTo(PresentationHost& host, bool animated) override;
    MFMailComposeViewController() = default;
    static void registerProperties(NSPropertyTable<MFMailComposeViewController>& table);

  private:
    // Only hosts answer for the person: PersonAnswers (UIKit/PresentationHost.h), in the hosts' library,
    // does what the person does with this controller.
    friend class PersonAnswers;

    std::weak_ptr<MFMailComposeViewControllerDelegate> _delegate;
    std::vector<MFAttachment> _attachments;
};
