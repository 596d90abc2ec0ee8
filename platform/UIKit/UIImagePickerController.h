#pragma once

#include "objc/objc-api.h"

#include "objc/Badge.h"

#include "Foundation/NSURL.h"
#include "UIKit/UIImage.h"
#include "UIKit/UIViewController.h"

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class MediaHost;

enum UIImagePickerControllerSourceType {
    UIImagePickerControllerSourceTypePhotoLibrary = 0,
    UIImagePickerControllerSourceTypeCamera = 1,
    UIImagePickerControllerSourceTypeSavedPhotosAlbum = 2,
};

// Keys of what the picker hands its delegate: the media type (an NSString type identifier), the photo as
// taken or chosen (a UIImage), the photo as the person edited it (a UIImage, only where editing is allowed
// and was done; this picker offers no editing), and a video's file (an NSURL).
inline constexpr std::string_view UIImagePickerControllerMediaType = "UIImagePickerControllerMediaType";
inline constexpr std::string_view UIImagePickerControllerOriginalImage =
    "UIImagePickerControllerOriginalImage";
inline constexpr std::string_view UIImagePickerControllerEditedImage = "UIImagePickerControllerEditedImage";
inline constexpr std::string_view UIImagePickerControllerMediaURL = "UIImagePickerControllerMediaURL";

using UIImagePickerMediaInfo = std::map<std::string, std::shared_ptr<NSObject>, std::less<>>;

class UIImagePickerController;

class ORVANE_EXPORT UIImagePickerControllerDelegate {
  public:
    virtual ~UIImagePickerControllerDelegate() = default;
    // `info` is nothing when the picker has nothing to say about what was picked.
    virtual void imagePickerControllerDidFinishPickingMediaWithInfo(
        const std::shared_ptr<UIImagePickerController>& /*picker*/,
        const std::optional<UIImagePickerMediaInfo>& /*info*/) {}
    virtual void imagePickerControllerDidCancel(const std::shared_ptr<UIImagePickerController>& /*picker*/) {}
};

// The camera or the photo library, shown to the person, who takes or chooses a photo or video, or cancels.
class ORVANE_EXPORT UIImagePickerController : public UIViewController {
    OBJC_OBJECT(UIImagePickerController, UIViewController)
    // The photo library is there unless the device has none; the camera when the device has a camera.
    static bool isSourceTypeAvailable(UIImagePickerControllerSourceType sourceType);
    // What the device has, as its profile says: a photo library, and any camera that can take a picture (the
    // cameras themselves belong to AVFoundation).
    static void setPhotoLibraryAvailable(Badge<MediaHost>, bool available);
    static void setCameraAvailable(Badge<MediaHost>, bool available);
    // Photos and videos from every available source; nothing from one that is not.
    static std::vector<std::string>
    availableMediaTypesForSourceType(UIImagePickerControllerSourceType sourceType);

    UIImagePickerControllerSourceType sourceType() const { return _sourceType; }
    void setSourceType(UIImagePickerControllerSourceType sourceType) { _sourceType = sourceType; }
    // Photos only (kUTTypeImage) until set.
    const std::vector<std::string>& mediaTypes() const { return _mediaTypes; }
    void setMediaTypes(std::vector<std::string> mediaTypes) { _mediaTypes = std::move(mediaTypes); }
    bool allowsEditing() const { return _allowsEditing; }
    void setAllowsEditing(bool allowsEditing) { _allowsEditing = allowsEditing; }
    std::shared_ptr<UIImagePickerControllerDelegate> delegate() const { return _delegate.lock(); }
    void setDelegate(const std::shared_ptr<UIImagePickerControllerDelegate>& delegate) {
        _delegate = delegate;
    }

    // The camera and the library fill the screen.
    bool coversPresenter() const override { return true; }

  protected:
    void presentTo(PresentationHost& host, bool animated) override;
    UIImagePickerController() = default;
    static void registerProperties(NSPropertyTable<UIImagePickerController>& table);

  private:
    // Only hosts answer for the person: PersonAnswers (UIKit/PresentationHost.h), in the hosts' library,
    // does what the person does with this controller.
    friend class PersonAnswers;

    bool offers(std::string_view mediaType) const;
    void deliver(std::string_view mediaType, std::string_view key, std::shared_ptr<NSObject> item);

    UIImagePickerControllerSourceType _sourceType = UIImagePickerControllerSourceTypePhotoLibrary;
    std::vector<std::string> _mediaTypes;
    bool _allowsEditing = false;
    std::weak_ptr<UIImagePickerControllerDelegate> _delegate;
};
