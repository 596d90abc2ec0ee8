#pragma once

#include "UIKit/UIImagePickerController.h"

#include <memory>
#include <optional>

// The photo and video picker over Control Center, for what sectionState().pickerMode says the item is for:
// 0 the share sheet, 1 a mail, 2 a message, 3 to 6 a post to Facebook, Sina Weibo, Tencent Weibo or Twitter.
// Whoever opens the picker sets the mode first. The camera is used when asked for and the device has one;
// the library otherwise.
void presentImagePicker(bool useCamera, bool includeVideos);

// The section's answers to the picker; a picker that is no longer the one shown is ignored.
void imagePickerFinished(const std::shared_ptr<UIImagePickerController>& picker,
                         const std::optional<UIImagePickerMediaInfo>& mediaInfo);
void imagePickerCancelled(const std::shared_ptr<UIImagePickerController>& picker);
