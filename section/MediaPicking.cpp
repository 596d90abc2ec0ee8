#include "MediaPicking.h"

#include "ComposeSheets.h"
#include "MobileCoreServices/UTType.h"
#include "OrvaneCCSection.h"
#include "Presentation.h"
#include "SectionState.h"
#include "UIKit/UIActivityViewController.h"
#include "UprightImage.h"

#include <array>
#include <utility>

namespace {

constexpr int noMode = -1;
constexpr int shareMode = 0;
constexpr int mailMode = 1;
constexpr int messageMode = 2;
// Modes 3 to 6 post to these services, in this order.
constexpr int firstPostMode = 3;
constexpr std::array<std::string_view, 4> postServices = {SLServiceTypeFacebook, SLServiceTypeSinaWeibo,
                                                          SLServiceTypeTencentWeibo, SLServiceTypeTwitter};

bool isPostMode(int mode) {
    return mode >= firstPostMode && mode < firstPostMode + int(postServices.size());
}

// Closing the share sheet without completing an activity counts as done with Control Center.
void shareSheetFinished(const std::weak_ptr<UIActivityViewController>& weakSheet, bool completed) {
    if (closeIfPresented(weakSheet.lock(), true) && !completed)
        dismissControlCenterIfWanted();
}

// The share sheet for the picked item: a video's file URL, or the photo made upright. Info that holds
// neither shows nothing: a share sheet with no item has nothing to offer.
void presentShareSheet(const UIImagePickerMediaInfo& mediaInfo) {
    closePresentedController();
    warmUpPresentation();
    const std::shared_ptr<NSObject> item =
        isMovie(mediaInfo) ? std::shared_ptr<NSObject>(pickedVideo(mediaInfo))
                           : std::shared_ptr<NSObject>(normaliseImageOrientation(pickedPhoto(mediaInfo)));
    if (!item)
        return;
    const auto sheet = UIActivityViewController::initWithActivityItems({item}, {});
    sheet->setCompletionWithItemsHandler(
        [weakSheet = std::weak_ptr(sheet)](const auto&, bool completed, const auto&, const auto&) {
            shareSheetFinished(weakSheet, completed);
        });
    presentOverControlCenter(sheet);
}

void handOn(int mode, const std::optional<UIImagePickerMediaInfo>& mediaInfo) {
    if (mode == shareMode && mediaInfo)
        presentShareSheet(*mediaInfo);
    else if (mode == mailMode)
        presentMailCompose(mediaInfo);
    else if (mode == messageMode)
        presentMessageCompose(mediaInfo);
    else if (const auto photo = mediaInfo ? pickedPhoto(*mediaInfo) : nullptr; isPostMode(mode) && photo)
        presentSocialCompose(postServices[std::size_t(mode - firstPostMode)], photo);
}

} // namespace

void presentImagePicker(bool useCamera, bool includeVideos) {
    auto& state = sectionState();
    closePresentedController();
    if (!UIImagePickerController::isSourceTypeAvailable(UIImagePickerControllerSourceTypePhotoLibrary))
        return;
    const int mode = state.pickerMode;
    if ((mode == shareMode || isPostMode(mode)) && presentLandscapeAlertIfNeeded())
        return;
    if (mode == mailMode || mode == messageMode || isPostMode(mode))
        warmUpPresentation();
    const auto picker = UIImagePickerController::make();
    const bool camera =
        useCamera && UIImagePickerController::isSourceTypeAvailable(UIImagePickerControllerSourceTypeCamera);
    picker->setSourceType(camera ? UIImagePickerControllerSourceTypeCamera
                                 : UIImagePickerControllerSourceTypePhotoLibrary);
    std::vector<std::string> mediaTypes = {std::string(kUTTypeImage)};
    if (includeVideos)
        mediaTypes.emplace_back(kUTTypeMovie);
    picker->setMediaTypes(std::move(mediaTypes));
    picker->setAllowsEditing(false);
    picker->setDelegate(state.currentSection.lock());
    presentOverControlCenter(picker);
}

void imagePickerFinished(const std::shared_ptr<UIImagePickerController>& picker,
                         const std::optional<UIImagePickerMediaInfo>& mediaInfo) {
    if (!closeIfPresented(picker, false))
        return;
    handOn(std::exchange(sectionState().pickerMode, noMode), mediaInfo);
}

void imagePickerCancelled(const std::shared_ptr<UIImagePickerController>& picker) {
    if (closeIfPresented(picker, true))
        sectionState().pickerMode = noMode;
}
