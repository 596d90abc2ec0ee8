#include "IconImages.h"

#include "CoreGraphics/CGImage.h"
#include "CoreGraphics/CGPixelBuffer.h"
#include "Foundation/NSBundle.h"
#include "OrvaneCCSection.h"
#include "UIKit/UIBezierPath.h"
#include "UIKit/UIGraphics.h"
#include "common/FunctionCatalogue.h"
#include "common/SectionSettings.h"

#include <algorithm>
#include <cstdint>
#include <map>
#include <string>
#include <tuple>
#include <vector>

namespace {

// Both functions of a shared application show its files; Skype shows its phone files on every device.
std::string_view iconName(std::string_view functionId) {
    const FunctionInfo* info = functionInfoForId(functionId, DeviceFamily::phone);
    return info && !info->targetBundleIds.empty() ? info->targetBundleIds.front() : std::string_view();
}

std::shared_ptr<UIImage> scaled(const std::shared_ptr<UIImage>& image, std::int32_t iconSize) {
    if (!image || iconSize == 50)
        return image;
    const CGFloat side = iconSize;
    return drawnImage(CGSizeMake(side, side), image->scale(),
                      [&](const CGContextRef&) { image->drawInRect(CGRectMake(0, 0, side, side)); });
}

} // namespace

std::shared_ptr<UIImage> drawnImage(CGSize size, CGFloat scale,
                                    const std::function<void(const CGContextRef&)>& draw) {
    UIGraphicsBeginImageContextWithOptions(size, false, scale);
    draw(UIGraphicsGetCurrentContext());
    auto image = UIGraphicsGetImageFromCurrentImageContext();
    UIGraphicsEndImageContext();
    return image;
}

std::shared_ptr<UIImage> iconImageForFunction(const NSBundle& bundle, std::string_view functionId,
                                              std::int32_t iconSize, std::int32_t iconStyle) {
    const std::string_view name = iconName(functionId);
    if (name.empty())
        return nullptr;
    const char* suffix = iconStyle == 0 ? "-icon.png" : "-black.png";
    const auto loaded =
        UIImage::imageWithContentsOfFile(bundle.bundlePath() + "/" + std::string(name) + suffix);
    if (!loaded)
        return nullptr;
    const auto image = scaled(loaded, iconSize);
    return iconStyle == 2 ? whiteGlyphImage(image) : image;
}

namespace {

// Each channel of a premultiplied pixel times a coverage, rounded as the compositor rounds it.
std::uint32_t timesCoverage(std::uint32_t channel, std::uint32_t coverage) {
    const std::uint32_t product = channel * coverage + 0x80;
    return (product + (product >> 8)) >> 8;
}

// Copy the glyph in, then paint white in difference mode through the glyph's own alpha: black turns white
// inside the glyph, and nothing is painted outside it.
std::shared_ptr<UIImage> whiteGlyphDrawn(const std::shared_ptr<UIImage>& image) {
    const CGSize size = image->size();
    const CGRect rect = CGRectMake(0, 0, size.width, size.height);
    return drawnImage(size, image->scale(), [&](const CGContextRef& context) {
        CGContextSetBlendMode(context, kCGBlendModeCopy);
        image->drawInRect(rect);
        CGContextSetBlendMode(context, kCGBlendModeDifference);
        CGContextTranslateCTM(context, 0, size.height);
        CGContextScaleCTM(context, 1, -1);
        CGContextClipToMask(context, rect, image->CGImage());
        CGContextSetRGBFillColor(context, 1, 1, 1, 1);
        CGContextFillRect(context, rect);
    });
}

// A partly covered pixel of the glyph. Kept out of line: the loop over the tile stays a plain branch on
// alpha, which is faster than the vectorised arithmetic for every pixel.
[[gnu::noinline]] std::uint32_t whitenedEdge(std::uint32_t pixel) {
    const std::uint32_t alpha = pixel >> 24;
    std::uint32_t result = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        const std::uint32_t channel = (pixel >> shift) & 0xff;
        const std::uint32_t inverted =
            shift == 24 ? 0xff
                        : std::min<std::uint32_t>(
                              0xff, 0xff - alpha + (channel > alpha ? channel - alpha : alpha - channel));
        const std::uint32_t blended = timesCoverage(channel, 0xff - alpha) + timesCoverage(inverted, alpha);
        result |= std::min<std::uint32_t>(blended, 0xff) << shift;
    }
    return result;
}

} // namespace

// Drawing that through a mask composites the whole tile four times; an upright image gets the same pixels
// straight. White in difference mode over a channel c of alpha a gives 255 - a + |c - a| at full alpha,
// which the mask (a again) then blends over the glyph.
std::shared_ptr<UIImage> whiteGlyphImage(const std::shared_ptr<UIImage>& image) {
    if (!image)
        return nullptr;
    if (image->imageOrientation() != UIImageOrientationUp)
        return whiteGlyphDrawn(image);
    const CGImageRef& source = image->CGImage();
    const auto pixels = source->pixels();
    CGPixelBuffer white(pixels.size(), CGPixelAllocator<std::uint32_t>(true));
    for (std::size_t index = 0; index < pixels.size(); ++index) {
        const std::uint32_t pixel = pixels[index];
        const std::uint32_t alpha = pixel >> 24;
        // Most of a glyph is ground, kept as it is, or solid, inverted.
        if (alpha == 0)
            white[index] = pixel;
        else if (alpha == 0xff)
            white[index] = pixel ^ 0x00ffffff;
        else
            white[index] = whitenedEdge(pixel);
    }
    return UIImage::imageWithCGImage(
        CGImageCreateWithPixelBuffer(CGImageGetWidth(source), CGImageGetHeight(source), std::move(white)),
        image->scale(), UIImageOrientationUp);
}

namespace {

std::shared_ptr<UIImage> clippedToCircle(const std::shared_ptr<UIImage>& image) {
    const CGSize size = image->size();
    const CGRect rect = CGRectMake(0, 0, size.width, size.height);
    return drawnImage(size, image->scale(), [&](const CGContextRef&) {
        UIBezierPath::bezierPathWithRoundedRect(rect, size.width)->addClip();
        image->drawInRect(rect);
    });
}

// The circle's coverage of each pixel of a tile, as the clip gives it: an opaque white tile drawn through the
// clip keeps the coverage in every channel. Icons come in a few sizes, so a few tiles are kept.
std::shared_ptr<const CGImage> circleCoverage(std::size_t width, std::size_t height, CGFloat scale) {
    static std::map<std::tuple<std::size_t, std::size_t, CGFloat>, std::shared_ptr<const CGImage>> coverages;
    constexpr std::size_t keptSizes = 8;
    const auto key = std::tuple(width, height, scale);
    if (const auto found = coverages.find(key); found != coverages.end())
        return found->second;
    const auto white = UIImage::imageWithCGImage(
        CGImageCreate(width, height, std::vector<std::uint32_t>(width * height, 0xffffffff)), scale,
        UIImageOrientationUp);
    const auto clipped = white ? clippedToCircle(white) : nullptr;
    if (!clipped || CGImageGetWidth(clipped->CGImage()) != width ||
        CGImageGetHeight(clipped->CGImage()) != height)
        return nullptr;
    if (coverages.size() >= keptSizes)
        coverages.clear();
    return coverages.emplace(key, clipped->CGImage()).first->second;
}

// A premultiplied pixel times a partial coverage: only the rim has one, so it stays out of the loop.
[[gnu::noinline]] std::uint32_t covered(std::uint32_t pixel, std::uint32_t coverage) {
    std::uint32_t result = 0;
    for (int shift = 0; shift < 32; shift += 8)
        result |= timesCoverage((pixel >> shift) & 0xff, coverage) << shift;
    return result;
}

} // namespace

// Drawing through the circle for every icon costs more than decoding it; an upright image takes the
// circle's coverage straight, which gives the same pixels.
std::shared_ptr<UIImage> roundedIconImage(const std::shared_ptr<UIImage>& image) {
    if (!image)
        return nullptr;
    const CGImageRef& source = image->CGImage();
    const std::size_t width = CGImageGetWidth(source);
    const std::size_t height = CGImageGetHeight(source);
    const auto coverage = image->imageOrientation() == UIImageOrientationUp
                              ? circleCoverage(width, height, image->scale())
                              : nullptr;
    if (!coverage)
        return clippedToCircle(image);
    const auto pixels = source->pixels();
    const auto cover = coverage->pixels();
    CGPixelBuffer rounded(pixels.size(), CGPixelAllocator<std::uint32_t>(true));
    for (std::size_t index = 0; index < pixels.size(); ++index) {
        const std::uint32_t part = cover[index] >> 24;
        if (part == 0xff)
            rounded[index] = pixels[index];
        else
            rounded[index] = part == 0 ? 0 : covered(pixels[index], part);
    }
    return UIImage::imageWithCGImage(CGImageCreateWithPixelBuffer(width, height, std::move(rounded)),
                                     image->scale(), UIImageOrientationUp);
}

void OrvaneCCSection::reloadIcons() {
    const auto& settings = sectionSettingsState().settings;
    for (std::size_t index = 0; index < slotCount; ++index) {
        auto image = _bundle ? iconImageForFunction(*_bundle, settings.functions[index], settings.iconSize,
                                                    settings.iconStyle)
                             : nullptr;
        if (settings.roundedIcon)
            image = roundedIconImage(image);
        _buttons[index]->setImage(std::move(image), UIControlStateNormal);
    }
}
