#include "UIKit/PresentationHost.h"

#include "Device/EventLog.h"
#include "MessageUI/MFMailComposeViewController.h"
#include "MessageUI/MFMessageComposeViewController.h"
#include "MobileCoreServices/UTType.h"
#include "Social/SLComposeViewController.h"
#include "UIKit/UIActivityViewController.h"
#include "UIKit/UIAlertController.h"
#include "UIKit/UIImagePickerController.h"

#include <algorithm>
#include <array>
#include <string>

// What the person does lives here, in the hosts' library, and nowhere a plug-in can reach: the controllers
// declare none of it and let this class in to their delegates and handlers.

namespace {

constexpr std::array<std::string_view, 4> mailResults = {"cancelled", "saved", "sent", "failed"};
constexpr std::array<std::string_view, 3> messageResults = {"cancelled", "sent", "failed"};

} // namespace

void PersonAnswers::finishWithResult(MFMailComposeViewController& sheet, MFMailComposeResult result) {
    EventLog::record("mail.finished", {{"result", mailResults.at(result)}});
    if (const auto delegate = sheet.mailComposeDelegate())
        delegate->mailComposeControllerDidFinishWithResult(
            std::static_pointer_cast<MFMailComposeViewController>(sheet.shared_from_this()), result,
            result == MFMailComposeResultFailed ? std::optional<std::string>("The mail could not be sent.")
                                                : std::nullopt);
}

void PersonAnswers::finishWithResult(MFMessageComposeViewController& sheet, MessageComposeResult result) {
    EventLog::record("message.finished", {{"result", messageResults.at(result)}});
    if (const auto delegate = sheet.messageComposeDelegate())
        delegate->messageComposeViewControllerDidFinishWithResult(
            std::static_pointer_cast<MFMessageComposeViewController>(sheet.shared_from_this()), result);
}

void PersonAnswers::finishWithResult(SLComposeViewController& sheet, SLComposeViewControllerResult result) {
    EventLog::record("social.finished",
                     {{"service", sheet.serviceType()},
                      {"result", result == SLComposeViewControllerResultDone ? "done" : "cancelled"}});
    if (sheet._completionHandler)
        sheet._completionHandler(result);
}

bool PersonAnswers::chooseActionWithTitle(UIAlertController& alert, std::string_view title) {
    const auto found = std::find_if(alert._actions.begin(), alert._actions.end(),
                                    [title](const auto& action) { return action->title() == title; });
    if (found == alert._actions.end())
        return false;
    // The handler may drop the last owner of the alert; the action must outlive its own call.
    const auto action = *found;
    const auto self = alert.shared_from_this();
    alert.dismissViewControllerAnimated(true, nullptr);
    if (action->_handler)
        action->_handler(*action);
    return true;
}

bool PersonAnswers::pickPhoto(UIImagePickerController& picker, const std::shared_ptr<UIImage>& photo,
                              std::string_view fileName) {
    if (!photo || !picker.offers(kUTTypeImage))
        return false;
    const auto pixels = std::to_string(CGImageGetWidth(photo->CGImage())) + "x" +
                        std::to_string(CGImageGetHeight(photo->CGImage()));
    EventLog::record("picker.picked", {{"media", kUTTypeImage},
                                       {"file", fileName},
                                       {"pixels", pixels},
                                       {"orientation", std::to_string(int(photo->imageOrientation()))}});
    picker.deliver(kUTTypeImage, UIImagePickerControllerOriginalImage, photo);
    return true;
}

bool PersonAnswers::pickVideo(UIImagePickerController& picker, const std::shared_ptr<NSURL>& file) {
    if (!file || !picker.offers(kUTTypeMovie))
        return false;
    EventLog::record("picker.picked", {{"media", kUTTypeMovie}, {"url", file->absoluteString()}});
    picker.deliver(kUTTypeMovie, UIImagePickerControllerMediaURL, file);
    return true;
}

void PersonAnswers::cancel(UIImagePickerController& picker) {
    EventLog::record("picker.cancelled");
    if (const auto listener = picker.delegate())
        listener->imagePickerControllerDidCancel(
            std::static_pointer_cast<UIImagePickerController>(picker.shared_from_this()));
}

bool PersonAnswers::performActivity(UIActivityViewController& sheet, std::string_view activityType) {
    const auto offered = sheet.activityTypes();
    if (std::ranges::find(offered, activityType) == offered.end())
        return false;
    sheet.finish(std::string(activityType), true);
    return true;
}

void PersonAnswers::cancel(UIActivityViewController& sheet) {
    sheet.finish(std::nullopt, false);
}
