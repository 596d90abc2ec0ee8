#include "UIKit/UIImagePickerController.h"

#include "UIKit/PresentationHost.h"

#include "Device/EventLog.h"
#include "MobileCoreServices/UTType.h"

#include <algorithm>

namespace {

bool photoLibraryAvailable = true;
bool cameraAvailable = true;

} // namespace

void UIImagePickerController::setPhotoLibraryAvailable(Badge<MediaHost>, bool available) {
    photoLibraryAvailable = available;
}

void UIImagePickerController::setCameraAvailable(Badge<MediaHost>, bool available) {
    cameraAvailable = available;
}

void UIImagePickerController::registerProperties(NSPropertyTable<UIImagePickerController>& table) {
    table.add("sourceType", &UIImagePickerController::sourceType, &UIImagePickerController::setSourceType);
    table.add("mediaTypes", [](const UIImagePickerController& picker) {
        std::string types;
        for (const auto& type : picker.mediaTypes())
            types += (types.empty() ? "" : ",") + type;
        return types;
    });
    table.add("allowsEditing", &UIImagePickerController::allowsEditing,
              &UIImagePickerController::setAllowsEditing);
}

bool UIImagePickerController::isSourceTypeAvailable(UIImagePickerControllerSourceType sourceType) {
    switch (sourceType) {
    case UIImagePickerControllerSourceTypePhotoLibrary:
    case UIImagePickerControllerSourceTypeSavedPhotosAlbum:
        return photoLibraryAvailable;
    case UIImagePickerControllerSourceTypeCamera:
        return cameraAvailable;
    }
    return false;
}

std::vector<std::string>
UIImagePickerController::availableMediaTypesForSourceType(UIImagePickerControllerSourceType sourceType) {
    if (!isSourceTypeAvailable(sourceType))
        return {};
    return {std::string(kUTTypeImage), std::string(kUTTypeMovie)};
}

bool UIImagePickerController::offers(std::string_view mediaType) const {
    const auto& types =
        _mediaTypes.empty() ? std::vector<std::string>{std::string(kUTTypeImage)} : _mediaTypes;
    return std::ranges::find(types, mediaType) != types.end();
}

void UIImagePickerController::deliver(std::string_view mediaType, std::string_view key,
                                      std::shared_ptr<NSObject> item) {
    UIImagePickerMediaInfo info;
    info.emplace(UIImagePickerControllerMediaType, NSString::stringWithString(std::string(mediaType)));
    info.emplace(key, std::move(item));
    if (const auto listener = delegate())
        listener->imagePickerControllerDidFinishPickingMediaWithInfo(
            std::static_pointer_cast<UIImagePickerController>(shared_from_this()), info);
}

void UIImagePickerController::presentTo(PresentationHost& host, bool animated) {
    host.didPresentPicker(std::static_pointer_cast<UIImagePickerController>(shared_from_this()), animated);
}
