#include "Screenshot.h"

#include "UIKit/UIGraphics.h"

#include <fstream>

std::shared_ptr<UIImage> screenshotOfView(const UIView& view) {
    const CGSize viewSize = view.frame().size;
    const CGRect whole = CGRectMake(0, 0, viewSize.width, viewSize.height + 2 * screenshotMargin);
    const auto backdrop = UIView::make(whole);
    backdrop->setBackgroundColor(UIColor::colorWithRed(0.11, 0.11, 0.13, 1));
    UIGraphicsBeginImageContextWithOptions(whole.size, true, 0);
    backdrop->drawViewHierarchyInRect(whole);
    view.drawViewHierarchyInRect(CGRectMake(0, screenshotMargin, viewSize.width, viewSize.height));
    auto image = UIGraphicsGetImageFromCurrentImageContext();
    UIGraphicsEndImageContext();
    return image;
}

std::optional<std::string> writePNG(const UIImage& image, const std::filesystem::path& file) {
    const auto bytes = UIImagePNGRepresentation(image);
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (bytes.empty() || !out)
        return "cannot write " + file.string();
    return std::nullopt;
}
