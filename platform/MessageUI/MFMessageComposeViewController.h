#pragma once

#include "objc/objc-api.h"

#include "MessageUI/MFMailComposeViewController.h"

enum MessageComposeResult : int {
    MessageComposeResultCancelled = 0,
    MessageComposeResultSent = 1,
    MessageComposeResultFailed = 2,
};

class MFMessageComposeViewController;

class ORVANE_EXPORT MFMessageComposeViewControllerDelegate {
  public:
    virtual ~MFMessageComposeViewControllerDelegate() = default;
    virtual void messageComposeViewControllerDidFinishWithResult(
        const std::shared_ptr<MFMessageComposeViewController>& /*controller*/,
        MessageComposeResult /*result*/) {}
};

// The message sheet: the person writes, then sends, fails to send or cancels.
class ORVANE_EXPORT MFMessageComposeViewController : public UIViewController {
    OBJC_OBJECT(MFMessageComposeViewController, UIViewController)
    // Whether the device can send messages, and attachments with them.
    static bool canSendText();
    static bool canSendAttachments();
    // The device can send messages, and attachments with them, as its profile says.
    static void setCanSendText(Badge<MessageUIHost>, bool canSend);
    static void setCanSendAttachments(Badge<MessageUIHost>, bool canSend);

    std::shared_ptr<MFMessageComposeViewControllerDelegate> messageComposeDelegate() const {
        return _delegate.lock();
    }
    void setMessageComposeDelegate(const std::shared_ptr<MFMessageComposeViewControllerDelegate>& delegate) {
        _delegate = delegate;
    }
    // False, attaching nothing, on a device that cannot send attachments or for an empty type identifier.
    bool addAttachmentData(std::vector<std::uint8_t> data, std::string typeIdentifier, std::string fileName);
    const std::vector<MFAttachment>& attachments() const { return _attachments; }

  protected:
    void presentTo(PresentationHost& host, bool animated) override;
    MFMessageComposeViewController() = default;
    static void registerProperties(NSPropertyTable<MFMessageComposeViewController>& table);

  private:
    // Only hosts answer for the person: PersonAnswers (UIKit/PresentationHost.h), in the hosts' library,
    // does what the person does with this controller.
    friend class PersonAnswers;

    std::weak_ptr<MFMessageComposeViewControllerDelegate> _delegate;
    std::vector<MFAttachment> _attachments;
};
