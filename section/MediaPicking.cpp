#include "MediaPicking.h"

#include "ComposeSheets.h"
#include "MobileCoreServices/UTType.h"
#include "OrvaneCCSection.h"
#include "Presentation.h"
#include "SectionState.h"
#include "UIKit/UIActivityViewController.h"
#include "UprightImage.h"

#include <algorithm>
#include <utility>

namespace {

// The post service of a mode, from the system function that picks in it; nothing for a mode that posts
// nowhere.
std::optional<std::string_view> postServiceFor(PickerMode mode) {
    const auto functions = actionFunctions();
    const auto found =
        std::ranges::find(functions, mode, [](const FunctionInfo& f) { return f.services.pickerMode; });
    if (found == functions.end() || found->services.sheet != Sheet::socialPost)
        return std::nullopt;
    return found->services.serviceType;
}

bool isPostMode(PickerMode mode) {
    return postServiceFor(mode).has_value();
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

void handOn(PickerMode mode, const std::optional<UIImagePickerMediaInfo>& mediaInfo) {
    const auto service = postServiceFor(mode);
    if (mode == PickerMode::share && mediaInfo)
        presentShareSheet(*mediaInfo);
    else if (mode == PickerMode::mail)
        presentMailCompose(mediaInfo);
    else if (mode == PickerMode::message)
        presentMessageCompose(mediaInfo);
    else if (const auto photo = mediaInfo ? pickedPhoto(*mediaInfo) : nullptr; service && photo)
        presentSocialCompose(*service, photo);
}

} // namespace

void presentImagePicker(bool useCamera, bool includeVideos) {
    auto& state = sectionState();
    closePresentedController();
    if (!UIImagePickerController::isSourceTypeAvailable(UIImagePickerControllerSourceTypePhotoLibrary))
        return;
    const PickerMode mode = state.pickerMode;
    if ((mode == PickerMode::share || isPostMode(mode)) && presentLandscapeAlertIfNeeded())
        return;
    if (mode == PickerMode::mail || mode == PickerMode::message || isPostMode(mode))
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
    handOn(std::exchange(sectionState().pickerMode, PickerMode::none), mediaInfo);
}

void imagePickerCancelled(const std::shared_ptr<UIImagePickerController>& picker) {
    if (closeIfPresented(picker, true))
        sectionState().pickerMode = PickerMode::none;
}
