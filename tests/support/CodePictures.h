#pragma once

#include "AVFoundation/AVCaptureDevice.h"
#include "CoreGraphics/CGContext.h"
#include "CoreGraphics/CGImage.h"

#include <ZXing/BitMatrix.h>
#include <ZXing/CharacterSet.h>
#include <ZXing/MultiFormatWriter.h>

#include <numbers>
#include <string>
#include <vector>

// Pictures of codes as a person would print them, made with zxing-cpp's writer: black modules on white with a
// quiet zone, `moduleSize` pixels per module. Frames place such pictures the way the camera would see them.
namespace CodePictures {

inline CGImageRef fromMatrix(const ZXing::BitMatrix& bits, int moduleSize) {
    const auto width = std::size_t(bits.width() * moduleSize);
    const auto height = std::size_t(bits.height() * moduleSize);
    std::vector<std::uint32_t> pixels(width * height);
    for (std::size_t y = 0; y < height; ++y)
        for (std::size_t x = 0; x < width; ++x)
            pixels[y * width + x] =
                bits.get(int(x) / moduleSize, int(y) / moduleSize) ? 0xff000000u : 0xffffffffu;
    return CGImageCreate(width, height, std::move(pixels));
}

inline bool isLinear(ZXing::BarcodeFormat format) {
    return (ZXing::BarcodeFormats(ZXing::BarcodeFormat::LinearCodes) & format).testFlag(format);
}

// Two-dimensional codes get a 4-module quiet zone; linear ones are 80 modules high with a 22-module margin.
inline CGImageRef code(ZXing::BarcodeFormat format, const std::string& text, int moduleSize = 6) {
    const bool linear = isLinear(format);
    auto writer = ZXing::MultiFormatWriter(format).setMargin(linear ? 22 : 4);
    const ZXing::BitMatrix bits = writer.encode(text, 0, linear ? 80 : 0);
    return fromMatrix(bits, moduleSize);
}

// A QR code whose bytes are not text.
inline CGImageRef binaryQRCode(int moduleSize = 6) {
    std::wstring bytes;
    for (wchar_t c = 0; c < 32; ++c)
        bytes.push_back(c);
    auto writer = ZXing::MultiFormatWriter(ZXing::BarcodeFormat::QRCode)
                      .setMargin(4)
                      .setEncoding(ZXing::CharacterSet::BINARY);
    return fromMatrix(writer.encode(bytes, 0, 0), moduleSize);
}

// The picture drawn into `context` turned by `angle` (radians, anticlockwise as shown) and sheared by `skew`
// (x grows by skew * y) about its centre, at `centre` (y down) of a context `height` high.
inline void place(const CGContextRef& context, std::size_t height, const CGImageRef& picture, CGPoint centre,
                  CGFloat angle = 0, CGFloat skew = 0) {
    const CGFloat w = CGFloat(picture->width());
    const CGFloat h = CGFloat(picture->height());
    CGContextSaveGState(context);
    CGContextTranslateCTM(context, centre.x, CGFloat(height) - centre.y);
    CGContextRotateCTM(context, angle);
    CGContextConcatCTM(context, {1, 0, skew, 1, 0, 0});
    CGContextDrawImage(context, CGRectMake(-w / 2, -h / 2, w, h), picture);
    CGContextRestoreGState(context);
}

// A camera frame: light grey, with each picture centred where given.
struct Placement {
    CGImageRef picture;
    CGPoint centre;
    CGFloat angle = 0;
    CGFloat skew = 0;
};

inline CGImageRef frame(const std::vector<Placement>& placements) {
    const std::size_t width = AVCaptureDevice::frameWidth;
    const std::size_t height = AVCaptureDevice::frameHeight;
    const auto context = CGBitmapContextCreate(width, height);
    CGContextSetRGBFillColor(context, 0.8, 0.8, 0.8, 1);
    CGContextFillRect(context, CGRectMake(0, 0, CGFloat(width), CGFloat(height)));
    for (const auto& p : placements)
        place(context, height, p.picture, p.centre, p.angle, p.skew);
    return CGBitmapContextCreateImage(context);
}

inline constexpr CGPoint frameCentre = {AVCaptureDevice::frameWidth / 2.0,
                                        AVCaptureDevice::frameHeight / 2.0};

} // namespace CodePictures
