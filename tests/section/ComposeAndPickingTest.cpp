#include "ActionFixture.h"
#include "MessageUI/MessageUIHost.h"
#include "MobileCoreServices/UTType.h"
#include "Social/SocialHost.h"
#include "SpringBoard/SpringBoard.h"
#include "SpringBoard/SpringBoardHost.h"
#include "UIKit/MediaHost.h"
#include "UIKit/UIActivityViewController.h"
#include "section/ComposeSheets.h"
#include "section/MediaPicking.h"
#include "section/ScannerFlow.h"
#include "support/ComposeAccounts.h"

namespace {

using Lines = std::vector<std::string>;

// A photo as the camera stores it: 8 x 6 pixels shown turned a quarter clockwise (EXIF 6), its stored
// top-left quarter red and the rest blue.
std::shared_ptr<UIImage> cameraPhoto() {
    std::vector<std::uint32_t> pixels(8 * 6, 0xff0000ffu);
    for (std::size_t y = 0; y < 3; ++y)
        for (std::size_t x = 0; x < 4; ++x)
            pixels[y * 8 + x] = 0xffff0000u;
    return UIImage::imageWithCGImage(CGImageCreate(8, 6, std::move(pixels)), 1, UIImageOrientationRight);
}

class ComposeAndPicking : public ActionTest {
  protected:
    ~ComposeAndPicking() override {
        restoreEveryComposeAccount();
        MediaHost::setCameraAvailable(true);
        MediaHost::setPhotoLibraryAvailable(true);
        SpringBoardHost::setFrontMostAppOrientation(*SpringBoard::sharedApplication(), 1);
    }

    template <typename Controller> std::shared_ptr<Controller> shown() const {
        const auto controllers = presentation.shown();
        return controllers.empty() ? nullptr : std::dynamic_pointer_cast<Controller>(controllers.back());
    }
    std::shared_ptr<NSURL> video(std::string_view name, std::string_view bytes) const {
        const std::string path = "/var/mobile/Media/DCIM/100APPLE/" + std::string(name);
        device.writeText(path, bytes);
        return NSURL::fileURLWithPath(path);
    }
    // A video chosen in the library picker that a tap on the function opened.
    void chooseVideo(std::string_view functionId, const std::shared_ptr<NSURL>& url) {
        tap(functionId, "Library");
        const auto picker = shown<UIImagePickerController>();
        ASSERT_NE(picker, nullptr) << functionId;
        ASSERT_TRUE(PersonAnswers::pickVideo(*picker, url));
    }
    void ccDismissOn() {
        write("CC_DISMISS", CFPropertyList::boolean(true));
        controlCenterOpen();
        clearEvents();
    }
};

TEST_F(ComposeAndPicking, ACameraPhotoGoesUprightIntoAMailAsImagePngAndSendingClosesControlCenter) {
    ccDismissOn();
    tap("SYS-Mail", "Camera");
    const auto picker = shown<UIImagePickerController>();
    ASSERT_NE(picker, nullptr);
    EXPECT_EQ(picker->sourceType(), UIImagePickerControllerSourceTypeCamera);
    EXPECT_EQ(picker->mediaTypes(), (std::vector<std::string>{"public.image", "public.movie"}));
    EXPECT_FALSE(picker->allowsEditing());
    ASSERT_TRUE(PersonAnswers::pickPhoto(*picker, cameraPhoto(), "IMG_0009.JPG"));
    const auto mail = shown<MFMailComposeViewController>();
    ASSERT_NE(mail, nullptr);
    EXPECT_EQ(sectionState().presentedController, mail);
    EXPECT_EQ(int(sectionState().pickerMode), -1);
    ASSERT_EQ(mail->attachments().size(), 1u);
    const auto& attachment = mail->attachments()[0];
    EXPECT_EQ(attachment.type, "image/png");
    EXPECT_EQ(attachment.fileName, "image.png");
    const auto upright = CGImageCreateWithPNGData(attachment.data);
    ASSERT_NE(upright, nullptr);
    EXPECT_EQ(upright->width(), 6u);
    EXPECT_EQ(upright->height(), 8u);
    EXPECT_EQ(upright->pixelAt(5, 0), (CGImage::RGBA{255, 0, 0, 255}))
        << "the stored top-left shows top right";
    EXPECT_EQ(upright->pixelAt(0, 7), (CGImage::RGBA{0, 0, 255, 255}));

    PersonAnswers::finishWithResult(*mail, MFMailComposeResultSent);
    EXPECT_EQ(sectionState().presentedController, nullptr);
    EXPECT_EQ(springBoardEvents(), Lines{dismissedControlCenter()});
    EXPECT_TRUE(presentation.shown().empty());
}

TEST_F(ComposeAndPicking, MailAndMessageResultsOtherThanCancelledCloseControlCenterAndStaleSheetsAreIgnored) {
    ccDismissOn();
    for (const auto result : {MFMailComposeResultCancelled, MFMailComposeResultSaved, MFMailComposeResultSent,
                              MFMailComposeResultFailed}) {
        controlCenterOpen();
        clearEvents();
        tap("SYS-Mail", "Mail");
        const auto mail = shown<MFMailComposeViewController>();
        ASSERT_NE(mail, nullptr);
        EXPECT_TRUE(mail->attachments().empty());
        PersonAnswers::finishWithResult(*mail, result);
        EXPECT_EQ(springBoardEvents().size(), result == MFMailComposeResultCancelled ? 0u : 1u) << result;
    }
    for (const auto result :
         {MessageComposeResultCancelled, MessageComposeResultSent, MessageComposeResultFailed}) {
        controlCenterOpen();
        clearEvents();
        tap("SYS-Message", "Message");
        const auto message = shown<MFMessageComposeViewController>();
        ASSERT_NE(message, nullptr);
        PersonAnswers::finishWithResult(*message, result);
        EXPECT_EQ(springBoardEvents().size(), result == MessageComposeResultCancelled ? 0u : 1u) << result;
    }

    tap("SYS-Mail", "Mail");
    const std::weak_ptr<MFMailComposeViewController> stale = shown<MFMailComposeViewController>();
    tap("SYS-Message", "Message");
    EXPECT_TRUE(stale.expired()) << "a mail sheet closed for the next one is released";
    tap("SYS-Twitter", "Tweet");
    const auto post = shown<SLComposeViewController>();
    tap("SYS-Message", "Message");
    clearEvents();
    PersonAnswers::finishWithResult(*post, SLComposeViewControllerResultDone);
    EXPECT_NE(shown<MFMessageComposeViewController>(), nullptr) << "a stale post leaves the message sheet";
    EXPECT_NE(sectionState().presentedController, nullptr);
    EXPECT_TRUE(springBoardEvents().empty());

    MessageUIHost::setCanSendMail(false);
    tap("SYS-Mail", "Mail");
    EXPECT_TRUE(presentation.shown().empty()) << "the message sheet closed, and no mail sheet opened";
    MessageUIHost::setCanSendText(false);
    tap("SYS-Message", "Message");
    EXPECT_TRUE(presentation.shown().empty());
}

TEST_F(ComposeAndPicking, AVideoTakesTheTypeItsFileGivesAndAnUnreadableOneOpensTheSheetEmpty) {
    chooseVideo("SYS-Message", video("IMG_0005.MOV", "moov"));
    auto message = shown<MFMessageComposeViewController>();
    ASSERT_NE(message, nullptr);
    ASSERT_EQ(message->attachments().size(), 1u);
    EXPECT_EQ(message->attachments()[0].type, "com.apple.quicktime-movie");
    EXPECT_EQ(message->attachments()[0].fileName, "IMG_0005.MOV");
    EXPECT_EQ(message->attachments()[0].data.size(), 4u);

    chooseVideo("SYS-Mail", video("clip.mp4", "ftyp"));
    ASSERT_EQ(shown<MFMailComposeViewController>()->attachments().size(), 1u);
    EXPECT_EQ(shown<MFMailComposeViewController>()->attachments()[0].type, "video/mp4");
    EXPECT_EQ(shown<MFMailComposeViewController>()->attachments()[0].fileName, "clip.mp4");

    chooseVideo("SYS-Message", video("clip.mkv", "matroska"));
    const std::string dynamic = shown<MFMessageComposeViewController>()->attachments().at(0).type;
    EXPECT_TRUE(dynamic.starts_with("dyn.")) << dynamic;
    EXPECT_EQ(UTTypeCopyPreferredTagWithClass(dynamic, kUTTagClassMIMEType), "video/x-matroska");

    const auto unknown = video("clip.vid0", "data");
    chooseVideo("SYS-Mail", unknown);
    EXPECT_EQ(shown<MFMailComposeViewController>()->attachments().at(0).type, "application/octet-stream")
        << "an extension the media types do not know";
    chooseVideo("SYS-Message", unknown);
    EXPECT_EQ(shown<MFMessageComposeViewController>()->attachments().at(0).type, "public.data");

    const auto missing = NSURL::fileURLWithPath("/var/mobile/Media/DCIM/100APPLE/missing.MOV");
    for (const auto& url : {missing, video("empty.MOV", "")}) {
        chooseVideo("SYS-Mail", url);
        ASSERT_NE(shown<MFMailComposeViewController>(), nullptr) << url->absoluteString();
        EXPECT_TRUE(shown<MFMailComposeViewController>()->attachments().empty()) << url->absoluteString();
    }

    MessageUIHost::setCanSendAttachments(false);
    tap("SYS-Message", "Camera");
    ASSERT_TRUE(PersonAnswers::pickPhoto(*shown<UIImagePickerController>(), cameraPhoto(), "IMG_0009.JPG"));
    message = shown<MFMessageComposeViewController>();
    ASSERT_NE(message, nullptr);
    EXPECT_TRUE(message->attachments().empty());
}

TEST_F(ComposeAndPicking, APostGetsThePhotoAsPickedAndOnlyADonePostClosesControlCenter) {
    ccDismissOn();
    tap("SYS-Twitter", "Library");
    const auto picker = shown<UIImagePickerController>();
    ASSERT_NE(picker, nullptr);
    EXPECT_EQ(picker->mediaTypes(), std::vector<std::string>{"public.image"});
    const auto photo = cameraPhoto();
    ASSERT_TRUE(PersonAnswers::pickPhoto(*picker, photo, "IMG_0009.JPG"));
    auto post = shown<SLComposeViewController>();
    ASSERT_NE(post, nullptr);
    EXPECT_EQ(post->serviceType(), SLServiceTypeTwitter);
    EXPECT_EQ(post->images(), std::vector{photo}) << "not redrawn";
    const std::weak_ptr<SLComposeViewController> released = post;
    PersonAnswers::finishWithResult(*post, SLComposeViewControllerResultCancelled);
    post.reset();
    EXPECT_TRUE(released.expired()) << "the sheet and its completion hold each other not";
    EXPECT_TRUE(springBoardEvents().empty());
    EXPECT_EQ(sectionState().presentedController, nullptr);

    for (const auto& [functionId, action, service] :
         {std::tuple{"SYS-Facebook", "Post", SLServiceTypeFacebook},
          std::tuple{"SYS-SinaWeibo", "Post", SLServiceTypeSinaWeibo},
          std::tuple{"SYS-TencentWeibo", "Post", SLServiceTypeTencentWeibo},
          std::tuple{"SYS-Twitter", "Tweet", SLServiceTypeTwitter}}) {
        controlCenterOpen();
        clearEvents();
        tap(functionId, action);
        post = shown<SLComposeViewController>();
        ASSERT_NE(post, nullptr) << functionId;
        EXPECT_EQ(post->serviceType(), service);
        EXPECT_TRUE(post->images().empty());
        PersonAnswers::finishWithResult(*post, SLComposeViewControllerResultDone);
        EXPECT_EQ(springBoardEvents(), Lines{dismissedControlCenter()}) << functionId;
    }

    SocialHost::setAccounts({});
    tap("SYS-Facebook", "Post");
    EXPECT_TRUE(presentation.shown().empty());
    SocialHost::setAccounts({std::string(SLServiceTypeFacebook)});
    SpringBoardHost::setFrontMostAppOrientation(*SpringBoard::sharedApplication(), 3);
    tap("SYS-Facebook", "Post");
    EXPECT_EQ(shownAlert(), "Landscape mode is currently not supported.");
    tap("SYS-Facebook", "Camera");
    EXPECT_EQ(shownAlert(), "Landscape mode is currently not supported.") << "posts check before picking";
    tap("SYS-Mail", "Camera");
    EXPECT_NE(shown<UIImagePickerController>(), nullptr) << "no landscape check for mail";
    tap("SYS-Mail", "Mail");
    EXPECT_NE(shown<MFMailComposeViewController>(), nullptr);
}

TEST_F(ComposeAndPicking, TheShareSheetGetsTheVideoURLOrTheUprightPhotoAndACancelClosesControlCenter) {
    ccDismissOn();
    MediaHost::setCameraAvailable(false);
    tap("SYS-Photo", "Camera");
    auto picker = shown<UIImagePickerController>();
    ASSERT_NE(picker, nullptr);
    EXPECT_EQ(picker->sourceType(), UIImagePickerControllerSourceTypePhotoLibrary)
        << "no camera: the library";
    EXPECT_EQ(picker->mediaTypes(), (std::vector<std::string>{"public.image", "public.movie"}));
    const auto url = video("IMG_0005.MOV", "moov");
    ASSERT_TRUE(PersonAnswers::pickVideo(*picker, url));
    auto share = shown<UIActivityViewController>();
    ASSERT_NE(share, nullptr);
    EXPECT_EQ(share->activityItems(), (std::vector<std::shared_ptr<NSObject>>{url}));
    ASSERT_TRUE(PersonAnswers::performActivity(*share, UIActivityTypeMail));
    EXPECT_TRUE(springBoardEvents().empty()) << "a completed activity leaves Control Center open";
    EXPECT_EQ(sectionState().presentedController, nullptr);

    tap("SYS-Photo", "Library");
    const auto photo = cameraPhoto();
    ASSERT_TRUE(PersonAnswers::pickPhoto(*shown<UIImagePickerController>(), photo, "IMG_0009.JPG"));
    share = shown<UIActivityViewController>();
    ASSERT_NE(share, nullptr);
    const auto item = std::dynamic_pointer_cast<UIImage>(share->activityItems().at(0));
    ASSERT_NE(item, nullptr);
    EXPECT_NE(item, photo);
    EXPECT_EQ(item->imageOrientation(), UIImageOrientationUp);
    EXPECT_EQ(item->size(), (CGSize{6, 8}));
    PersonAnswers::cancel(*share);
    EXPECT_EQ(springBoardEvents(), Lines{dismissedControlCenter()});

    tap("SYS-Photo", "Library");
    picker = shown<UIImagePickerController>();
    imagePickerFinished(picker, UIImagePickerMediaInfo{});
    EXPECT_TRUE(presentation.shown().empty()) << "info with neither photo nor video: no empty share sheet";
    EXPECT_EQ(sectionState().presentedController, nullptr);
}

TEST_F(ComposeAndPicking, CancellingThePickerResetsTheModeAndLeavesControlCenterOpen) {
    ccDismissOn();
    tap("SYS-Photo", "Library");
    const auto first = shown<UIImagePickerController>();
    tap("SYS-Photo", "Library");
    const auto second = shown<UIImagePickerController>();
    ASSERT_NE(second, nullptr);
    EXPECT_NE(first, second) << "the second tap closed the first picker";
    PersonAnswers::cancel(*first);
    EXPECT_TRUE(PersonAnswers::pickPhoto(*first, cameraPhoto(), "IMG_0009.JPG"));
    EXPECT_EQ(shown<UIImagePickerController>(), second) << "a stale picker changes nothing";
    PersonAnswers::cancel(*second);
    EXPECT_TRUE(presentation.shown().empty());
    EXPECT_EQ(int(sectionState().pickerMode), -1);
    EXPECT_TRUE(springBoardEvents().empty());

    controlCenterClosed();
    controlCenterOpen();
    tap("SYS-Facebook", "Library");
    EXPECT_FALSE(PersonAnswers::pickVideo(*shown<UIImagePickerController>(), video("IMG_0005.MOV", "moov")))
        << "a post's picker offers photos only";
    imagePickerFinished(shown<UIImagePickerController>(), UIImagePickerMediaInfo{});
    EXPECT_TRUE(presentation.shown().empty()) << "no photo: no post";
    EXPECT_EQ(int(sectionState().pickerMode), -1);

    MediaHost::setPhotoLibraryAvailable(false);
    tap("SYS-Mail", "Camera");
    EXPECT_TRUE(presentation.shown().empty()) << "no library: no picker, even for the camera";
    EXPECT_EQ(int(sectionState().pickerMode), 1) << "the mode waits for the next opener";
}

} // namespace
