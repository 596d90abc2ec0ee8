#include "AVFoundation/AVCaptureHost.h"

#include "AVFoundation/AVCaptureMetadataOutput.h"
#include "AVFoundation/AVCaptureSession.h"
#include "CoreGraphics/CGContext.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

constexpr CGFloat frameWidth = AVCaptureDevice::frameWidth;
constexpr CGFloat frameHeight = AVCaptureDevice::frameHeight;
// How far the hand tilts the picture either way.
constexpr CGFloat tilt = 5 * std::numbers::pi / 180;
// Distances the hand moves the picture away to, as shares of its sharpest size.
constexpr CGFloat furtherAway[] = {0.75, 0.5};
// A large print is looked at close up in at most this many places along each side.
constexpr std::size_t closeUpsPerSide = 4;

// One position of the hand: how large the picture shows, how much it is tilted (anticlockwise as the frame
// shows it), and which of its points (pixels, y down) lies at the frame's centre. A close-up doubles every
// pixel of the picture instead of blurring it larger. Held sideways, the phone sees the picture as its file
// holds it rather than turned a quarter.
struct View {
    CGFloat scale;
    CGFloat angle;
    CGPoint focus;
    bool doubled = false;
    bool sideways = false;
};

// Where a window `window` long is centred, evenly spread, to look at all of something `length` long.
std::vector<CGFloat> focusesAlong(CGFloat length, CGFloat window) {
    if (length <= window)
        return {std::floor(length / 2)};
    const auto needed = std::size_t(std::ceil((length - window) / (window / 2))) + 1;
    const std::size_t count = std::min(needed, closeUpsPerSide);
    std::vector<CGFloat> focuses;
    for (std::size_t i = 0; i < count; ++i)
        focuses.push_back(std::floor(window / 2 + (length - window) * CGFloat(i) / CGFloat(count - 1)));
    return focuses;
}

// The hand's sequence for a picture `width` x `height`. Turned a quarter (the sensor lies across a phone held
// upright), the picture's height lies along the frame's width.
std::vector<View> viewsOf(CGFloat width, CGFloat height) {
    const CGPoint centre = {std::floor(width / 2), std::floor(height / 2)};
    const CGFloat fit = std::min(frameWidth / height, frameHeight / width);
    const CGFloat sharpest = std::min<CGFloat>(1, fit);
    std::vector<View> views = {{sharpest, 0, centre}};
    if (fit >= 2)
        views.push_back({2, 0, centre, true});
    for (const CGFloat share : furtherAway)
        views.push_back({sharpest * share, 0, centre});
    const CGFloat tiltedFit = std::min(frameWidth / (height * std::cos(tilt) + width * std::sin(tilt)),
                                       frameHeight / (width * std::cos(tilt) + height * std::sin(tilt)));
    for (const CGFloat angle : {tilt, -tilt})
        views.push_back({std::min<CGFloat>(1, tiltedFit), angle, centre});
    if (fit < 1)
        for (const CGFloat x : focusesAlong(width, frameHeight))
            for (const CGFloat y : focusesAlong(height, frameWidth))
                views.push_back({1, 0, {x, y}});
    const CGFloat sidewaysFit = std::min(frameWidth / width, frameHeight / height);
    views.push_back({std::min<CGFloat>(1, sidewaysFit), 0, centre, false, true});
    // And back to where it read best, held still.
    views.push_back(views.front());
    return views;
}

CGImageRef doubled(const CGImage& picture) {
    const std::size_t width = picture.width() * 2;
    std::vector<std::uint32_t> pixels(width * picture.height() * 2);
    for (std::size_t y = 0; y < picture.height() * 2; ++y)
        for (std::size_t x = 0; x < width; ++x)
            pixels[y * width + x] = picture.pixels()[(y / 2) * picture.width() + x / 2];
    return CGImageCreate(width, picture.height() * 2, std::move(pixels));
}

CGImageRef frameOf(const CGImageRef& picture, const View& view) {
    constexpr CGFloat grey = AVCaptureDevice::emptySceneGrey;
    const auto shown = view.doubled ? doubled(*picture) : picture;
    const CGFloat scale = view.doubled ? 1 : view.scale;
    const CGPoint focus = view.doubled ? CGPointMake(view.focus.x * 2, view.focus.y * 2) : view.focus;
    const CGFloat width = CGFloat(shown->width());
    const CGFloat height = CGFloat(shown->height());
    const auto context = CGBitmapContextCreate(AVCaptureDevice::frameWidth, AVCaptureDevice::frameHeight);
    CGContextSetRGBFillColor(context, grey, grey, grey, 1);
    CGContextFillRect(context, CGRectMake(0, 0, frameWidth, frameHeight));
    CGContextTranslateCTM(context, frameWidth / 2, frameHeight / 2);
    // CoreGraphics' y grows upwards, so a positive angle turns anticlockwise as the frame shows it.
    CGContextRotateCTM(context, view.angle);
    CGContextScaleCTM(context, scale, scale);
    if (!view.sideways)
        CGContextRotateCTM(context, std::numbers::pi / 2);
    // Whole pixels from the picture's centre: a picture at its own size lands on whole pixels, unblurred.
    CGContextTranslateCTM(context, width / 2 - focus.x, focus.y - height / 2);
    CGContextDrawImage(context, CGRectMake(-width / 2, -height / 2, width, height), shown);
    return CGBitmapContextCreateImage(context);
}

class HeldPicture : public AVCaptureScene {
  public:
    explicit HeldPicture(CGImageRef picture)
        : _picture(std::move(picture)),
          _views(viewsOf(CGFloat(_picture->width()), CGFloat(_picture->height()))) {}
    std::size_t viewCount() const override { return _views.size(); }
    CGImageRef view(std::size_t index) const override { return frameOf(_picture, _views.at(index)); }

  private:
    CGImageRef _picture;
    std::vector<View> _views;
};

// A picture of exactly the frame's size is the whole scene as the camera sees it.
class WholeScene : public AVCaptureScene {
  public:
    explicit WholeScene(CGImageRef frame) : _frame(std::move(frame)) {}
    std::size_t viewCount() const override { return 1; }
    CGImageRef view(std::size_t) const override { return _frame; }

  private:
    CGImageRef _frame;
};

} // namespace

void AVCaptureHost::setCameras(const std::vector<AVCaptureDevicePosition>& positions) {
    AVCaptureDevice::setCameras(badge(), positions);
}

void AVCaptureHost::stopRunningSessions() {
    AVCaptureSession::stopRunningSessions(badge());
}

std::shared_ptr<AVCaptureDevice> AVCaptureHost::currentCamera() {
    if (auto capturing = AVCaptureDevice::capturingCamera(badge()))
        return capturing;
    return AVCaptureDevice::defaultDeviceWithMediaType(AVMediaTypeVideo);
}

std::uint64_t AVCaptureHost::framesReadCount() {
    return AVCaptureMetadataOutput::framesReadCount(badge());
}

std::uint64_t AVCaptureHost::framesForAWholeLook() {
    return AVCaptureMetadataOutput::framesForAWholeLook(badge());
}

std::shared_ptr<const AVCaptureScene> AVCaptureHost::sceneWithPicture(const CGImageRef& picture) {
    if (!picture)
        return nullptr;
    if (picture->width() == AVCaptureDevice::frameWidth && picture->height() == AVCaptureDevice::frameHeight)
        return std::make_shared<WholeScene>(picture);
    return std::make_shared<HeldPicture>(picture);
}

CGImageRef AVCaptureHost::cameraFrameWithPicture(const CGImageRef& picture) {
    const auto scene = sceneWithPicture(picture);
    return scene ? scene->view(0) : nullptr;
}

void AVCaptureHost::showPicture(AVCaptureDevice& camera, const CGImageRef& picture) {
    if (auto scene = sceneWithPicture(picture))
        camera.setScene(badge(), std::move(scene));
}

void AVCaptureHost::clearPicture(AVCaptureDevice& camera) {
    camera.setScene(badge(), nullptr);
}
