#include "MobileCoreServices/UTType.h"
#include "UIKit/MediaHost.h"
#include "UIKit/PresentationHost.h"
#include "UIKit/UIActivityViewController.h"
#include "UIKit/UIImagePickerController.h"
#include "support/DeviceEvents.h"
#include "support/TemporaryDevice.h"

#include <gtest/gtest.h>

namespace {

using Lines = std::vector<std::string>;

struct PickerRecorder : UIImagePickerControllerDelegate {
    void imagePickerControllerDidFinishPickingMediaWithInfo(
        const std::shared_ptr<UIImagePickerController>&,
        const std::optional<UIImagePickerMediaInfo>& info) override {
        infos.push_back(info);
    }
    void imagePickerControllerDidCancel(const std::shared_ptr<UIImagePickerController>&) override {
        ++cancels;
    }
    std::vector<std::optional<UIImagePickerMediaInfo>> infos;
    int cancels = 0;
};

std::string mediaTypeOf(const UIImagePickerMediaInfo& info) {
    const auto found = info.find(UIImagePickerControllerMediaType);
    const auto* text = found == info.end() ? nullptr : dynamic_cast<const NSString*>(found->second.get());
    return text ? text->string() : "";
}

class MediaPicking : public ::testing::Test {
  protected:
    ~MediaPicking() override {
        MediaHost::setPhotoLibraryAvailable(true);
        MediaHost::setCameraAvailable(true);
    }
    TemporaryDevice device;
    std::shared_ptr<UIImage> photo = UIImage::imageWithCGImage(
        CGImageCreate(4, 3, std::vector<std::uint32_t>(12, 0xff00ff00u)), 1, UIImageOrientationRight);
};

TEST_F(MediaPicking, SourcesFollowTheDeviceAndOfferPhotosAndVideos) {
    using Types = std::vector<std::string>;
    EXPECT_TRUE(UIImagePickerController::isSourceTypeAvailable(UIImagePickerControllerSourceTypeCamera));
    EXPECT_EQ(
        UIImagePickerController::availableMediaTypesForSourceType(UIImagePickerControllerSourceTypeCamera),
        (Types{"public.image", "public.movie"}));
    MediaHost::setCameraAvailable(false);
    MediaHost::setPhotoLibraryAvailable(false);
    EXPECT_FALSE(UIImagePickerController::isSourceTypeAvailable(UIImagePickerControllerSourceTypeCamera));
    EXPECT_FALSE(
        UIImagePickerController::isSourceTypeAvailable(UIImagePickerControllerSourceTypePhotoLibrary));
    EXPECT_EQ(UIImagePickerController::availableMediaTypesForSourceType(
                  UIImagePickerControllerSourceTypePhotoLibrary),
              Types{});
    EXPECT_FALSE(
        UIImagePickerController::isSourceTypeAvailable(static_cast<UIImagePickerControllerSourceType>(7)));
}

TEST_F(MediaPicking, ThePickerHandsOverWhatItOffersAndNothingElse) {
    const auto picker = UIImagePickerController::make();
    const auto recorder = std::make_shared<PickerRecorder>();
    picker->setDelegate(recorder);
    const auto video = NSURL::fileURLWithPath("/var/mobile/Media/DCIM/100APPLE/IMG_0004.MOV");
    EXPECT_FALSE(PersonAnswers::pickVideo(*picker, video)) << "photos only until videos are asked for";
    EXPECT_TRUE(PersonAnswers::pickPhoto(*picker, photo, "IMG_0001.JPG"));
    picker->setMediaTypes({std::string(kUTTypeImage), std::string(kUTTypeMovie)});
    EXPECT_TRUE(PersonAnswers::pickVideo(*picker, video));
    EXPECT_FALSE(PersonAnswers::pickPhoto(*picker, nullptr, "none"));
    PersonAnswers::cancel(*picker);

    ASSERT_EQ(recorder->infos.size(), 2u);
    const auto& picked = *recorder->infos[0];
    EXPECT_EQ(mediaTypeOf(picked), "public.image");
    EXPECT_EQ(picked.at(std::string(UIImagePickerControllerOriginalImage)), photo);
    EXPECT_EQ(picked.count(std::string(UIImagePickerControllerMediaURL)), 0u);
    const auto& filmed = *recorder->infos[1];
    EXPECT_EQ(mediaTypeOf(filmed), "public.movie");
    EXPECT_EQ(filmed.at(std::string(UIImagePickerControllerMediaURL)), video);
    EXPECT_EQ(recorder->cancels, 1);
    EXPECT_EQ(
        loggedEvents("picker."),
        (Lines{"picker.picked media=public.image file=IMG_0001.JPG pixels=4x3 orientation=3",
               "picker.picked media=public.movie url=file:///var/mobile/Media/DCIM/100APPLE/IMG_0004.MOV",
               "picker.cancelled"}));
}

TEST_F(MediaPicking, TheShareSheetOffersActivitiesForItsItemsAndReportsTheAnswer) {
    std::vector<std::string> answers;
    const auto handler = [&](const std::optional<std::string>& type, bool completed, const auto& returned,
                             const auto& error) {
        answers.push_back(type.value_or("none") + (completed ? " completed" : " not completed"));
        EXPECT_TRUE(returned.empty());
        EXPECT_FALSE(error);
    };
    const auto forPhoto = UIActivityViewController::initWithActivityItems({photo}, {});
    forPhoto->setCompletionWithItemsHandler(handler);
    EXPECT_GE(forPhoto->activityTypes().size(), 10u);
    EXPECT_TRUE(PersonAnswers::performActivity(*forPhoto, UIActivityTypePostToTwitter));
    EXPECT_FALSE(PersonAnswers::performActivity(*forPhoto, "com.example.unknown"));
    PersonAnswers::cancel(*forPhoto);

    const auto forVideo = UIActivityViewController::initWithActivityItems(
        {NSURL::fileURLWithPath("/var/mobile/Media/DCIM/100APPLE/IMG_0004.MOV")}, {});
    forVideo->setCompletionWithItemsHandler(handler);
    EXPECT_FALSE(PersonAnswers::performActivity(*forVideo, UIActivityTypePrint))
        << "a video cannot be printed";
    EXPECT_TRUE(PersonAnswers::performActivity(*forVideo, UIActivityTypeMail));
    EXPECT_EQ(answers, (Lines{"com.apple.UIKit.activity.PostToTwitter completed", "none not completed",
                              "com.apple.UIKit.activity.Mail completed"}));
    EXPECT_EQ(loggedEvents("share."),
              (Lines{"share.finished activity=com.apple.UIKit.activity.PostToTwitter completed=true",
                     "share.finished activity=none completed=false",
                     "share.finished activity=com.apple.UIKit.activity.Mail completed=true"}));
}

} // namespace
