#include "AVFoundation/AVCaptureVideoPreviewLayer.h"

#include <algorithm>
#include <numbers>

namespace {

// The camera's picture lies along the sensor, which is upright for landscape right; the preview turns it
// clockwise by this angle (y down) for the other orientations.
CGFloat displayAngle(AVCaptureVideoOrientation orientation) {
    switch (orientation) {
    case AVCaptureVideoOrientationPortrait:
        return std::numbers::pi / 2;
    case AVCaptureVideoOrientationPortraitUpsideDown:
        return -std::numbers::pi / 2;
    case AVCaptureVideoOrientationLandscapeLeft:
        return std::numbers::pi;
    default:
        return 0;
    }
}

bool isPortrait(AVCaptureVideoOrientation orientation) {
    return orientation == AVCaptureVideoOrientationPortrait ||
           orientation == AVCaptureVideoOrientationPortraitUpsideDown;
}

} // namespace

std::shared_ptr<AVCaptureVideoPreviewLayer>
AVCaptureVideoPreviewLayer::layerWithSession(std::shared_ptr<AVCaptureSession> session) {
    return make(std::move(session));
}

AVCaptureVideoPreviewLayer::AVCaptureVideoPreviewLayer(std::shared_ptr<AVCaptureSession> session)
    : _session(std::move(session)), _connection(AVCaptureConnection::make()) {}

void AVCaptureVideoPreviewLayer::setVideoGravity(std::string_view gravity) {
    if (gravity == AVLayerVideoGravityResize || gravity == AVLayerVideoGravityResizeAspect ||
        gravity == AVLayerVideoGravityResizeAspectFill)
        _videoGravity = gravity;
}

void AVCaptureVideoPreviewLayer::drawInContext(const CGContextRef& context) const {
    const CGRect area = bounds();
    CGContextSetRGBFillColor(context, 0, 0, 0, 1);
    CGContextFillRect(context, area);
    const auto camera = _session ? _session->camera() : nullptr;
    if (!camera || area.size.width <= 0 || area.size.height <= 0)
        return;
    const CGImageRef& frame = camera->currentFrame();
    const auto orientation = _connection->videoOrientation();
    const CGFloat width = CGFloat(frame->width());
    const CGFloat height = CGFloat(frame->height());
    const CGFloat shownWidth = isPortrait(orientation) ? height : width;
    const CGFloat shownHeight = isPortrait(orientation) ? width : height;
    CGFloat scaleX = area.size.width / shownWidth;
    CGFloat scaleY = area.size.height / shownHeight;
    if (_videoGravity != AVLayerVideoGravityResize)
        scaleX = scaleY = _videoGravity == AVLayerVideoGravityResizeAspectFill ? std::max(scaleX, scaleY)
                                                                               : std::min(scaleX, scaleY);
    CGContextSaveGState(context);
    CGContextClipToRect(context, area);
    CGContextTranslateCTM(context, area.size.width / 2, area.size.height / 2);
    CGContextScaleCTM(context, scaleX, scaleY);
    CGContextRotateCTM(context, displayAngle(orientation));
    // User space runs y down here; CoreGraphics draws images upright in y-up space.
    CGContextTranslateCTM(context, -width / 2, height / 2);
    CGContextScaleCTM(context, 1, -1);
    CGContextDrawImage(context, CGRectMake(0, 0, width, height), frame);
    CGContextRestoreGState(context);
}
