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

std::shared_ptr<AVMetadataObject> codeObject(const ZXing::Result& result, const CGImage& frame) {
    const CGFloat width = CGFloat(frame.width());
    const CGFloat height = CGFloat(frame.height());
    std::vector<CGPoint> corners;
    for (const CGPoint& corner : ZXingImage::cornersOf(result))
        corners.push_back(CGPointMake(corner.x / width, corner.y / height));
    return AVMetadataMachineReadableCodeObject::make(std::string(typeOf(result.format())),
                                                     ZXingImage::textOf(result), std::move(corners));
}

} // namespace

namespace MetadataRecognition {

std::span<const std::string_view> supportedTypes() {
    return typeNames;
}

std::vector<std::shared_ptr<AVMetadataObject>> recognize(const CGImage& frame,
                                                         std::span<const std::string> types) {
    const ZXing::BarcodeFormats formats = formatsOf(types);
    if (formats.empty())
        return {};
    std::vector<std::shared_ptr<AVMetadataObject>> objects;
    for (const auto& result :
         ZXingImage::readBarcodes(ZXingImage::viewOf(frame), ZXingImage::hintsFor(formats)))
        objects.push_back(codeObject(result, frame));
    return objects;
}

} // namespace MetadataRecognition
