#include "Screenshot.h"

#include "MessageUI/MFMailComposeViewController.h"
#include "MessageUI/MFMessageComposeViewController.h"
#include "PresentedDrawing.h"
#include "SheetDrawing.h"
#include "Social/SLComposeViewController.h"
#include "UIKit/UIActivityViewController.h"
#include "UIKit/UIGraphics.h"
#include "UIKit/UIImagePickerController.h"
#include "UIKit/UINavigationController.h"
#include "UIKit/UIScreen.h"

#include <algorithm>
#include <fstream>
#include <functional>

namespace {

// Control Center's backdrop with the view on it, a margin above and below.
void drawOnBackdrop(const UIView& view, bool wholeScreen) {
    const CGSize viewSize = view.frame().size;
    const CGFloat top = sectionOrigin(view, wholeScreen).y - screenshotMargin;
    const CGRect area = CGRectMake(0, top, viewSize.width, viewSize.height + 2 * screenshotMargin);
    const auto backdrop = UIView::make(area);
    backdrop->setBackgroundColor(UIColor::colorWithRed(controlCenterBackdrop.red, controlCenterBackdrop.green,
                                                       controlCenterBackdrop.blue, 1));
    backdrop->drawViewHierarchyInRect(area);
    view.drawViewHierarchyInRect(CGRectMake(0, top + screenshotMargin, viewSize.width, viewSize.height));
}

std::shared_ptr<UIImage> drawnScreenshot(CGSize size, const std::function<void()>& draw) {
    UIGraphicsBeginImageContextWithOptions(size, true, 0);
    draw();
    auto image = UIGraphicsGetImageFromCurrentImageContext();
    UIGraphicsEndImageContext();
    return image;
}

} // namespace

std::shared_ptr<UIImage> screenshotOfView(const UIView& view) {
    const CGSize viewSize = view.frame().size;
    return drawnScreenshot(CGSizeMake(viewSize.width, viewSize.height + 2 * screenshotMargin),
                           [&] { drawOnBackdrop(view, false); });
}

CGPoint sectionOrigin(const UIView& section, bool wholeScreen) {
    const CGFloat screenHeight = UIScreen::mainScreen().bounds().size.height;
    return CGPointMake(0, wholeScreen ? screenHeight - section.frame().size.height - screenshotMargin
                                      : screenshotMargin);
}

std::shared_ptr<UIImage> screenshotOfScreen(const UIView& section, const Presented& presented,
                                            Touchables& touchables) {
    const CGRect screen = UIScreen::mainScreen().bounds();
    return drawnScreenshot(screen.size, [&] {
        const auto frontApplication = UIView::make(screen);
        frontApplication->setBackgroundColor(UIColor::colorWithWhite(0.35, 1));
        frontApplication->drawViewHierarchyInRect(screen);
        drawOnBackdrop(section, true);
        const auto page = [&](const UIViewController& shown) {
            shown.view()->drawViewHierarchyInRect(screen);
        };
        std::visit(ByKind{
                       [&](const std::shared_ptr<UIAlertController>& alert) {
                           drawAlertOverScreen(*alert, screen, touchables);
                       },
                       [&](const std::shared_ptr<MFMailComposeViewController>& mail) {
                           drawSheetOverScreen(*mail, screen, touchables);
                       },
                       [&](const std::shared_ptr<MFMessageComposeViewController>& message) {
                           drawSheetOverScreen(*message, screen, touchables);
                       },
                       [&](const std::shared_ptr<SLComposeViewController>& post) {
                           drawSheetOverScreen(*post, screen, touchables);
                       },
                       [&](const std::shared_ptr<UIImagePickerController>& picker) {
                           drawSheetOverScreen(*picker, screen, touchables);
                       },
                       [&](const std::shared_ptr<UIActivityViewController>& sheet) {
                           drawSheetOverScreen(*sheet, screen, touchables);
                       },
                       [&](const PresentedScanner& scanner) { page(*scanner.navigation); },
                       [&](const std::shared_ptr<UINavigationController>& navigation) { page(*navigation); },
                       [&](const std::shared_ptr<UIViewController>& other) { page(*other); },
                   },
                   presented);
    });
}

bool samePixels(const UIImage& one, const UIImage& other) {
    const auto& a = *one.CGImage();
    const auto& b = *other.CGImage();
    return a.width() == b.width() && a.height() == b.height() && std::ranges::equal(a.pixels(), b.pixels());
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

// Fontconfig, under the platform's text drawing, keeps its caches until the process ends, and so does the
// page server's library of what it set up on a loop it does not own; the leak checker of a sanitized build
// would report them.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig\nleak:libwebsockets\n";
}
extern "C" const char* __lsan_default_options() {
    return "print_suppressions=0";
}
