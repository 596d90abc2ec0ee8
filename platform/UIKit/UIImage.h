#pragma once

#include "objc/objc-api.h"

#include "CoreGraphics/CGContext.h"
#include "CoreGraphics/CGGeometry.h"
#include "CoreGraphics/CGImage.h"
#include "Foundation/NSObject.h"

#include <memory>
#include <string_view>
#include <vector>

enum UIImageOrientation {
    UIImageOrientationUp = 0,
    UIImageOrientationDown = 1,
    UIImageOrientationLeft = 2,
    UIImageOrientationRight = 3,
    UIImageOrientationUpMirrored = 4,
    UIImageOrientationDownMirrored = 5,
    UIImageOrientationLeftMirrored = 6,
    UIImageOrientationRightMirrored = 7,
};

// An image: a bitmap with a scale (pixels per point) and an orientation. Its size is in points, as the
// orientation shows it.
class ORVANE_EXPORT UIImage : public NSObject {
    OBJC_OBJECT(UIImage, NSObject)
    // Loads a PNG or JPEG file (a device path); a JPEG's EXIF orientation becomes the image's orientation. On
    // a screen of scale 2 or more, "name@2x.png" beside "name.png" is preferred and gives scale 2; otherwise
    // the scale is 1. Nothing when no file can be read and decoded.
    static std::shared_ptr<UIImage> imageWithContentsOfFile(std::string_view path);
    // "name.png" (or its "@2x" sibling) in the main bundle; nothing when it has none.
    static std::shared_ptr<UIImage> imageNamed(std::string_view name);
    // PNG, or JPEG with its EXIF orientation (EXIF's 1 to 8 as UIKit names them; any other value is up).
    static std::shared_ptr<UIImage> imageWithData(std::span<const std::uint8_t> bytes, CGFloat scale = 1);
    static std::shared_ptr<UIImage> imageWithCGImage(CGImageRef image, CGFloat scale,
                                                     UIImageOrientation orientation);

    CGSize size() const;
    CGFloat scale() const { return _scale; }
    UIImageOrientation imageOrientation() const { return _orientation; }
    const CGImageRef& CGImage() const { return _image; }

    // Draw into the current image context (UIGraphics), upright, with the orientation applied.
    void drawInRect(CGRect rect) const;
    void drawInRect(CGRect rect, CGBlendMode blendMode, CGFloat alpha) const;
    void drawAtPoint(CGPoint point) const;

  protected:
    UIImage(CGImageRef image, CGFloat scale, UIImageOrientation orientation);

  private:
    CGImageRef _image;
    CGFloat _scale;
    UIImageOrientation _orientation;
};

ORVANE_EXPORT std::vector<std::uint8_t> UIImagePNGRepresentation(const UIImage& image);
// A JPEG of the image's stored pixels at `compressionQuality` (0 to 1), its orientation in the EXIF block as
// a camera writes it.
ORVANE_EXPORT std::vector<std::uint8_t> UIImageJPEGRepresentation(const UIImage& image,
                                                                  CGFloat compressionQuality);
