#include "AVFoundation/zxing/MetadataRecognition.h"

#include "CoreImage/zxing/ZXingImage.h"

#include <algorithm>
#include <array>

namespace {

struct Symbology {
    std::string_view type;
    ZXing::BarcodeFormat format;
};

// What both the phone's metadata output offers and zxing-cpp reads.
constexpr std::array<Symbology, 11> symbologies = {{
    {AVMetadataObjectTypeQRCode, ZXing::BarcodeFormat::QRCode},
    {AVMetadataObjectTypeAztecCode, ZXing::BarcodeFormat::Aztec},
    {AVMetadataObjectTypeDataMatrixCode, ZXing::BarcodeFormat::DataMatrix},
    {AVMetadataObjectTypePDF417Code, ZXing::BarcodeFormat::PDF417},
    {AVMetadataObjectTypeEAN8Code, ZXing::BarcodeFormat::EAN8},
    {AVMetadataObjectTypeEAN13Code, ZXing::BarcodeFormat::EAN13},
    {AVMetadataObjectTypeUPCECode, ZXing::BarcodeFormat::UPCE},
    {AVMetadataObjectTypeCode39Code, ZXing::BarcodeFormat::Code39},
    {AVMetadataObjectTypeCode93Code, ZXing::BarcodeFormat::Code93},
    {AVMetadataObjectTypeCode128Code, ZXing::BarcodeFormat::Code128},
    {AVMetadataObjectTypeInterleaved2of5Code, ZXing::BarcodeFormat::ITF},
}};

constexpr std::array<std::string_view, symbologies.size()> typeNames = [] {
    std::array<std::string_view, symbologies.size()> names{};
    for (std::size_t i = 0; i < symbologies.size(); ++i)
        names[i] = symbologies[i].type;
    return names;
}();

const ZXing::BarcodeFormats matrixCodes = ZXing::BarcodeFormat::QRCode | ZXing::BarcodeFormat::Aztec |
                                          ZXing::BarcodeFormat::DataMatrix | ZXing::BarcodeFormat::PDF417;
const ZXing::BarcodeFormats linearCodes = ZXing::BarcodeFormat::LinearCodes;
const ZXing::BarcodeFormats everyCode = matrixCodes | linearCodes;

// How a pass sees the frame.
enum class Look {
    asIs,
    // Light and dark swapped, for light codes on a dark ground.
    inverted,
    // At a half and a quarter of the frame's size, for matrix codes whose modules are too large for the
    // library's binarizer to see as such. Not for linear codes: merging a linear code's reads of a
    // downscaled copy trips an assertion in zxing-cpp 1.4 that aborts the process.
    downscaled,
};

struct Pass {
    ZXing::BarcodeFormats formats;
    Look look;
};

const std::array<Pass, 4> passes = {{
    {matrixCodes, Look::asIs},
    {linearCodes, Look::asIs},
    {everyCode, Look::inverted},
    {matrixCodes, Look::downscaled},
}};

ZXing::BarcodeFormats formatsOf(std::span<const std::string> types) {
    ZXing::BarcodeFormats formats;
    for (const auto& symbology : symbologies)
        if (std::find(types.begin(), types.end(), symbology.type) != types.end())
            formats |= symbology.format;
    return formats;
}

std::string_view typeOf(ZXing::BarcodeFormat format) {
    const auto* found = std::find_if(symbologies.begin(), symbologies.end(),
                                     [format](const Symbology& s) { return s.format == format; });
    return found->type;
}

// A code found in a copy of the frame `scale` times smaller, with its corners as a share of the frame.
std::shared_ptr<AVMetadataObject> codeObject(const ZXing::Result& result, const CGImage& frame, int scale) {
    const CGFloat width = CGFloat(frame.width());
    const CGFloat height = CGFloat(frame.height());
    std::vector<CGPoint> corners;
    for (const CGPoint& corner : ZXingImage::cornersOf(result))
        corners.push_back(CGPointMake(corner.x * scale / width, corner.y * scale / height));
    return AVMetadataMachineReadableCodeObject::make(std::string(typeOf(result.format())),
                                                     ZXingImage::textOf(result), std::move(corners));
}

bool isSameCode(const AVMetadataObject& a, const AVMetadataObject& b) {
    const auto& first = static_cast<const AVMetadataMachineReadableCodeObject&>(a);
    const auto& second = static_cast<const AVMetadataMachineReadableCodeObject&>(b);
    return first.type() == second.type() && first.stringValue() == second.stringValue();
}

// Adds what `results` holds to `objects`, leaving out codes already there: the same code read at two scales,
// or by two passes, is one code.
void merge(std::vector<std::shared_ptr<AVMetadataObject>>& objects, const ZXing::Results& results,
           const CGImage& frame, int scale) {
    for (const auto& result : results) {
        auto object = codeObject(result, frame, scale);
        if (std::none_of(objects.begin(), objects.end(),
                         [&object](const auto& known) { return isSameCode(*known, *object); }))
            objects.push_back(std::move(object));
    }
}

void runPass(std::vector<std::shared_ptr<AVMetadataObject>>& objects, const CGImage& frame, const Pass& pass,
             ZXing::BarcodeFormats formats) {
    // Kept for the thread's next frame.
    thread_local ZXingImage::Luminance inverted;
    const auto hints = ZXingImage::hintsFor(formats & pass.formats);
    switch (pass.look) {
    case Look::asIs:
        merge(objects, ZXingImage::readBarcodes(ZXingImage::viewOf(frame), hints), frame, 1);
        return;
    case Look::inverted:
        // The swap is a frame's worth of work the other passes do not have; the library's downscaled copies
        // would be another, for the rare light code printed blurred.
        ZXingImage::invertedLuminanceOf(frame, inverted);
        merge(objects, ZXingImage::readBarcodes(inverted.view(), hints, ZXingImage::LinearCopies::none),
              frame, 1);
        return;
    case Look::downscaled:
        for (const int scale : {2, 4})
            merge(objects, ZXingImage::readBarcodes(ZXingImage::viewOf(frame, scale), hints), frame, scale);
        return;
    }
}

// The passes that look for any of `formats`.
std::vector<const Pass*> passesFor(ZXing::BarcodeFormats formats) {
    std::vector<const Pass*> wanted;
    for (const auto& pass : passes)
        if (!(formats & pass.formats).empty())
            wanted.push_back(&pass);
    return wanted;
}

} // namespace

namespace MetadataRecognition {

std::span<const std::string_view> supportedTypes() {
    return typeNames;
}

std::size_t passCount() {
    return passes.size();
}

std::vector<std::shared_ptr<AVMetadataObject>>
recognize(const CGImage& frame, std::span<const std::string> types, std::size_t pass) {
    const ZXing::BarcodeFormats formats = formatsOf(types);
    const auto wanted = passesFor(formats);
    std::vector<std::shared_ptr<AVMetadataObject>> objects;
    if (!wanted.empty())
        runPass(objects, frame, *wanted[pass % wanted.size()], formats);
    return objects;
}

std::vector<std::shared_ptr<AVMetadataObject>> recognize(const CGImage& frame,
                                                         std::span<const std::string> types) {
    const ZXing::BarcodeFormats formats = formatsOf(types);
    std::vector<std::shared_ptr<AVMetadataObject>> objects;
    for (const Pass* pass : passesFor(formats))
        runPass(objects, frame, *pass, formats);
    return objects;
}

} // namespace MetadataRecognition
