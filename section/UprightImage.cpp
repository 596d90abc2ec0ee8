#include "section/UprightImage.h"

#include <numbers>

namespace {

bool isSideways(UIImageOrientation orientation) {
    return orientation == UIImageOrientationLeft || orientation == UIImageOrientationRight ||
           orientation == UIImageOrientationLeftMirrored || orientation == UIImageOrientationRightMirrored;
}

// Maps the drawn bitmap onto the upright one: a turn first, then a mirror across the vertical axis.
CGAffineTransform uprightTransform(UIImageOrientation orientation, CGSize size) {
    const CGFloat w = size.width;
    const CGFloat h = size.height;
    CGAffineTransform transform = CGAffineTransformIdentity;
    switch (orientation) {
    case UIImageOrientationDown:
    case UIImageOrientationDownMirrored:
        transform = CGAffineTransformRotate(CGAffineTransformTranslate(transform, w, h), std::numbers::pi);
        break;
    case UIImageOrientationLeft:
    case UIImageOrientationLeftMirrored:
        transform =
            CGAffineTransformRotate(CGAffineTransformTranslate(transform, w, 0), std::numbers::pi / 2);
        break;
    case UIImageOrientationRight:
    case UIImageOrientationRightMirrored:
        transform =
            CGAffineTransformRotate(CGAffineTransformTranslate(transform, 0, h), -std::numbers::pi / 2);
        break;
    default:
        break;
    }
    switch (orientation) {
    case UIImageOrientationUpMirrored:
    case UIImageOrientationDownMirrored:
        transform = CGAffineTransformScale(CGAffineTransformTranslate(transform, w, 0), -1, 1);
        break;
    case UIImageOrientationLeftMirrored:
    case UIImageOrientationRightMirrored:
        transform = CGAffineTransformScale(CGAffineTransformTranslate(transform, h, 0), -1, 1);
        break;
    default:
        break;
    }
    return transform;
}

} // namespace

std::shared_ptr<UIImage> normaliseImageOrientation(const std::shared_ptr<UIImage>& image) {
    if (!image || image->imageOrientation() == UIImageOrientationUp)
        return image;
    const CGSize size = image->size();
    const auto context =
        CGBitmapContextCreate(static_cast<std::size_t>(size.width), static_cast<std::size_t>(size.height));
    if (!context)
        return nullptr;
    CGContextConcatCTM(context, uprightTransform(image->imageOrientation(), size));
    const CGSize drawn = isSideways(image->imageOrientation()) ? CGSizeMake(size.height, size.width) : size;
    CGContextDrawImage(context, CGRectMake(0, 0, drawn.width, drawn.height), image->CGImage());
    return UIImage::imageWithCGImage(CGBitmapContextCreateImage(context), 1, UIImageOrientationUp);
}
