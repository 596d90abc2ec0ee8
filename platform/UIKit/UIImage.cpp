#include "UIKit/UIImage.h"
#include "CoreGraphics/libjpeg/JPEGCodec.h"
#include "Device/posix/FileIO.h"
#include "Foundation/NSBundle.h"
#include "UIKit/UIGraphics.h"
#include "UIKit/UIScreen.h"
#include "UIKit/libexif/ExifOrientation.h"

#include <filesystem>

namespace {

// Far above any picture the plug-ins ship, well below what would hurt to read.
constexpr std::size_t maximumFileSize = 128u * 1024 * 1024;

// Where the pixel at (u, v) of the stored bitmap (both 0 to 1, v down) shows in the upright picture (x, y, y
// down): x = xu*u + xv*v + x1, y = yu*u + yv*v + y1. These are the EXIF orientations UIKit names.
struct OrientationMap {
    CGFloat xu, xv, x1, yu, yv, y1;
};

constexpr OrientationMap orientationMaps[] = {
    {1, 0, 0, 0, 1, 0},   // up
    {-1, 0, 1, 0, -1, 1}, // down: turned half a turn
    {0, 1, 0, -1, 0, 1},  // left: turned a quarter anticlockwise
    {0, -1, 1, 1, 0, 0},  // right: turned a quarter clockwise
    {-1, 0, 1, 0, 1, 0},  // up mirrored
    {1, 0, 0, 0, -1, 1},  // down mirrored
    {0, 1, 0, 1, 0, 0},   // left mirrored
    {0, -1, 1, -1, 0, 1}, // right mirrored
};

bool swapsSides(UIImageOrientation orientation) {
    return orientation == UIImageOrientationLeft || orientation == UIImageOrientationRight ||
           orientation == UIImageOrientationLeftMirrored || orientation == UIImageOrientationRightMirrored;
}

// Maps the unit square, as CGContextDrawImage fills it (stored row 0 along y = 1, y up), onto `rect` of a
// y-down UIKit space, upright.
CGAffineTransform drawingTransform(UIImageOrientation orientation, CGRect rect) {
    const OrientationMap& map = orientationMaps[orientation];
    const CGFloat width = rect.size.width;
    const CGFloat height = rect.size.height;
    // The unit square's y is 1 - v.
    return {width * map.xu,
            height * map.yu,
            -width * map.xv,
            -height * map.yv,
            rect.origin.x + width * (map.xv + map.x1),
            rect.origin.y + height * (map.yv + map.y1)};
}

std::filesystem::path doubleScaleSibling(const std::filesystem::path& path) {
    return path.parent_path() / (path.stem().string() + "@2x" + path.extension().string());
}

// The kernel resolves the path within the device root in one call, which matters for icons read by the
// dozen.
std::shared_ptr<UIImage> imageFromFile(const std::filesystem::path& devicePath, CGFloat scale) {
    std::vector<std::uint8_t> bytes;
    if (!FileIO::readDeviceFile(devicePath.native(), maximumFileSize, bytes))
        return nullptr;
    return UIImage::imageWithData(bytes, scale);
}

} // namespace

UIImage::UIImage(CGImageRef image, CGFloat scale, UIImageOrientation orientation)
    : _image(std::move(image)), _scale(scale), _orientation(orientation) {}

std::shared_ptr<UIImage> UIImage::imageWithContentsOfFile(std::string_view path) {
    const std::filesystem::path devicePath(path);
    if (UIScreen::mainScreen().scale() >= 2)
        if (auto image = imageFromFile(doubleScaleSibling(devicePath), 2))
            return image;
    return imageFromFile(devicePath, 1);
}

std::shared_ptr<UIImage> UIImage::imageWithData(std::span<const std::uint8_t> bytes, CGFloat scale) {
    const bool jpeg = bytes.size() >= 3 && bytes[0] == 0xff && bytes[1] == 0xd8 && bytes[2] == 0xff;
    if (jpeg)
        return imageWithCGImage(CGImageCreateWithJPEGData(bytes), scale, ExifOrientation::ofJPEG(bytes));
    return imageWithCGImage(CGImageCreateWithPNGData(bytes), scale, UIImageOrientationUp);
}

std::shared_ptr<UIImage> UIImage::imageWithCGImage(CGImageRef image, CGFloat scale,
                                                   UIImageOrientation orientation) {
    if (!image || !(scale > 0))
        return nullptr;
    return make(std::move(image), scale, orientation);
}

CGSize UIImage::size() const {
    const CGSize stored = {CGFloat(CGImageGetWidth(_image)) / _scale,
                           CGFloat(CGImageGetHeight(_image)) / _scale};
    return swapsSides(_orientation) ? CGSize{stored.height, stored.width} : stored;
}

void UIImage::drawInRect(CGRect rect) const {
    drawInRect(rect, kCGBlendModeNormal, 1);
}

void UIImage::drawInRect(CGRect rect, CGBlendMode blendMode, CGFloat alpha) const {
    const CGContextRef context = UIGraphicsGetCurrentContext();
    if (!context)
        return;
    CGContextSaveGState(context);
    CGContextSetBlendMode(context, blendMode);
    CGContextSetAlpha(context, alpha);
    CGContextConcatCTM(context, drawingTransform(_orientation, rect));
    CGContextDrawImage(context, CGRectMake(0, 0, 1, 1), _image);
    CGContextRestoreGState(context);
}

void UIImage::drawAtPoint(CGPoint point) const {
    drawInRect({point, size()});
}

std::vector<std::uint8_t> UIImagePNGRepresentation(const UIImage& image) {
    if (image.imageOrientation() == UIImageOrientationUp)
        return CGImagePNGRepresentation(image.CGImage());
    UIGraphicsBeginImageContextWithOptions(image.size(), false, image.scale());
    image.drawInRect({{0, 0}, image.size()}, kCGBlendModeCopy, 1);
    const auto upright = UIGraphicsGetImageFromCurrentImageContext();
    UIGraphicsEndImageContext();
    return upright ? CGImagePNGRepresentation(upright->CGImage()) : std::vector<std::uint8_t>{};
}

std::vector<std::uint8_t> UIImageJPEGRepresentation(const UIImage& image, CGFloat compressionQuality) {
    const int quality = static_cast<int>(std::lround(std::clamp<CGFloat>(compressionQuality, 0, 1) * 99)) + 1;
    return JPEGCodec::encode(image.CGImage(), quality, ExifOrientation::payloadFor(image.imageOrientation()));
}

std::shared_ptr<UIImage> UIImage::imageNamed(std::string_view name) {
    const auto bundle = NSBundle::mainBundle();
    if (!bundle || name.empty() || name.find('/') != std::string_view::npos)
        return nullptr;
    return imageWithContentsOfFile(bundle->bundlePath() + "/" + std::string(name) + ".png");
}
