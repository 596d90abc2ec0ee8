#include "UIKit/PresentationHost.h"

#include "MessageUI/MFMailComposeViewController.h"
#include "MessageUI/MFMessageComposeViewController.h"
#include "Social/SLComposeViewController.h"
#include "UIKit/UIActivityViewController.h"
#include "UIKit/UIAlertController.h"
#include "UIKit/UIImagePickerController.h"

void PersonAnswers::finishWithResult(MFMailComposeViewController& sheet, MFMailComposeResult result) {
    sheet.finishWithResult(result);
}

void PersonAnswers::finishWithResult(MFMessageComposeViewController& sheet, MessageComposeResult result) {
    sheet.finishWithResult(result);
}

void PersonAnswers::finishWithResult(SLComposeViewController& sheet, SLComposeViewControllerResult result) {
    sheet.finishWithResult(result);
}

bool PersonAnswers::chooseActionWithTitle(UIAlertController& alert, std::string_view title) {
    return alert.chooseActionWithTitle(title);
}

bool PersonAnswers::pickPhoto(UIImagePickerController& picker, const std::shared_ptr<UIImage>& photo,
                              std::string_view fileName) {
    return picker.pickPhoto(photo, fileName);
}

bool PersonAnswers::pickVideo(UIImagePickerController& picker, const std::shared_ptr<NSURL>& file) {
    return picker.pickVideo(file);
}

void PersonAnswers::cancel(UIImagePickerController& picker) {
    picker.cancel();
}

bool PersonAnswers::performActivity(UIActivityViewController& sheet, std::string_view activityType) {
    return sheet.performActivity(activityType);
}

void PersonAnswers::cancel(UIActivityViewController& sheet) {
    sheet.cancel();
}
