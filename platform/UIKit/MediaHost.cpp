#include "UIKit/MediaHost.h"

#include "UIKit/UIImagePickerController.h"

void MediaHost::setPhotoLibraryAvailable(bool available) {
    UIImagePickerController::setPhotoLibraryAvailable(badge(), available);
}

void MediaHost::setCameraAvailable(bool available) {
    UIImagePickerController::setCameraAvailable(badge(), available);
}
