#include "MessageUI/MFMessageComposeViewController.h"
#include "MessageUI/MessageUIHost.h"
#include "Social/SLComposeViewController.h"
#include "Social/SocialHost.h"
#include "UIKit/PresentationHost.h"
#include "support/ComposeAccounts.h"
#include "support/DeviceEvents.h"
#include "support/TemporaryDevice.h"

#include <gtest/gtest.h>

namespace {

using Lines = std::vector<std::string>;

struct Recorder : MFMailComposeViewControllerDelegate, MFMessageComposeViewControllerDelegate {
    void
    mailComposeControllerDidFinishWithResult(const std::shared_ptr<MFMailComposeViewController>& controller,
                                             MFMailComposeResult result,
                                             const std::optional<std::string>& error) override {
        answers.push_back("mail " + std::to_string(result) + (error ? " error" : ""));
        lastSheet = controller.get();
    }
    void messageComposeViewControllerDidFinishWithResult(
        const std::shared_ptr<MFMessageComposeViewController>& controller,
        MessageComposeResult result) override {
        answers.push_back("message " + std::to_string(result));
        lastSheet = controller.get();
    }
    Lines answers;
    const void* lastSheet = nullptr;
};

// A device with every account, restored for the next test.
class ComposeSheets : public ::testing::Test {
  protected:
    ~ComposeSheets() override { restoreEveryComposeAccount(); }
    TemporaryDevice device;
    std::shared_ptr<Recorder> recorder = std::make_shared<Recorder>();
};

// The first 24 bytes of a 3024 x 4032 PNG: its signature and header.
std::vector<std::uint8_t> pngHeader() {
    return {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n', 0, 0, 0,    13,
            'I',  'H', 'D', 'R', 0,    0,    0x0b, 0xd0, 0, 0, 0x0f, 0xc0};
}

TEST_F(ComposeSheets, MailAttachmentsAreLoggedAndEveryResultReachesTheDelegate) {
    auto mail = MFMailComposeViewController::make();
    mail->setMailComposeDelegate(recorder);
    mail->addAttachmentData(pngHeader(), "image/png", "image.png");
    mail->addAttachmentData({1, 2, 3}, "video/quicktime", "IMG_0001.MOV");
    ASSERT_EQ(mail->attachments().size(), 2u);
    EXPECT_EQ(mail->attachments()[1].type, "video/quicktime");
    for (const auto result : {MFMailComposeResultCancelled, MFMailComposeResultSaved, MFMailComposeResultSent,
                              MFMailComposeResultFailed})
        PersonAnswers::finishWithResult(*mail, result);
    EXPECT_EQ(recorder->answers, (Lines{"mail 0", "mail 1", "mail 2", "mail 3 error"}));
    EXPECT_EQ(recorder->lastSheet, mail.get());
    EXPECT_EQ(loggedEvents("mail."),
              (Lines{"mail.attachment mime=image/png file=image.png bytes=24 pixels=3024x4032",
                     "mail.attachment mime=video/quicktime file=IMG_0001.MOV bytes=3",
                     "mail.finished result=cancelled", "mail.finished result=saved",
                     "mail.finished result=sent", "mail.finished result=failed"}));

    EXPECT_TRUE(MFMailComposeViewController::canSendMail());
    MessageUIHost::setCanSendMail(false);
    EXPECT_FALSE(MFMailComposeViewController::canSendMail());
    recorder.reset();
    PersonAnswers::finishWithResult(*mail,
                                    MFMailComposeResultSent); // the delegate is held weakly: nobody hears it
}

TEST_F(ComposeSheets, MessagesTakeAttachmentsOnlyWhereTheDeviceCanSendThem) {
    auto message = MFMessageComposeViewController::make();
    message->setMessageComposeDelegate(recorder);
    EXPECT_TRUE(message->addAttachmentData(pngHeader(), "public.png", "image.png"));
    EXPECT_FALSE(message->addAttachmentData({1}, "", "a.bin"));
    MessageUIHost::setCanSendAttachments(false);
    EXPECT_TRUE(MFMessageComposeViewController::canSendText());
    EXPECT_FALSE(MFMessageComposeViewController::canSendAttachments());
    EXPECT_FALSE(message->addAttachmentData({1}, "com.apple.quicktime-movie", "a.mov"));
    EXPECT_EQ(message->attachments().size(), 1u);
    MessageUIHost::setCanSendText(false);
    MessageUIHost::setCanSendAttachments(true);
    EXPECT_FALSE(MFMessageComposeViewController::canSendAttachments()) << "no attachments without messaging";
    PersonAnswers::finishWithResult(*message, MessageComposeResultFailed);
    EXPECT_EQ(recorder->answers, (Lines{"message 2"}));
    EXPECT_EQ(loggedEvents("message."), (Lines{"message.attachment type=public.png file=image.png bytes=24 "
                                               "pixels=3024x4032",
                                               "message.finished result=failed"}));
}

TEST_F(ComposeSheets, PostsNeedAnAccountTakeImagesBeforeShowingAndAnswerTheirHandler) {
    SocialHost::setAccounts({std::string(SLServiceTypeTwitter)});
    EXPECT_TRUE(SLComposeViewController::isAvailableForServiceType(SLServiceTypeTwitter));
    EXPECT_FALSE(SLComposeViewController::isAvailableForServiceType(SLServiceTypeFacebook));
    EXPECT_FALSE(SLComposeViewController::isAvailableForServiceType("com.example.social"));
    EXPECT_EQ(SLComposeViewController::composeViewControllerForServiceType("com.example.social"), nullptr);

    const auto post = SLComposeViewController::composeViewControllerForServiceType(SLServiceTypeTwitter);
    ASSERT_NE(post, nullptr);
    const auto photo = UIImage::imageWithCGImage(
        CGImageCreate(4, 3, std::vector<std::uint32_t>(12, 0xff000000u)), 1, UIImageOrientationRight);
    EXPECT_TRUE(post->addImage(photo));
    EXPECT_FALSE(post->addImage(nullptr));
    std::vector<SLComposeViewControllerResult> results;
    post->setCompletionHandler([&](SLComposeViewControllerResult result) { results.push_back(result); });
    const auto root = UIViewController::make();
    root->presentViewController(post, false, nullptr);
    EXPECT_FALSE(post->addImage(photo)) << "a sheet on screen takes no more images";
    PersonAnswers::finishWithResult(*post, SLComposeViewControllerResultDone);
    PersonAnswers::finishWithResult(*post, SLComposeViewControllerResultCancelled);
    EXPECT_EQ(results,
              (std::vector{SLComposeViewControllerResultDone, SLComposeViewControllerResultCancelled}));
    EXPECT_EQ(post->images(), (std::vector{photo}));
    EXPECT_EQ(loggedEvents("social."),
              (Lines{"social.image service=com.apple.social.twitter pixels=4x3 orientation=3",
                     "social.finished service=com.apple.social.twitter result=done",
                     "social.finished service=com.apple.social.twitter result=cancelled"}));
    EXPECT_EQ(loggedEvents("uikit."), (Lines{"uikit.presented controller=SLComposeViewController "
                                             "presenter=UIViewController animated=false "
                                             "serviceType=com.apple.social.twitter images=1"}));
}

} // namespace
