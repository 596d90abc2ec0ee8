#pragma once

#include "objc/objc-api.h"

#include "UIKit/UIImage.h"
#include "UIKit/UIView.h"

// Shows an image stretched over its bounds; nothing without an image.
class ORVANE_EXPORT UIImageView : public UIView {
    OBJC_OBJECT(UIImageView, UIView)

    const std::shared_ptr<UIImage>& image() const { return _image; }
    void setImage(std::shared_ptr<UIImage> image) { _image = std::move(image); }

  protected:
    // As UIKit does, an image view made with an image takes the image's size.
    explicit UIImageView(std::shared_ptr<UIImage> image = nullptr);
    void drawContent(CGRect bounds) const override;

  private:
    std::shared_ptr<UIImage> _image;
};
