#include "IconImages.h"

#include "Foundation/NSBundle.h"
#include "OrvaneCCSection.h"
#include "UIKit/UIBezierPath.h"
#include "UIKit/UIGraphics.h"
#include "common/FunctionCatalogue.h"
#include "common/SectionSettings.h"

#include <string>

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

// Copy the glyph in, then paint white in difference mode through the glyph's own alpha: black turns white
// inside the glyph, and nothing is painted outside it.
std::shared_ptr<UIImage> whiteGlyphImage(const std::shared_ptr<UIImage>& image) {
    if (!image)
        return nullptr;
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

std::shared_ptr<UIImage> roundedIconImage(const std::shared_ptr<UIImage>& image) {
    if (!image)
        return nullptr;
    const CGSize size = image->size();
    const CGRect rect = CGRectMake(0, 0, size.width, size.height);
    return drawnImage(size, image->scale(), [&](const CGContextRef&) {
        UIBezierPath::bezierPathWithRoundedRect(rect, size.width)->addClip();
        image->drawInRect(rect);
    });
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
