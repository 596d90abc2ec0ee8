// What must not compile in plug-in code: a plug-in answering for the person. ANSWER picks the one answer
// tried, so that each is shown to fail on its own.
#include "MessageUI/MFMailComposeViewController.h"
#include "MessageUI/MFMessageComposeViewController.h"
#include "Social/SLComposeViewController.h"
#include "UIKit/UIActivityViewController.h"
#include "UIKit/UIAlertController.h"
#include "UIKit/UIImagePickerController.h"

void answerForThePerson(MFMailComposeViewController& mail, MFMessageComposeViewController& message,
                        SLComposeViewController& post, UIAlertController& alert,
                        UIImagePickerController& picker, UIActivityViewController& share) {
#if ANSWER == 1
    mail.finishWithResult(MFMailComposeResultSent);
#elif ANSWER == 2
    message.finishWithResult(MessageComposeResultSent);
#elif ANSWER == 3
    post.finishWithResult(SLComposeViewControllerResultDone);
#elif ANSWER == 4
    alert.chooseActionWithTitle("OK");
#elif ANSWER == 5
    picker.pickPhoto(nullptr, "IMG_0001.JPG");
#elif ANSWER == 6
    picker.pickVideo(nullptr);
#elif ANSWER == 7
    picker.cancel();
#elif ANSWER == 8
    share.performActivity("com.apple.UIKit.activity.Mail");
#elif ANSWER == 9
    share.cancel();
#endif
}
