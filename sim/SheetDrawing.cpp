#include "SheetDrawing.h"

#include "AVFoundation/AVCaptureHost.h"
#include "AVFoundation/AVCaptureVideoPreviewLayer.h"
#include "Device/DeviceRoot.h"
#include "DeviceProfile.h"
#include "MessageUI/MFMailComposeViewController.h"
#include "MessageUI/MFMessageComposeViewController.h"
#include "MobileCoreServices/UTType.h"
#include "Social/SLComposeViewController.h"
#include "UIKit/NSStringDrawing.h"
#include "UIKit/UIActivityViewController.h"
#include "UIKit/UIBezierPath.h"
#include "UIKit/UIGraphics.h"
#include "UIKit/UIImagePickerController.h"

#include <algorithm>
#include <filesystem>
#include <set>

namespace {

constexpr CGFloat margin = 8;
constexpr CGFloat barHeight = 44;
constexpr CGFloat fieldHeight = 36;
constexpr CGFloat inset = 16;
constexpr CGFloat thumbnailSide = 96;

std::shared_ptr<UIColor> tint() {
    return UIColor::colorWithRed(0, 0.48, 1, 1);
}

void fill(CGRect rect, CGFloat red, CGFloat green, CGFloat blue, CGFloat alpha = 1) {
    CGContextSetRGBFillColor(UIGraphicsGetCurrentContext(), red, green, blue, alpha);
    CGContextFillRect(UIGraphicsGetCurrentContext(), rect);
}

void fillRounded(CGRect rect, CGFloat radius, CGFloat white) {
    CGContextSetRGBFillColor(UIGraphicsGetCurrentContext(), white, white, white, 1);
    UIBezierPath::bezierPathWithRoundedRect(rect, radius)->fill();
}

// One line of text, centred vertically in `rect`.
void text(std::string_view line, CGRect rect, const NSStringAttributes& style) {
    const CGFloat height = NSStringBoundingSize(line, rect.size.width, style).height;
    NSStringDrawInRect(
        line,
        CGRectMake(rect.origin.x, rect.origin.y + (rect.size.height - height) / 2, rect.size.width, height),
        style);
}

// A button of a navigation bar: its title and the command a person would type to press it.
struct BarButton {
    std::string_view title;
    std::vector<std::string> words;
};

// The button's title at one end of the bar, for the finger as wide as the title and the inset each side.
void barButton(const BarButton& button, CGRect bar, const NSStringAttributes& style, Touchables& touchables) {
    if (button.title.empty())
        return;
    text(button.title, bar, style);
    const CGFloat width = NSStringBoundingSize(button.title, bar.size.width, style).width + 2 * inset;
    const CGFloat left =
        style.alignment == NSTextAlignmentLeft ? bar.origin.x - inset : CGRectGetMaxX(bar) + inset - width;
    touchables.add({CGRectMake(left, bar.origin.y, width, bar.size.height),
                    "button \"" + std::string(button.title) + "\"",
                    button.words,
                    {},
                    {}});
}

// The bar along the top of `area`: the left button, the title, the right button in bold; answers what is
// left below it.
CGRect navigationBar(CGRect area, const BarButton& left, std::string_view title, const BarButton& right,
                     Touchables& touchables) {
    const CGRect bar =
        CGRectMake(area.origin.x + inset, area.origin.y, area.size.width - 2 * inset, barHeight);
    text(title, bar, {17, true, UIColor::blackColor(), NSTextAlignmentCenter});
    barButton(left, bar, {17, false, tint(), NSTextAlignmentLeft}, touchables);
    barButton(right, bar, {17, true, tint(), NSTextAlignmentRight}, touchables);
    fill(CGRectMake(area.origin.x, area.origin.y + barHeight, area.size.width, 0.5), 0.75, 0.75, 0.75);
    return CGRectMake(area.origin.x, area.origin.y + barHeight, area.size.width,
                      area.size.height - barHeight);
}

// The image fitted into `box`, keeping its proportions.
void thumbnail(const UIImage& image, CGRect box) {
    const CGSize size = image.size();
    if (size.width <= 0 || size.height <= 0)
        return;
    const CGFloat scale = std::min(box.size.width / size.width, box.size.height / size.height);
    const CGSize fitted = CGSizeMake(size.width * scale, size.height * scale);
    image.drawInRect(CGRectMake(box.origin.x + (box.size.width - fitted.width) / 2,
                                box.origin.y + (box.size.height - fitted.height) / 2, fitted.width,
                                fitted.height));
}

// A video's place: a dark tile with a play mark.
void videoTile(CGRect box) {
    fill(box, 0.2, 0.2, 0.22);
    text("\u25B6", box,
         {std::min<CGFloat>(box.size.height / 3, 28), false, UIColor::whiteColor(), NSTextAlignmentCenter});
}

// A labelled field of an empty sheet ("To:"), with a hairline under it; answers the next field's top.
CGFloat field(std::string_view label, CGRect content, CGFloat top) {
    text(label, CGRectMake(content.origin.x + inset, top, content.size.width - 2 * inset, fieldHeight),
         {15, false, UIColor::colorWithWhite(0.55, 1), NSTextAlignmentLeft});
    fill(CGRectMake(content.origin.x + inset, top + fieldHeight, content.size.width - inset, 0.5), 0.8, 0.8,
         0.8);
    return top + fieldHeight;
}

// The attachment at `top`: a photo's thumbnail or a video's tile, with its file name and size beside it.
void attachment(const MFAttachment& attached, CGRect content, CGFloat top) {
    const CGRect box = CGRectMake(content.origin.x + inset, top + inset, thumbnailSide, thumbnailSide);
    const auto image = UIImage::imageWithData(attached.data);
    if (image)
        thumbnail(*image, box);
    else
        videoTile(box);
    const CGFloat x = box.origin.x + thumbnailSide + inset;
    const CGFloat width = content.origin.x + content.size.width - inset - x;
    const NSStringAttributes grey{11, false, UIColor::colorWithWhite(0.45, 1), NSTextAlignmentLeft};
    text(attached.fileName, CGRectMake(x, box.origin.y, width, 22), {15, false, UIColor::blackColor()});
    text(attached.type, CGRectMake(x, box.origin.y + 22, width, 18), grey);
    text(std::to_string((attached.data.size() + 1023) / 1024) + " KB",
         CGRectMake(x, box.origin.y + 40, width, 18), grey);
}

// A compose sheet's card leaves what is under it in view, dimmed.
void dimScreen(CGRect screen) {
    fill(screen, 0, 0, 0, 0.4);
}

CGRect card(CGRect screen, CGFloat height) {
    const CGRect rect = CGRectMake(margin, 28, screen.size.width - 2 * margin, height);
    fillRounded(rect, 10, 0.98);
    return rect;
}

const BarButton cancelSheet{"Cancel", {"sheet", "cancel"}};

void drawMail(const MFMailComposeViewController& mail, CGRect screen, Touchables& touchables) {
    const CGRect content =
        navigationBar(card(screen, 3 * fieldHeight + barHeight + thumbnailSide + 2 * inset), cancelSheet,
                      "New Message", {"Send", {"sheet", "send"}}, touchables);
    CGFloat top = content.origin.y;
    for (const auto* label : {"To:", "Cc/Bcc:", "Subject:"})
        top = field(label, content, top);
    if (!mail.attachments().empty())
        attachment(mail.attachments().front(), content, top);
}

void drawMessage(const MFMessageComposeViewController& message, CGRect screen, Touchables& touchables) {
    const CGRect content =
        navigationBar(card(screen, fieldHeight + barHeight + thumbnailSide + 2 * inset + fieldHeight),
                      cancelSheet, "New Message", {"Send", {"sheet", "send"}}, touchables);
    const CGFloat top = field("To:", content, content.origin.y);
    if (!message.attachments().empty())
        attachment(message.attachments().front(), content, top);
    const CGRect input = CGRectMake(content.origin.x + inset, content.origin.y + content.size.height - 34,
                                    content.size.width - 2 * inset, 28);
    CGContextSetRGBStrokeColor(UIGraphicsGetCurrentContext(), 0.8, 0.8, 0.8, 1);
    UIBezierPath::bezierPathWithRoundedRect(input, 14)->stroke();
    text("Text Message",
         CGRectMake(input.origin.x + 12, input.origin.y, input.size.width - 24, input.size.height),
         {15, false, UIColor::colorWithWhite(0.7, 1), NSTextAlignmentLeft});
}

std::string_view serviceName(std::string_view serviceType) {
    return serviceType == SLServiceTypeFacebook    ? "Facebook"
           : serviceType == SLServiceTypeTwitter   ? "Twitter"
           : serviceType == SLServiceTypeSinaWeibo ? "Sina Weibo"
                                                   : "Tencent Weibo";
}

void drawPost(const SLComposeViewController& post, CGRect screen, Touchables& touchables) {
    const CGRect content =
        navigationBar(card(screen, barHeight + thumbnailSide + 2 * inset), cancelSheet,
                      serviceName(post.serviceType()), {"Post", {"sheet", "post"}}, touchables);
    if (!post.images().empty())
        thumbnail(*post.images().front(),
                  CGRectMake(content.origin.x + content.size.width - inset - thumbnailSide,
                             content.origin.y + inset, thumbnailSide, thumbnailSide));
}

// What the camera sees, upright as the phone is held, filling the area as the camera's own preview does.
void drawViewfinder(CGRect area) {
    const auto session = AVCaptureSession::make();
    session->addInput(AVCaptureDeviceInput::deviceInputWithDevice(AVCaptureHost::currentCamera()));
    const auto preview = AVCaptureVideoPreviewLayer::layerWithSession(session);
    preview->setVideoGravity(AVLayerVideoGravityResizeAspectFill);
    preview->connection()->setVideoOrientation(AVCaptureVideoOrientationPortrait);
    preview->setFrame(area);
    preview->renderInContext(UIGraphicsGetCurrentContext());
}

// The camera: what it points at fills the screen between a dark top bar and the shutter bar.
void drawCamera(const UIImagePickerController& picker, CGRect screen, Touchables& touchables) {
    fill(screen, 0, 0, 0);
    drawViewfinder(CGRectMake(0, 44, screen.size.width, screen.size.height - 44 - 96));
    const CGFloat bottom = screen.size.height - 96;
    const bool videos = std::ranges::find(picker.mediaTypes(), kUTTypeMovie) != picker.mediaTypes().end();
    text(videos ? "VIDEO    PHOTO" : "PHOTO", CGRectMake(0, bottom, screen.size.width, 24),
         {13, false, UIColor::colorWithRed(1, 0.8, 0, 1), NSTextAlignmentCenter});
    CGContextSetRGBFillColor(UIGraphicsGetCurrentContext(), 1, 1, 1, 1);
    const CGRect shutter = CGRectMake(screen.size.width / 2 - 30, bottom + 28, 60, 60);
    UIBezierPath::bezierPathWithOvalInRect(shutter)->fill();
    touchables.add({shutter, "button \"shutter\"", {"picker", "shutter"}, {}, {}});
    const CGRect cancel = CGRectMake(inset, bottom + 28, 80, 60);
    text("Cancel", cancel, {17, false, UIColor::whiteColor()});
    touchables.add({cancel, "button \"Cancel\"", {"picker", "cancel"}, {}, {}});
}

// The library's photos and videos, four to a row, newest last, as the device keeps them.
void drawLibrary(CGRect screen, Touchables& touchables) {
    fill(screen, 1, 1, 1);
    const CGRect content = navigationBar(CGRectMake(0, 20, screen.size.width, screen.size.height - 20), {},
                                         "Camera Roll", {"Cancel", {"picker", "cancel"}}, touchables);
    std::set<std::filesystem::path> files;
    std::error_code error;
    for (const auto& entry :
         std::filesystem::directory_iterator(DeviceRoot::resolve(photoLibraryFolder), error))
        files.insert(entry.path());
    constexpr int columns = 4;
    const CGFloat side = (screen.size.width - (columns + 1) * 2) / columns;
    int index = 0;
    for (const auto& file : files) {
        const CGRect box =
            CGRectMake(2 + CGFloat(index % columns) * (side + 2),
                       content.origin.y + 2 + CGFloat(index / columns) * (side + 2), side, side);
        const auto extension = file.extension().string();
        const auto type = UTTypeCreatePreferredIdentifierForTag(kUTTagClassFilenameExtension,
                                                                extension.empty() ? "" : extension.substr(1));
        if (type && UTTypeConformsTo(*type, kUTTypeMovie)) {
            videoTile(box);
        } else if (const auto photo = UIImage::imageWithContentsOfFile(std::string(photoLibraryFolder) + "/" +
                                                                       file.filename().string())) {
            thumbnail(*photo, box);
        } else {
            continue;
        }
        const auto name = file.filename().string();
        touchables.add({box, "photo \"" + name + "\"", {"picker", "choose", name}, {}, {}});
        ++index;
    }
}

// A readable name of an activity type: "com.apple.UIKit.activity.PostToFacebook" as "Post To Facebook".
std::string activityName(std::string_view type) {
    const auto last = type.substr(type.rfind('.') + 1);
    std::string name;
    for (const char c : last) {
        if (!name.empty() && c >= 'A' && c <= 'Z' && name.back() != ' ')
            name += ' ';
        name += c;
    }
    return name;
}

// The activities in rows of four over a cancel button, at the bottom.
void drawShareSheet(const UIActivityViewController& sheet, CGRect screen, Touchables& touchables) {
    fill(screen, 0, 0, 0, 0.4);
    const auto activities = sheet.activityTypes();
    constexpr std::size_t columns = 4;
    constexpr CGFloat rowHeight = 92;
    const std::size_t rows = (activities.size() + columns - 1) / columns;
    const CGFloat width = screen.size.width - 2 * margin;
    const CGRect cancel = CGRectMake(margin, screen.size.height - margin - 57, width, 57);
    fillRounded(cancel, 13, 0.98);
    text("Cancel", cancel, {20, true, tint(), NSTextAlignmentCenter});
    touchables.add({cancel, "button \"Cancel\"", {"share", "cancel"}, {}, {}});
    const CGFloat height = CGFloat(rows) * rowHeight + 2 * margin;
    const CGRect group = CGRectMake(margin, cancel.origin.y - margin - height, width, height);
    fillRounded(group, 13, 0.95);
    const CGFloat cell = width / columns;
    for (std::size_t index = 0; index < activities.size(); ++index) {
        const CGFloat x = group.origin.x + CGFloat(index % columns) * cell;
        const CGFloat y = group.origin.y + margin + CGFloat(index / columns) * rowHeight;
        fillRounded(CGRectMake(x + (cell - 56) / 2, y + 4, 56, 56), 12, 0.82);
        const std::string name = activityName(activities[index]);
        text(name, CGRectMake(x + 2, y + 62, cell - 4, 28),
             {10, false, UIColor::blackColor(), NSTextAlignmentCenter});
        touchables.add({CGRectMake(x, y, cell, rowHeight),
                        "activity \"" + name + "\"",
                        {"share", std::string(activities[index])},
                        {},
                        {}});
    }
}

} // namespace

void drawSheetOverScreen(const MFMailComposeViewController& mail, CGRect screen, Touchables& touchables) {
    dimScreen(screen);
    drawMail(mail, screen, touchables);
}

void drawSheetOverScreen(const MFMessageComposeViewController& message, CGRect screen,
                         Touchables& touchables) {
    dimScreen(screen);
    drawMessage(message, screen, touchables);
}

void drawSheetOverScreen(const SLComposeViewController& post, CGRect screen, Touchables& touchables) {
    dimScreen(screen);
    drawPost(post, screen, touchables);
}

void drawSheetOverScreen(const UIImagePickerController& picker, CGRect screen, Touchables& touchables) {
    if (picker.sourceType() == UIImagePickerControllerSourceTypeCamera)
        drawCamera(picker, screen, touchables);
    else
        drawLibrary(screen, touchables);
}

void drawSheetOverScreen(const UIActivityViewController& sheet, CGRect screen, Touchables& touchables) {
    drawShareSheet(sheet, screen, touchables);
}
