#pragma once

#include "objc/objc-api.h"

#include "CoreGraphics/CGImage.h"
#include "Foundation/NSObject.h"

#include <memory>

// An image as the detectors read it: here always backed by a bitmap.
class ORVANE_EXPORT CIImage : public NSObject {
    OBJC_OBJECT(CIImage, NSObject)
    // Nothing for no image.
    static std::shared_ptr<CIImage> imageWithCGImage(CGImageRef image);

    const CGImageRef& CGImage() const { return _image; }

  protected:
    explicit CIImage(CGImageRef image) : _image(std::move(image)) {}

  private:
    CGImageRef _image;
};
