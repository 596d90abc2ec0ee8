// Feeds recognition what a camera or a photo library could hand it: pictures as files (PNG, JPEG), placed
// into a camera frame and read by the metadata output's recognition and by the still-picture detector; and
// raw luminance of any small size, read as a frame as it is.
#include "AVFoundation/AVCaptureHost.h"
#include "AVFoundation/AVCaptureMetadataOutput.h"
#include "AVFoundation/zxing/MetadataRecognition.h"
#include "CoreImage/CIDetector.h"

#include <cstddef>
#include <cstdint>
#include <span>

namespace {

const std::vector<std::string>& everyType() {
    static const auto types = AVCaptureMetadataOutput::make()->availableMetadataObjectTypes();
    return types;
}

void readPicture(const CGImageRef& picture) {
    if (!picture)
        return;
    CIDetector::detectorOfType(CIDetectorTypeQRCode)->featuresInImage(*CIImage::imageWithCGImage(picture));
    if (const auto frame = AVCaptureHost::cameraFrameWithPicture(picture))
        MetadataRecognition::recognize(*frame, everyType());
}

// The first byte gives the width; the rest are grey pixels, rows of that width.
void readLuminance(std::span<const std::uint8_t> bytes) {
    if (bytes.size() < 2)
        return;
    const std::size_t width = std::max<std::size_t>(bytes[0], 1);
    const std::size_t height = (bytes.size() - 1) / width;
    if (height == 0)
        return;
    std::vector<std::uint32_t> pixels(width * height);
    for (std::size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = 0xff000000u | std::uint32_t(bytes[1 + i]) * 0x010101u;
    MetadataRecognition::recognize(*CGImageCreate(width, height, std::move(pixels)), everyType());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> bytes(data, size);
    if (size >= 2 && data[0] == 0x89)
        readPicture(CGImageCreateWithPNGData(bytes));
    else if (size >= 2 && data[0] == 0xff && data[1] == 0xd8)
        readPicture(CGImageCreateWithJPEGData(bytes));
    else
        readLuminance(bytes);
    return 0;
}
